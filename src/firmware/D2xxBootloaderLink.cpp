#include "firmware/D2xxBootloaderLink.h"

#include "base/Clock.h"
#include "base/EditorError.h"
#include "firmware/BootloaderClient.h"
#include "link/D2XXUnit.h"
#include "link/AsyncExchange.h"

namespace brivo {

D2xxBootloaderLink::D2xxBootloaderLink(D2XXUnit& unit, AsyncExchange& exchange, Clock& clock,
                                       std::function<bool()> stopRequested)
    : unit_(unit), exchange_(exchange), clock_(clock), stopRequested_(std::move(stopRequested)) {}

void D2xxBootloaderLink::purgeReceive() {
    ahead_.clear();
    unit_.PurgeFTDeviceRX();
}

void D2xxBootloaderLink::write(std::span<const std::uint8_t> frame) {
    exchange_.sendBytes(frame);
}

std::vector<std::uint8_t> D2xxBootloaderLink::takeArrived() {
    std::vector<std::uint8_t> arrived(ahead_.begin(), ahead_.end());
    ahead_.clear();
    if (unit_.GetFTQueueStatus() == FT_OK && unit_.ftQueueBytes > 0) {
        const DWORD n = unit_.ReadFTDevice(kRxBufferSize);
        arrived.insert(arrived.end(), unit_.rxBuffer.begin(),
                       unit_.rxBuffer.begin() + static_cast<std::ptrdiff_t>(n));
    }
    return arrived;
}

Task<BootloaderLink::Awaited> D2xxBootloaderLink::await(int count, int timeoutMs) {
    Awaited got;
    const auto takeAhead = [&] {
        while (!ahead_.empty() && static_cast<int>(got.bytes.size()) < count) {
            got.bytes.push_back(ahead_.front());
            ahead_.pop_front();
        }
    };
    takeAhead();
    const std::int64_t startMs = clock_.nowMs();
    const auto checkStop = [this] {
        if (stopRequested_ && stopRequested_())
            throw UpgradeStopped();
    };
    while (static_cast<int>(got.bytes.size()) < count) {
        checkStop();
        const int leftMs = timeoutMs - static_cast<int>(clock_.nowMs() - startMs);
        if (leftMs <= 0) {
            got.end = End::TimedOut;
            co_return got;
        }
        bool linkOk = true;
        bool timedOut = false;
        try {
            linkOk = co_await exchange_.waitForQueuedBytes(leftMs, checkStop);
        } catch (const UpgradeStopped&) {
            throw;
        } catch (const EditorError&) {
            timedOut = true;
        }
        if (timedOut) {
            got.end = End::TimedOut;
            co_return got;
        }
        if (!linkOk) {
            got.end = End::LinkLost;
            co_return got;
        }
        const DWORD n = unit_.ReadFTDevice(kRxBufferSize);
        if (unit_.ftReadStatus != FT_OK) {
            got.end = End::LinkLost;
            co_return got;
        }
        ahead_.insert(ahead_.end(), unit_.rxBuffer.begin(),
                      unit_.rxBuffer.begin() + static_cast<std::ptrdiff_t>(n));
        takeAhead();
    }
    got.end = End::Whole;
    co_return got;
}

} // namespace brivo
