#pragma once

#include "firmware/BootloaderLink.h"

#include <deque>
#include <functional>

namespace brivo {

class Clock;
class D2XXUnit;
class AsyncExchange;

// The bootloader link over the editor's device layer and exchange, which the
// caller holds for the whole conversation; its waits return to the event loop. While it waits it asks
// `stopRequested`, and throws UpgradeStopped when told to stop.
class D2xxBootloaderLink final : public BootloaderLink {
  public:
    D2xxBootloaderLink(D2XXUnit& unit, AsyncExchange& exchange, Clock& clock,
                       std::function<bool()> stopRequested = {});

    void purgeReceive() override;
    void write(std::span<const std::uint8_t> frame) override;
    Task<Awaited> await(int count, int timeoutMs) override;
    std::vector<std::uint8_t> takeArrived() override;

  private:
    D2XXUnit& unit_;
    AsyncExchange& exchange_;
    Clock& clock_;
    std::function<bool()> stopRequested_;
    // Bytes read with an answer that belong to what follows it.
    std::deque<std::uint8_t> ahead_;
};

} // namespace brivo
