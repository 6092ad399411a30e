#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>

namespace brivo {

// One timer of a clock: calls its callback once, `delayUs` after start().
class ClockTimerBackend {
  public:
    virtual ~ClockTimerBackend() = default;
    virtual void start(std::int64_t delayUs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// The one source of time for the editor and the virtual pedal. The program
// runs on the real clock; tests use a virtual one whose time moves only when
// a test lets it, so pauses, time-outs and multi-read replies are fast and
// deterministic. Waits never block: a conversation starts a timer and returns
// to the event loop.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::int64_t nowUs() const = 0;
    // Blocks the calling thread. Only for threads of their own (the pty
    // pedal's server); never on the windows' thread.
    virtual void sleepUs(std::int64_t us) = 0;
    virtual std::unique_ptr<ClockTimerBackend> makeTimer(std::function<void()> onTimeout) = 0;

    std::int64_t nowMs() const { return nowUs() / 1000; }
};

// A single-shot timer on a clock; stopped when destroyed.
class ClockTimer {
  public:
    ClockTimer(Clock& clock, std::function<void()> onTimeout)
        : backend_(clock.makeTimer(std::move(onTimeout))) {}
    void startUs(std::int64_t delayUs) { backend_->start(delayUs); }
    void startMs(std::int64_t delayMs) { backend_->start(delayMs * 1000); }
    void stop() { backend_->stop(); }
    bool isActive() const { return backend_->isActive(); }

  private:
    std::unique_ptr<ClockTimerBackend> backend_;
};

// Real time; timers ring in the event loop of the thread that makes them, to
// the microsecond where the system allows (Qt's timers, to the millisecond,
// elsewhere).
class RealClock final : public Clock {
  public:
    std::int64_t nowUs() const override;
    void sleepUs(std::int64_t us) override;
    std::unique_ptr<ClockTimerBackend> makeTimer(std::function<void()> onTimeout) override;
};

// Time that moves only when told to: advanceUs() or runNextTimer() fire the
// timers that fall due, in order, each at its own time.
class VirtualClock final : public Clock {
  public:
    ~VirtualClock() override;
    std::int64_t nowUs() const override { return now_; }
    // Moves time on without firing timers (they fire late, at the next run).
    void sleepUs(std::int64_t us) override {
        if (us > 0)
            now_ += us;
    }
    std::unique_ptr<ClockTimerBackend> makeTimer(std::function<void()> onTimeout) override;

    // Fires every timer due now; true when any fired.
    bool runDueTimers();
    // Moves time to the earliest timer (not back) and fires it; false when none is pending.
    bool runNextTimer();
    // Fires, in order, every timer due within `us`, then stands at now + us.
    void advanceUs(std::int64_t us);
    void advanceMs(std::int64_t ms) { advanceUs(ms * 1000); }
    bool hasPendingTimers() const { return !due_.empty(); }
    // When the earliest pending timer falls due; -1 when none is pending.
    std::int64_t nextDueUs() const { return due_.empty() ? -1 : due_.begin()->first.first; }

  private:
    class Timer;
    friend class Timer;
    using Key = std::pair<std::int64_t, std::uint64_t>;

    Key schedule(Timer* timer, std::int64_t delayUs);
    void cancel(const Key& key) { due_.erase(key); }
    bool fireFirstDueBy(std::int64_t limitUs);

    std::int64_t now_ = 0;
    std::uint64_t nextSeq_ = 0;
    std::map<Key, Timer*> due_;
};

} // namespace brivo
