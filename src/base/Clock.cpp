#include "base/Clock.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <sys/timerfd.h>
#include <thread>
#include <unistd.h>

namespace brivo {

namespace {

class QtTimerBackend final : public ClockTimerBackend {
  public:
    explicit QtTimerBackend(std::function<void()> onTimeout) {
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [fn = std::move(onTimeout)] { fn(); });
    }
    void start(std::int64_t delayUs) override {
        // Qt counts whole milliseconds: round up, a pause is never cut short.
        timer_.start(static_cast<int>((std::max<std::int64_t>(delayUs, 0) + 999) / 1000));
    }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

  private:
    QTimer timer_;
};

// A timer to the microsecond: Qt's own count whole milliseconds, and a wait
// for a one-byte answer would lose most of a millisecond to the rounding.
// The kernel's timer wakes the thread's event loop through its descriptor.
class PreciseTimerBackend final : public ClockTimerBackend {
  public:
    static std::unique_ptr<PreciseTimerBackend> make(std::function<void()> onTimeout) {
        const int fd = timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
        if (fd < 0)
            return nullptr;
        return std::unique_ptr<PreciseTimerBackend>(
            new PreciseTimerBackend(fd, std::move(onTimeout)));
    }
    ~PreciseTimerBackend() override {
        notifier_.setEnabled(false);
        ::close(fd_);
    }
    PreciseTimerBackend(const PreciseTimerBackend&) = delete;
    PreciseTimerBackend& operator=(const PreciseTimerBackend&) = delete;

    void start(std::int64_t delayUs) override {
        // A zero time would disarm the timer: the soonest is one nanosecond.
        const std::int64_t ns = std::max<std::int64_t>(delayUs, 0) * 1000 + 1;
        itimerspec due{};
        due.it_value.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
        due.it_value.tv_nsec = static_cast<long>(ns % 1'000'000'000);
        active_ = timerfd_settime(fd_, 0, &due, nullptr) == 0;
    }
    void stop() override {
        const itimerspec none{};
        timerfd_settime(fd_, 0, &none, nullptr);
        active_ = false;
    }
    bool isActive() const override { return active_; }

  private:
    PreciseTimerBackend(int fd, std::function<void()> onTimeout)
        : fd_(fd), notifier_(fd, QSocketNotifier::Read), onTimeout_(std::move(onTimeout)) {
        QObject::connect(&notifier_, &QSocketNotifier::activated, [this] { expired(); });
    }
    void expired() {
        std::uint64_t count = 0;
        // Stopped or started again since it rang: nothing is due.
        if (::read(fd_, &count, sizeof count) != static_cast<ssize_t>(sizeof count) || !active_)
            return;
        active_ = false;
        // The callback may destroy this timer: it runs from a copy.
        const std::function<void()> onTimeout = onTimeout_;
        onTimeout();
    }

    int fd_;
    QSocketNotifier notifier_;
    std::function<void()> onTimeout_;
    bool active_ = false;
};

} // namespace

std::int64_t RealClock::nowUs() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealClock::sleepUs(std::int64_t us) {
    if (us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(us));
}

std::unique_ptr<ClockTimerBackend> RealClock::makeTimer(std::function<void()> onTimeout) {
    if (auto precise = PreciseTimerBackend::make(onTimeout))
        return precise;
    return std::make_unique<QtTimerBackend>(std::move(onTimeout));
}

class VirtualClock::Timer final : public ClockTimerBackend {
  public:
    Timer(VirtualClock& clock, std::function<void()> onTimeout)
        : clock_(&clock), onTimeout_(std::move(onTimeout)) {}
    ~Timer() override { stop(); }
    void start(std::int64_t delayUs) override {
        stop();
        if (clock_ == nullptr)
            return;
        key_ = clock_->schedule(this, delayUs);
        active_ = true;
    }
    void stop() override {
        if (active_ && clock_ != nullptr)
            clock_->cancel(key_);
        active_ = false;
    }
    bool isActive() const override { return active_; }
    // Called by the clock, which has already taken the timer off its list.
    void fire() {
        active_ = false;
        // The callback may destroy this timer: it runs from a copy.
        const std::function<void()> onTimeout = onTimeout_;
        onTimeout();
    }
    void detach() {
        active_ = false;
        clock_ = nullptr;
    }

  private:
    VirtualClock* clock_;
    std::function<void()> onTimeout_;
    Key key_{};
    bool active_ = false;
};

VirtualClock::~VirtualClock() {
    for (auto& [key, timer] : due_)
        timer->detach();
}

std::unique_ptr<ClockTimerBackend> VirtualClock::makeTimer(std::function<void()> onTimeout) {
    return std::make_unique<Timer>(*this, std::move(onTimeout));
}

VirtualClock::Key VirtualClock::schedule(Timer* timer, std::int64_t delayUs) {
    const Key key{now_ + std::max<std::int64_t>(delayUs, 0), nextSeq_++};
    due_.emplace(key, timer);
    return key;
}

bool VirtualClock::fireFirstDueBy(std::int64_t limitUs) {
    if (due_.empty() || due_.begin()->first.first > limitUs)
        return false;
    const auto first = due_.begin();
    Timer* timer = first->second;
    now_ = std::max(now_, first->first.first);
    due_.erase(first);
    timer->fire();
    return true;
}

bool VirtualClock::runDueTimers() {
    bool fired = false;
    while (fireFirstDueBy(now_))
        fired = true;
    return fired;
}

bool VirtualClock::runNextTimer() {
    return !due_.empty() && fireFirstDueBy(due_.begin()->first.first);
}

void VirtualClock::advanceUs(std::int64_t us) {
    const std::int64_t end = now_ + std::max<std::int64_t>(us, 0);
    while (fireFirstDueBy(end)) {
    }
    now_ = std::max(now_, end);
}

} // namespace brivo
