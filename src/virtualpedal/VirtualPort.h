#pragma once

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
    bool waitForReceive(int timeoutMs) override;
    bool simulated() const override { return true; }
    FT_STATUS close() override;

  private:
    bool alive() const;

    std::shared_ptr<VirtualPedal> pedal_;
    std::uint64_t session_;
    bool closed_ = false;
};

} // namespace brivo
