#pragma once

#include <cstdint>

namespace brivo {

// The one source of time for the editor and the virtual pedal. The program
// runs on the real clock; tests use a virtual one whose sleep advances time
// at once, so pauses and multi-read replies are fast and deterministic.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual std::int64_t nowUs() const = 0;
    virtual void sleepUs(std::int64_t us) = 0;

    std::int64_t nowMs() const { return nowUs() / 1000; }
    void sleepMs(std::int64_t ms) { sleepUs(ms * 1000); }
};

class RealClock final : public Clock {
  public:
    std::int64_t nowUs() const override;
    void sleepUs(std::int64_t us) override;
};

class VirtualClock final : public Clock {
  public:
    std::int64_t nowUs() const override { return now_; }
    void sleepUs(std::int64_t us) override {
        if (us > 0)
            now_ += us;
    }

  private:
    std::int64_t now_ = 0;
};

} // namespace brivo
