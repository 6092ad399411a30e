#pragma once

#include "app/Program.h"
#include "base/Clock.h"
#include "support/ScriptedDialogs.h"
#include "virtualpedal/VirtualDriver.h"
#include "virtualpedal/VirtualPedal.h"

#include <QTemporaryDir>
#include <chrono>
#include <memory>

namespace brivo::test {

// The whole editor on the real clock with one virtual pedal, started and
// shown: what the benchmarks measure.
class RealTimeEditor {
  public:
    RealTimeEditor();

    Program& program() { return *program_; }
    Editor& editor() { return program_->editor(); }

    RealClock clock;
    ScriptedDialogs dialogs;
    QTemporaryDir documents;
    std::shared_ptr<VirtualPedal> pedal;

  private:
    std::unique_ptr<Program> program_;
};

// Process CPU time, user and system, in milliseconds.
double processCpuMs();

// Wall-clock time on the steady clock, in milliseconds.
inline double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

} // namespace brivo::test
