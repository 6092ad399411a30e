#include "virtualpedal/VirtualPedal.h"

#include <algorithm>

namespace brivo {

namespace {
constexpr std::int64_t kNsPerUs = 1000;
constexpr std::int64_t kNsPerMs = 1'000'000;
constexpr UCHAR kLastParity = FT_PARITY_SPACE;
} // namespace

VirtualPedal::VirtualPedal(Clock& clock, std::string serial, std::string description)
    : clock_(clock), serial_(std::move(serial)), description_(std::move(description)),
      eeprom_(buildBridgeEeprom(kManufacturer, description_, serial_)) {}

std::int64_t VirtualPedal::nowNs() const {
    return clock_.nowUs() * kNsPerUs;
}

void VirtualPedal::advance() {
    const std::int64_t now = nowNs();
    bool cablePulled = false;
    link_.deliverDue(now, [this, &cablePulled](std::uint8_t byte, std::int64_t atNs) {
        if (!cablePulled)
            cablePulled = deliver(byte, atNs);
    });
    if (cablePulled) {
        pullCable();
        return;
    }
    link_.advanceReceive(now);
}

bool VirtualPedal::deliver(std::uint8_t byte, std::int64_t atNs) {
    switch (mode_) {
    case Mode::Application:
        if (auto answer = processor_.consume(byte, atNs / kNsPerUs))
            sendAnswer(*answer, atNs);
        return false;
    case Mode::Bootloader:
        if (auto answer = bootloader_.consume(byte))
            sendAnswer(*answer, atNs);
        if (const auto jump = bootloader_.takeJump())
            startFromFlash(*jump);
        return bootloader_.takeUnplug();
    case Mode::Halted:
        return false;
    }
    return false;
}

void VirtualPedal::startFromFlash(std::uint32_t address) {
    if (address != Bootloader::kFlashStart || !bootloader_.flashStartsAProgram()) {
        mode_ = Mode::Halted;
        updateFraming();
        return;
    }
    mode_ = Mode::Application;
    updateFraming();
    processor_.resetParser();
    processor_.setFirmwareVersion(bootloader_.flashFirmwareVersion().value_or(0));
}

void VirtualPedal::enterBootloader() {
    advance();
    mode_ = Mode::Bootloader;
    updateFraming();
    bootloader_.reset();
    processor_.resetParser();
}

void VirtualPedal::updateFraming() {
    // The bootloader's USART runs 8E1 whatever the firmware's link uses.
    const Framing processor = mode_ == Mode::Bootloader ? k8E1 : k8N1;
    link_.setProcessorFraming(processor);
    link_.setHostFraming(clientFollowsProcessor_
                             ? processor
                             : framingOf(line_.wordLength, line_.stopBits, line_.parity));
}

void VirtualPedal::setClientFollowsProcessor(bool follows) {
    advance();
    clientFollowsProcessor_ = follows;
    updateFraming();
}

const std::vector<std::uint8_t>& VirtualPedal::flash() {
    advance();
    return bootloader_.flash();
}

const std::vector<std::uint8_t>& VirtualPedal::bootloaderCommands() {
    advance();
    return bootloader_.commandsTaken();
}

bool VirtualPedal::hasBytesInFlight() {
    advance();
    // Bytes the bridge has handed over but the host has not read count too:
    // the last packet of an answer may have been sent just now.
    return link_.bytesToProcessor() + link_.bytesFromProcessor() + link_.hostQueued() > 0;
}

std::optional<std::int64_t> VirtualPedal::nextArrivalAtUs() {
    advance();
    const std::optional<std::int64_t> toProcessor = link_.lastProcessorByteAtNs();
    const std::optional<std::int64_t> toHost = link_.nextHostBytesAtNs();
    if (!toProcessor && !toHost)
        return std::nullopt;
    const std::int64_t ns = std::min(toProcessor.value_or(toHost.value_or(0)),
                                     toHost.value_or(toProcessor.value_or(0)));
    // Rounded up: at that microsecond the byte is there.
    return (ns + kNsPerUs - 1) / kNsPerUs;
}

void VirtualPedal::sendAnswer(const EffectProcessor::Answer& answer, std::int64_t atNs) {
    if (faults_.silent)
        return;
    std::vector<std::uint8_t> bytes;
    bytes.swap(faults_.garbageBeforeNextReply);
    bytes.insert(bytes.end(), answer.bytes.begin(), answer.bytes.end());
    const std::int64_t start = atNs + answer.processingUs * kNsPerUs +
                               static_cast<std::int64_t>(faults_.replyDelayMs) * kNsPerMs;
    if (faults_.splitChunkBytes <= 0) {
        link_.deviceSend(start, bytes);
        return;
    }
    const auto chunk = static_cast<std::size_t>(faults_.splitChunkBytes);
    const std::int64_t gapNs = static_cast<std::int64_t>(faults_.splitGapMs) * kNsPerMs;
    std::int64_t at = start;
    for (std::size_t first = 0; first < bytes.size(); first += chunk, at += gapNs) {
        const std::size_t end = std::min(bytes.size(), first + chunk);
        link_.deviceSend(at, std::vector<std::uint8_t>(bytes.begin() + first, bytes.begin() + end));
    }
}

void VirtualPedal::unplug() {
    advance();
    pullCable();
}

void VirtualPedal::pullCable() {
    plugged_ = false;
    // The host's driver hears of a lost device at once, not at its next call.
    if (const std::function<void()> notify = std::move(unplugNotice_))
        notify();
    openSession_ = 0;
    link_.reset();
    processor_.resetParser();
    // The part loses power with the cable; it comes back waiting for sync.
    bootloader_.reset();
}

void VirtualPedal::replug() {
    advance();
    plugged_ = true;
}

void VirtualPedal::setSplitReplies(int chunkBytes, int gapMs) {
    faults_.splitChunkBytes = std::max(0, chunkBytes);
    faults_.splitGapMs = std::max(0, gapMs);
}

void VirtualPedal::injectGarbage(const std::vector<std::uint8_t>& bytes) {
    faults_.garbageBeforeNextReply.insert(faults_.garbageBeforeNextReply.end(), bytes.begin(),
                                          bytes.end());
}

void VirtualPedal::moveController(int controller, int position) {
    advance();
    processor_.moveController(controller, position);
}

void VirtualPedal::setParameterValue(int index, int value) {
    advance();
    processor_.setParameterValue(index, value);
}

int VirtualPedal::runningEffectNumber() {
    advance();
    return processor_.runningEffectNumber();
}

int VirtualPedal::runningEffectVersion() {
    advance();
    return processor_.runningEffectVersion();
}

int VirtualPedal::firmwareVersion() {
    advance();
    return processor_.firmwareVersion();
}

const EffectSettings& VirtualPedal::settings() {
    advance();
    return processor_.settings();
}

int VirtualPedal::parameterValue(int index) {
    return settings().value(index);
}

std::uint32_t VirtualPedal::parameterWord(int index) {
    return settings().valueWords.at(index);
}

bool VirtualPedal::isAssigned(int controller, int index) {
    return settings().assigned.at(controller).at(index);
}

bool VirtualPedal::isReversed(int index) {
    return settings().reversed.at(index);
}

int VirtualPedal::minLimit(int index) {
    return settings().minLimits.at(index);
}

int VirtualPedal::maxLimit(int index) {
    return settings().maxLimits.at(index);
}

std::optional<EffectSettings> VirtualPedal::storedSettings() {
    advance();
    return processor_.storedSettings(processor_.runningEffectNumber());
}

std::optional<EffectSettings> VirtualPedal::storedSettingsOf(int effectNumber) {
    advance();
    return processor_.storedSettings(effectNumber);
}

const std::array<std::uint16_t, kPedalParameterSlots>& VirtualPedal::parameterAddresses() {
    advance();
    return processor_.parameterAddresses();
}

const std::vector<ReceivedMessage>& VirtualPedal::received() {
    advance();
    return processor_.received();
}

std::size_t VirtualPedal::rawBytesReceived() {
    advance();
    return processor_.rawBytesReceived();
}

const std::vector<std::uint8_t>& VirtualPedal::garbageReceived() {
    advance();
    return processor_.garbage();
}

const std::vector<UnknownAddressWrite>& VirtualPedal::unknownAddressWrites() {
    advance();
    return processor_.unknownAddressWrites();
}

const std::vector<std::uint8_t>& VirtualPedal::lastUpload() {
    advance();
    return processor_.lastUpload();
}

void VirtualPedal::clearRecord() {
    advance();
    processor_.clearRecord();
    writes_.clear();
}

FT_STATUS VirtualPedal::beginSession(std::uint64_t& session) {
    if (!plugged_)
        return FT_DEVICE_NOT_FOUND;
    // One handle at a time, as with a real bridge.
    if (openSession_ != 0)
        return FT_DEVICE_NOT_OPENED;
    advance();
    link_.reset();
    // Opening resets the chip, and with it the latency timer.
    link_.setLatencyTimerNs(SerialLink::kLatencyTimerNs);
    openSession_ = ++lastSession_;
    session = openSession_;
    return FT_OK;
}

void VirtualPedal::endSession(std::uint64_t session) {
    if (sessionAlive(session))
        openSession_ = 0;
}

bool VirtualPedal::sessionAlive(std::uint64_t session) const {
    return plugged_ && session != 0 && session == openSession_;
}

FT_STATUS VirtualPedal::setBaudRate(DWORD baud) {
    if (baud < kMinBaudRate || baud > kMaxBaudRate)
        return FT_INVALID_BAUD_RATE;
    line_.baudRate = baud;
    return FT_OK;
}

FT_STATUS VirtualPedal::setDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
    const bool wordOk = wordLength == FT_BITS_7 || wordLength == FT_BITS_8;
    const bool stopOk = stopBits == FT_STOP_BITS_1 || stopBits == FT_STOP_BITS_2;
    if (!wordOk || !stopOk || parity > kLastParity)
        return FT_INVALID_PARAMETER;
    if (faults_.parityRefused && parity != FT_PARITY_NONE)
        return FT_INVALID_PARAMETER;
    advance();
    line_ = {line_.baudRate, wordLength, stopBits, parity};
    updateFraming();
    return FT_OK;
}

FT_STATUS VirtualPedal::setLatencyTimer(UCHAR ms) {
    if (ms == 0)
        return FT_INVALID_PARAMETER;
    advance();
    link_.setLatencyTimerNs(static_cast<std::int64_t>(ms) * kNsPerMs);
    return FT_OK;
}

FT_STATUS VirtualPedal::purge(DWORD mask) {
    advance();
    if (mask & FT_PURGE_RX)
        link_.purgeHostReceive();
    if (mask & FT_PURGE_TX)
        link_.purgeHostTransmit(nowNs());
    return FT_OK;
}

DWORD VirtualPedal::queued() {
    advance();
    return static_cast<DWORD>(link_.hostQueued());
}

DWORD VirtualPedal::read(std::uint8_t* buffer, DWORD count) {
    advance();
    return static_cast<DWORD>(link_.hostRead(buffer, count));
}

void VirtualPedal::write(const std::uint8_t* data, DWORD count) {
    advance();
    writes_.push_back({clock_.nowUs(), std::vector<std::uint8_t>(data, data + count)});
    link_.hostWrite(nowNs(), data, count);
}

} // namespace brivo
