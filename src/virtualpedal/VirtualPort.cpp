#include "virtualpedal/VirtualPort.h"

#include "virtualpedal/VirtualPedal.h"

#include <algorithm>

namespace brivo {

namespace {
// The longest the editor sleeps in one wait before it looks at its windows.
constexpr int kWaitSliceMs = 10;
} // namespace

VirtualPort::VirtualPort(std::shared_ptr<VirtualPedal> pedal, std::uint64_t session)
    : pedal_(std::move(pedal)), session_(session) {}

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
    return FT_OK;
}

FT_STATUS VirtualPort::read(std::uint8_t* buffer, DWORD count, DWORD* got) {
    if (got == nullptr || (buffer == nullptr && count > 0))
        return FT_INVALID_PARAMETER;
    *got = 0;
    if (!alive())
        return FT_IO_ERROR;
    *got = pedal_->read(buffer, count);
    return FT_OK;
}

FT_STATUS VirtualPort::write(const std::uint8_t* data, DWORD count, DWORD* written) {
    if (written == nullptr || (data == nullptr && count > 0))
        return FT_INVALID_PARAMETER;
    *written = 0;
    if (!alive())
        return FT_IO_ERROR;
    pedal_->write(data, count);
    *written = count;
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

bool VirtualPort::waitForReceive(int timeoutMs) {
    if (!alive())
        return true;
    pedal_->waitForHostBytes(std::min(timeoutMs, kWaitSliceMs));
    return true;
}

FT_STATUS VirtualPort::close() {
    // Closing a handle whose bridge has gone succeeds, so the host can let go of it.
    if (!closed_)
        pedal_->endSession(session_);
    closed_ = true;
    return FT_OK;
}

} // namespace brivo
