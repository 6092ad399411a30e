#pragma once

#include "base/Clock.h"
#include "link/d2xx/Driver.h"
#include "virtualpedal/VirtualDriver.h"
#include "virtualpedal/VirtualPedal.h"

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace brivo {

// Serves a virtual pedal on a pseudo-terminal, so any serial client (the
// editor's serial-port driver, a terminal program, a bootloader client) talks
// to it as to a pedal on /dev/ttyUSBn. The pedal is reached through its
// bridge's port like any other device: the bytes the client writes go to it
// as one stream, its answers come back with the bridge's timing. The server
// sleeps until the client writes or the pedal has bytes on the way.
class PtyPedalServer {
  public:
    explicit PtyPedalServer(Clock& clock);
    ~PtyPedalServer();
    PtyPedalServer(const PtyPedalServer&) = delete;
    PtyPedalServer& operator=(const PtyPedalServer&) = delete;

    // Opens the pty pair in raw mode; false with `error` set when the system
    // refuses.
    bool open(std::string& error);
    // The client's end, e.g. /dev/pts/3.
    const std::string& path() const { return path_; }

    // Serves until stop(); call from one thread only.
    void run();
    // Both may be called from any thread, and stop() from a signal handler.
    void stop();
    // Closes the pty: the client's port hangs up, as a pedal that is unplugged.
    void unplug();
    // The same, `ms` from now, after which run() returns; call before run().
    void unplugAfterMs(int ms);

    // Runs `use` on the pedal between the server's own steps (from any thread).
    template <typename Use> auto withPedal(Use&& use) {
        const std::lock_guard lock(mutex_);
        return use(*pedal_);
    }

  private:
    // One round: client bytes to the pedal, the pedal's bytes to the client.
    // True while the pedal still has bytes on the way (time must pass).
    bool step();
    void wake();
    void closePty();
    // Follows the client's opens and closes of the pty; called by step().
    void followClients();
    // A bridge clears its buffers when a client opens it: nothing the pedal
    // sent before reaches the new client.
    void dropAnswersForNobody();

    Clock& clock_;
    VirtualDriver driver_;
    std::shared_ptr<VirtualPedal> pedal_;
    std::unique_ptr<Port> port_;
    std::mutex mutex_;
    int master_ = -1;
    // Kept open so the master does not hang up between two clients, and to
    // clear what a departed client left behind (exclusive mode, answers).
    int slave_ = -1;
    // Tells when a client opens or closes the pty (inotify); -1 where the
    // system cannot.
    int clientWatch_ = -1;
    // Open descriptions of the pty other than the server's own.
    int clients_ = 0;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::string path_;
    std::deque<std::uint8_t> toClient_;
    std::atomic<bool> stopping_{false};
    std::atomic<bool> unplugRequested_{false};
    // When the scheduled unplug is due, on the clock; negative: none.
    std::int64_t unplugAtUs_ = -1;
};

} // namespace brivo
