#include "virtualpedal/EffectProcessor.h"

#include "virtualpedal/IdentityReply.h"
#include "virtualpedal/StatusRecord.h"

#include <algorithm>
#include <string_view>

namespace brivo {

namespace {

constexpr std::string_view kUploadCompletedText = "Upload Completed";
constexpr std::size_t kSetParameterBytes = 7;
constexpr std::size_t kSetLimitBytes = 7;
constexpr std::size_t kTwoByteMessage = 2;
// Layout of the assignment table after its command byte.
constexpr int kTableLowParams = 16;
constexpr int kTableReverseOffset = 112;
constexpr int kTableHighParamsOffset = 128;
constexpr int kTableHighParams = 8;
constexpr std::uint8_t kLimitMinimum = 0;
constexpr std::uint8_t kLimitMaximum = 1;

std::uint32_t bigEndian(const std::vector<std::uint8_t>& bytes, std::size_t first, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | bytes[first + i];
    return value;
}

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

} // namespace

std::optional<EffectProcessor::Answer> EffectProcessor::consume(std::uint8_t byte,
                                                                std::int64_t atUs) {
    ++rawBytes_;
    if (pending_.empty() && byte > kSetLimit) {
        garbage_.push_back(byte);
        return std::nullopt;
    }
    pending_.push_back(byte);
    if (pending_[0] == kUpload && pending_.size() == kProgramLengthBytes) {
        const std::size_t length = bigEndian(pending_, 0, kProgramLengthBytes);
        if (length < kMinProgramBytes || length > kMaxProgramBytes) {
            // Not a program this processor could hold: skip the header.
            dropPendingAsGarbage();
            return std::nullopt;
        }
    }
    const std::size_t length = expectedLength();
    if (length == 0 || pending_.size() < length)
        return std::nullopt;
    std::vector<std::uint8_t> message;
    message.swap(pending_);
    received_.push_back({message, atUs});
    return execute(message);
}

std::size_t EffectProcessor::expectedLength() const {
    switch (pending_[0]) {
    case kUpload:
        return pending_.size() < kProgramLengthBytes ? 0
                                                     : bigEndian(pending_, 0, kProgramLengthBytes);
    case kSetParameter:
        return kSetParameterBytes;
    case kAssignTable:
        return 1 + kAssignTableBytes;
    case kSetLimit:
        return kSetLimitBytes;
    default:
        return kTwoByteMessage;
    }
}

void EffectProcessor::dropPendingAsGarbage() {
    garbage_.insert(garbage_.end(), pending_.begin(), pending_.end());
    pending_.clear();
}

std::optional<EffectProcessor::Answer>
EffectProcessor::execute(const std::vector<std::uint8_t>& message) {
    switch (message[0]) {
    case kUpload:
        return loadProgram(message);
    case kSetParameter:
        setParameter(message);
        return std::nullopt;
    case kStatus: {
        const std::string text = statusRecordText(buildStatusRecord(current_, message[1]));
        return Answer{bytesOf(text), kAnswerProcessingUs};
    }
    case kStore:
        stored_[effectNumber_] = current_;
        return std::nullopt;
    case kAssignTable:
        setAssignTable(message);
        return std::nullopt;
    case kIdentity: {
        const std::string text = identityReplyText(effectNumber_, effectVersion_, firmwareVersion_);
        return Answer{bytesOf(text), kAnswerProcessingUs};
    }
    case kSetLimit:
        setLimit(message);
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

std::optional<EffectProcessor::Answer>
EffectProcessor::loadProgram(const std::vector<std::uint8_t>& program) {
    lastUpload_ = program;
    effectNumber_ = program[kProgramEffectNumberByte];
    effectVersion_ = program[kProgramEffectVersionByte];
    for (int i = 0; i < kTableLowParams; ++i)
        addresses_[i] = static_cast<std::uint16_t>(
            bigEndian(program, kProgramFirstAddressByte + 2 * static_cast<std::size_t>(i), 2));
    for (int k = 0; k < kTableHighParams; ++k)
        addresses_[kTableLowParams + k] = static_cast<std::uint16_t>(
            bigEndian(program, kProgramSecondAddressByte + 2 * static_cast<std::size_t>(k), 2));
    // Settings not stored are lost when an effect is loaded.
    const auto stored = stored_.find(effectNumber_);
    current_ = stored == stored_.end() ? EffectSettings{} : stored->second;

    std::vector<std::uint8_t> answer = bytesOf(kUploadCompletedText);
    answer.push_back(0);
    return Answer{answer, kUploadProcessingUs};
}

void EffectProcessor::setParameter(const std::vector<std::uint8_t>& message) {
    const auto address = static_cast<std::uint16_t>(bigEndian(message, 1, 2));
    const std::uint32_t word = bigEndian(message, 3, 4);
    bool known = false;
    for (int i = 0; i < kPedalParameterSlots; ++i) {
        if (address != 0 && addresses_[i] == address) {
            current_.valueWords[i] = word;
            known = true;
        }
    }
    if (!known)
        unknownAddresses_.push_back({address, word});
}

void EffectProcessor::setAssignTable(const std::vector<std::uint8_t>& message) {
    const std::uint8_t* table = message.data() + 1;
    for (int r = 0; r < kPedalControllers; ++r) {
        for (int c = 0; c < kTableLowParams; ++c)
            current_.assigned[r][c] = table[kTableLowParams * r + c] != 0;
        for (int k = 0; k < kTableHighParams; ++k)
            current_.assigned[r][kTableLowParams + k] =
                table[kTableHighParamsOffset + kTableHighParams * r + k] != 0;
    }
    // The table has reverse flags for the first 16 parameters only.
    for (int i = 0; i < kTableLowParams; ++i)
        current_.reversed[i] = table[kTableReverseOffset + i] != 0;
}

void EffectProcessor::setLimit(const std::vector<std::uint8_t>& message) {
    const std::uint8_t which = message[1];
    const int index = message[2];
    const auto limit =
        static_cast<int>(static_cast<std::int32_t>(bigEndian(message, 3, 4)) / kPedalValueScale);
    if (index >= kPedalParameterSlots)
        return;
    if (which == kLimitMinimum)
        current_.minLimits[index] = limit;
    else if (which == kLimitMaximum)
        current_.maxLimits[index] = limit;
}

void EffectProcessor::moveController(int controller, int position) {
    if (controller < 0 || controller >= kPedalControllers)
        return;
    position = std::clamp(position, 0, kPedalFullScale);
    for (int c = 0; c < kPedalParameterSlots; ++c) {
        if (!current_.assigned[controller][c])
            continue;
        const int travel = current_.reversed[c] ? kPedalFullScale - position : position;
        const int low = current_.minLimits[c];
        const int span = current_.maxLimits[c] - low;
        const int scaled = span * travel;
        // Rounded to the nearest step, either way.
        const int offset = scaled >= 0 ? (scaled + kPedalFullScale / 2) / kPedalFullScale
                                       : -((-scaled + kPedalFullScale / 2) / kPedalFullScale);
        current_.setValue(c, low + offset);
    }
}

void EffectProcessor::setParameterValue(int index, int value) {
    if (index >= 0 && index < kPedalParameterSlots)
        current_.setValue(index, value);
}

std::optional<EffectSettings> EffectProcessor::storedSettings(int effectNumber) const {
    const auto it = stored_.find(effectNumber);
    if (it == stored_.end())
        return std::nullopt;
    return it->second;
}

void EffectProcessor::clearRecord() {
    received_.clear();
    rawBytes_ = 0;
    garbage_.clear();
    unknownAddresses_.clear();
}

} // namespace brivo
