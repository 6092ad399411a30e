#include "ptypedal/PtyPedalServer.h"

#include "link/LinkSettings.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace brivo {

namespace {
// While bytes are on the way the pedal is advanced this often: far below the
// bridge's 16 ms packet timer.
constexpr int kBusyTickMs = 1;
constexpr std::size_t kChunkBytes = 4096;
// Answers nobody reads are dropped beyond this.
constexpr std::size_t kClientBacklogLimitBytes = 1 << 20;

void closeFd(int& fd) {
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}
} // namespace

PtyPedalServer::PtyPedalServer(Clock& clock) : clock_(clock), driver_(clock) {
    pedal_ = driver_.addPedal();
    driver_.open(pedal_->serialNumber(), port_);
    port_->setBaudRate(kLinkBaudRate);
    port_->setDataCharacteristics(FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE);
}

PtyPedalServer::~PtyPedalServer() {
    closePty();
    closeFd(wakeRead_);
    closeFd(wakeWrite_);
}

bool PtyPedalServer::open(std::string& error) {
    const auto fail = [&](const char* what) {
        error = std::string(what) + ": " + std::strerror(errno);
        closePty();
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0)
        return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return fail("grantpt/unlockpt");
    const char* name = ::ptsname(master_);
    if (name == nullptr)
        return fail("ptsname");
    path_ = name;
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY);
    if (slave_ < 0)
        return fail("open the pty");
    // Raw bytes both ways: no echo, no line editing, no character mapping.
    termios settings{};
    if (::tcgetattr(slave_, &settings) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&settings);
    ::cfsetspeed(&settings, B115200);
    if (::tcsetattr(slave_, TCSANOW, &settings) != 0)
        return fail("tcsetattr");
    if (::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0)
        return fail("fcntl");
    // Without the watch the pedal still serves; it only cannot tidy up
    // after a client that leaves.
    clientWatch_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (clientWatch_ >= 0 &&
        ::inotify_add_watch(clientWatch_, path_.c_str(), IN_OPEN | IN_CLOSE) < 0)
        closeFd(clientWatch_);
    clients_ = 0;
    if (wakeRead_ < 0) {
        std::array<int, 2> pipe{};
        if (::pipe2(pipe.data(), O_NONBLOCK | O_CLOEXEC) != 0)
            return fail("pipe");
        wakeRead_ = pipe[0];
        wakeWrite_ = pipe[1];
    }
    return true;
}

void PtyPedalServer::closePty() {
    closeFd(clientWatch_);
    closeFd(master_);
    closeFd(slave_);
}

void PtyPedalServer::dropAnswersForNobody() {
    toClient_.clear();
    ::tcflush(slave_, TCIFLUSH);
    port_->purge(FT_PURGE_RX);
}

void PtyPedalServer::followClients() {
    // Two opens the server has not yet read reach it as one event (inotify
    // merges equal events): only a second client opened in the same instant
    // as another can be miscounted: the first close then passes for the
    // last, and the other client must open the pty again.
    if (clientWatch_ < 0)
        return;
    alignas(inotify_event) std::array<char, 4096> events{};
    for (;;) {
        const ssize_t n = ::read(clientWatch_, events.data(), events.size());
        if (n <= 0)
            return;
        for (ssize_t at = 0; at < n;) {
            const auto* event = reinterpret_cast<const inotify_event*>(events.data() + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (event->mask & IN_OPEN) {
                if (clients_++ == 0)
                    dropAnswersForNobody();
            } else if ((event->mask & IN_CLOSE) && clients_ > 0) {
                if (--clients_ == 0) {
                    // A client that died in exclusive mode would lock every
                    // other out of the pty for as long as the pedal runs.
                    ::ioctl(slave_, TIOCNXCL);
                    dropAnswersForNobody();
                }
            }
        }
    }
}

void PtyPedalServer::wake() {
    if (wakeWrite_ >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &byte, 1);
    }
}

void PtyPedalServer::stop() {
    stopping_ = true;
    wake();
}

void PtyPedalServer::unplug() {
    unplugRequested_ = true;
    wake();
}

void PtyPedalServer::unplugAfterMs(int ms) {
    unplugAtUs_ = clock_.nowUs() + std::int64_t{ms} * 1000;
}

bool PtyPedalServer::step() {
    const std::lock_guard lock(mutex_);
    if (unplugRequested_.exchange(false)) {
        closePty();
        pedal_->unplug();
        toClient_.clear();
    }
    if (master_ < 0)
        return false;
    followClients();

    std::array<std::uint8_t, kChunkBytes> chunk{};
    for (;;) {
        const ssize_t n = ::read(master_, chunk.data(), chunk.size());
        if (n <= 0)
            break;
        DWORD written = 0;
        port_->write(chunk.data(), static_cast<DWORD>(n), &written);
    }

    DWORD queued = 0;
    if (port_->getQueueStatus(&queued) == FT_OK && queued > 0) {
        std::vector<std::uint8_t> bytes(queued);
        DWORD got = 0;
        port_->read(bytes.data(), queued, &got);
        // With no client open the answers go nowhere, as down a cable nobody
        // holds: left in the pty, the next client would read them first.
        if (clients_ > 0 || clientWatch_ < 0)
            toClient_.insert(toClient_.end(), bytes.begin(), bytes.begin() + got);
        while (toClient_.size() > kClientBacklogLimitBytes)
            toClient_.pop_front();
    }
    while (!toClient_.empty()) {
        const std::size_t n = std::min(toClient_.size(), chunk.size());
        std::copy_n(toClient_.begin(), n, chunk.begin());
        const ssize_t sent = ::write(master_, chunk.data(), n);
        if (sent <= 0)
            break;
        toClient_.erase(toClient_.begin(), toClient_.begin() + sent);
    }
    return pedal_->hasBytesInFlight();
}

void PtyPedalServer::run() {
    while (!stopping_) {
        bool scheduledUnplug = false;
        if (unplugAtUs_ >= 0 && clock_.nowUs() >= unplugAtUs_) {
            unplugAtUs_ = -1;
            unplugRequested_ = true;
            scheduledUnplug = true;
        }
        const bool pedalBusy = step();
        // A pedal pulled out on schedule has nothing more to serve.
        if (scheduledUnplug)
            return;
        std::array<pollfd, 3> fds{};
        fds[0] = {wakeRead_, POLLIN, 0};
        nfds_t count = 1;
        if (master_ >= 0) {
            fds[count++] = {master_, static_cast<short>(POLLIN | (toClient_.empty() ? 0 : POLLOUT)),
                            0};
        }
        if (clientWatch_ >= 0)
            fds[count++] = {clientWatch_, POLLIN, 0};
        // Answers the client has no room for yet wait for the pty to drain.
        int timeoutMs = pedalBusy ? kBusyTickMs : -1;
        if (unplugAtUs_ >= 0) {
            const auto dueMs = static_cast<int>((unplugAtUs_ - clock_.nowUs() + 999) / 1000);
            timeoutMs =
                timeoutMs < 0 ? std::max(dueMs, 0) : std::min(timeoutMs, std::max(dueMs, 0));
        }
        ::poll(fds.data(), count, timeoutMs);
        std::array<char, 64> drain{};
        while (::read(wakeRead_, drain.data(), drain.size()) > 0) {
        }
    }
}

} // namespace brivo
