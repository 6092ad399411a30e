#pragma once

#include "app/Program.h"
#include "base/Clock.h"
#include "ptypedal/PtyPedalServer.h"
#include "support/ScriptedDialogs.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <thread>

namespace brivo::test {

// The whole editor on the real clock, reaching a virtual pedal through the
// serial-port driver and a real pseudo-terminal, served from a thread of its own.
class PtyPedalHarness {
  public:
    PtyPedalHarness();
    ~PtyPedalHarness();

    // False (with `error`) when the system gives no pty: the caller skips.
    bool start(std::string& error);
    // The same with the serial driver given these ports (links to the pty,
    // say) instead of the pty's own path; call `open` first for its path.
    bool start(std::string& error, const QStringList& namedPorts);
    bool open(std::string& error) { return server.open(error); }

    Program& program() { return *program_; }
    Editor& editor() { return program_->editor(); }
    QStringList consoleLines();
    // Connection > Scan, then Connect; the dialogs and console start empty after.
    void connect();
    // Runs `use` on the served pedal between the server's steps.
    template <typename Use> auto withPedal(Use&& use) { return server.withPedal(use); }

    RealClock clock;
    ScriptedDialogs dialogs;
    QTemporaryDir documents;
    PtyPedalServer server{clock};

  private:
    std::thread serving_;
    std::unique_ptr<Program> program_;
};

} // namespace brivo::test
