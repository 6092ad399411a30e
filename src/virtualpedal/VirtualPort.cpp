#include "virtualpedal/VirtualPort.h"

#include "virtualpedal/VirtualPedal.h"

#include <algorithm>
#include <optional>
#include <utility>

namespace brivo {

VirtualPort::VirtualPort(std::shared_ptr<VirtualPedal> pedal, std::uint64_t session)
    : pedal_(std::move(pedal)), session_(session) {}

VirtualPort::~VirtualPort() {
    if (!closed_ && pedal_->sessionAlive(session_))
        pedal_->setUnplugNotice(nullptr);
}

bool VirtualPort::alive() const {
    return !closed_ && pedal_->sessionAlive(session_);
}

FT_STATUS VirtualPort::setBaudRate(DWORD baud) {
    return alive() ? pedal_->setBaudRate(baud) : FT_IO_ERROR;
}

FT_STATUS VirtualPort::setDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
    return alive() ? pedal_->setDataCharacteristics(wordLength, stopBits, parity) : FT_IO_ERROR;
}

FT_STATUS VirtualPort::purge(DWORD mask) {
    if (!alive())
        return FT_IO_ERROR;
    if (mask & ~(FT_PURGE_RX | FT_PURGE_TX))
        return FT_INVALID_PARAMETER;
    return pedal_->purge(mask);
}

FT_STATUS VirtualPort::getQueueStatus(DWORD* queued) {
    if (queued == nullptr)
        return FT_INVALID_PARAMETER;
    if (!alive())
        return FT_IO_ERROR;
    *queued = pedal_->queued();
    watch();
    return FT_OK;
}

FT_STATUS VirtualPort::read(std::uint8_t* buffer, DWORD count, DWORD* got) {
    if (got == nullptr || (buffer == nullptr && count > 0))
        return FT_INVALID_PARAMETER;
    *got = 0;
    if (!alive())
        return FT_IO_ERROR;
    *got = pedal_->read(buffer, count);
    watch();
    return FT_OK;
}

FT_STATUS VirtualPort::write(const std::uint8_t* data, DWORD count, DWORD* written) {
    if (written == nullptr || (data == nullptr && count > 0))
        return FT_INVALID_PARAMETER;
    *written = 0;
    if (!alive() || pedal_->cablePulledForWrite())
        return FT_IO_ERROR;
    pedal_->write(data, count);
    *written = count;
    watch();
    return FT_OK;
}

FT_STATUS VirtualPort::readEE(DWORD wordAddress, WORD* value) {
    if (value == nullptr)
        return FT_INVALID_PARAMETER;
    if (!alive())
        return FT_IO_ERROR;
    if (wordAddress >= static_cast<DWORD>(kBridgeEepromWords))
        return FT_INVALID_PARAMETER;
    *value = pedal_->eeprom()[wordAddress];
    return FT_OK;
}

FT_STATUS VirtualPort::setLatencyTimer(UCHAR ms) {
    if (!alive())
        return FT_IO_ERROR;
    return pedal_->setLatencyTimer(ms);
}

FT_STATUS VirtualPort::getLatencyTimer(UCHAR* ms) {
    if (!alive())
        return FT_IO_ERROR;
    *ms = static_cast<UCHAR>(pedal_->latencyTimerNs() / 1'000'000);
    return FT_OK;
}

FT_STATUS VirtualPort::close() {
    notify_ = nullptr;
    watchTimer_.reset();
    // Closing a handle whose bridge has gone succeeds, so the host can let go of it.
    if (!closed_) {
        if (pedal_->sessionAlive(session_))
            pedal_->setUnplugNotice(nullptr);
        pedal_->endSession(session_);
    }
    closed_ = true;
    return FT_OK;
}

FT_STATUS VirtualPort::setReceiveNotifier(std::function<void()> notify) {
    if (!alive())
        return FT_IO_ERROR;
    notify_ = std::move(notify);
    if (!notify_) {
        watchTimer_.reset();
        pedal_->setUnplugNotice(nullptr);
        return FT_OK;
    }
    if (!watchTimer_)
        watchTimer_ = std::make_unique<ClockTimer>(pedal_->clock(), [this] { watch(); });
    pedal_->setUnplugNotice([this] {
        if (notify_)
            notify_();
    });
    lastQueued_ = pedal_->queued();
    watch();
    return FT_OK;
}

void VirtualPort::watch() {
    if (!notify_ || !alive())
        return;
    const DWORD queued = pedal_->queued();
    const bool arrived = queued > lastQueued_;
    lastQueued_ = queued;
    // The next look is when the bridge hands bytes over or the processor has
    // the whole of what was written (and may answer), and within the usual
    // pace: an answer is seen as soon as it is there. Bytes the host has not
    // read keep the port looking.
    if (const std::optional<std::int64_t> atUs = pedal_->nextArrivalAtUs())
        watchTimer_->startUs(
            std::clamp<std::int64_t>(*atUs - pedal_->clock().nowUs(), 0, kWatchIntervalUs));
    else if (pedal_->hasBytesInFlight())
        watchTimer_->startUs(kWatchIntervalUs);
    else
        watchTimer_->stop();
    if (arrived)
        notify_();
}

} // namespace brivo
