#pragma once

#include "base/Clock.h"
#include "link/d2xx/Driver.h"

#include <cstdint>
#include <memory>

namespace brivo {

class VirtualPedal;

// An open handle on a virtual pedal. Once the pedal is unplugged the handle
// is dead: every call fails with FT_IO_ERROR, except close.
class VirtualPort final : public Port {
  public:
    VirtualPort(std::shared_ptr<VirtualPedal> pedal, std::uint64_t session);
    ~VirtualPort() override;

    FT_STATUS setBaudRate(DWORD baud) override;
    FT_STATUS setDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) override;
    FT_STATUS purge(DWORD mask) override;
    FT_STATUS getQueueStatus(DWORD* queued) override;
    FT_STATUS read(std::uint8_t* buffer, DWORD count, DWORD* got) override;
    FT_STATUS write(const std::uint8_t* data, DWORD count, DWORD* written) override;
    FT_STATUS readEE(DWORD wordAddress, WORD* value) override;
    FT_STATUS setLatencyTimer(UCHAR ms) override;
    FT_STATUS getLatencyTimer(UCHAR* ms) override;
    // Sleeps until the answer is there (or a short slice has passed, so the
    // waiting editor keeps its windows alive).
    bool simulated() const override { return true; }
    FT_STATUS close() override;
    // Bytes the host can read, and an unplug, are noticed on the pedal's
    // clock: while bytes travel, the port looks every kWatchIntervalUs.
    FT_STATUS setReceiveNotifier(std::function<void()> notify) override;

    static constexpr std::int64_t kWatchIntervalUs = 1000;

  private:
    bool alive() const;
    // Tells of bytes that became readable and keeps watching while more travel.
    void watch();

    std::shared_ptr<VirtualPedal> pedal_;
    std::uint64_t session_;
    bool closed_ = false;
    std::function<void()> notify_;
    std::unique_ptr<ClockTimer> watchTimer_;
    DWORD lastQueued_ = 0;
};

} // namespace brivo
