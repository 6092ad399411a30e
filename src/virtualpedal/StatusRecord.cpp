#include "virtualpedal/StatusRecord.h"

#include <algorithm>

namespace brivo {

namespace {

constexpr int kLimitStep = 8;
constexpr int kLimitByteMax = 127;

int limitSteps(int limit) {
    return std::clamp(limit / kLimitStep - 1, 0, kLimitByteMax);
}

} // namespace

std::uint8_t minimumLimitByte(int limit) {
    return static_cast<std::uint8_t>(limitSteps(limit));
}

std::uint8_t maximumLimitByte(int limit) {
    if (limit == kPedalFullScale)
        return 0;
    // 0 would read back as the full range; a low maximum is kept as the lowest
    // one that can be told apart from it.
    return static_cast<std::uint8_t>(std::max(1, limitSteps(limit)));
}

std::vector<std::uint8_t> buildStatusRecord(const EffectSettings& settings, int paramCount) {
    paramCount = std::max(0, paramCount);
    std::vector<std::uint8_t> record;
    record.reserve(4 * static_cast<std::size_t>(paramCount) + kPedalStatusFixedBytes);
    for (int i = 0; i < paramCount; ++i) {
        const std::uint32_t word = i < kPedalParameterSlots ? settings.valueWords[i] : 0;
        for (int shift = 24; shift >= 0; shift -= 8)
            record.push_back(static_cast<std::uint8_t>(word >> shift));
    }
    for (const auto& row : settings.assigned)
        for (const bool assigned : row)
            record.push_back(assigned ? 1 : 0);
    for (const bool reversed : settings.reversed)
        record.push_back(reversed ? 1 : 0);
    record.insert(record.end(), kPedalStatusUnusedBytes, 0);
    for (const int limit : settings.minLimits)
        record.push_back(minimumLimitByte(limit));
    for (const int limit : settings.maxLimits)
        record.push_back(maximumLimitByte(limit));
    return record;
}

std::string statusRecordText(const std::vector<std::uint8_t>& record) {
    std::string text;
    for (const std::uint8_t byte : record) {
        text += std::to_string(byte);
        text += "\r\n";
    }
    return text;
}

} // namespace brivo
