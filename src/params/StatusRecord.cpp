#include "params/StatusRecord.h"

#include "base/EditorError.h"

#include <algorithm>

namespace brivo {

namespace {

constexpr int kWordBytes = 4;
constexpr std::int32_t kValueSteps = 1024;

} // namespace

std::size_t status_record_bytes(std::uint32_t paramCount) {
    return std::size_t{kWordBytes} * paramCount + kStatusTailBytes;
}

std::int32_t status_word_value(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    const std::uint32_t word = (std::uint32_t{b0} << 24) | (std::uint32_t{b1} << 16) |
                               (std::uint32_t{b2} << 8) | std::uint32_t{b3};
    // C++ integer division truncates toward zero, as the record's scaling does.
    return static_cast<std::int32_t>(word) / kValueScale;
}

StatusRecord decode_status_record(std::span<const std::uint8_t> bytes, std::uint32_t paramCount) {
    const std::size_t needed = status_record_bytes(paramCount);
    if (bytes.size() < needed)
        throw EditorError(QStringLiteral("Status reply refused: %1 bytes received, %2 needed for "
                                         "%3 parameters")
                              .arg(bytes.size())
                              .arg(needed)
                              .arg(paramCount));
    StatusRecord record;
    const int count = static_cast<int>(paramCount);
    record.values.resize(paramCount);
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* w = bytes.data() + kWordBytes * i;
        record.values[i] = status_word_value(w[0], w[1], w[2], w[3]);
    }
    const std::uint8_t* tail = bytes.data() + kWordBytes * count;
    for (int r = 0; r < kControllerCount; ++r)
        std::copy_n(tail + kParamSlots * r, kParamSlots, record.matrix[r].begin());
    std::copy_n(tail + kStatusReverseOffset, kParamSlots, record.reverse.begin());
    std::copy_n(tail + kStatusMinLimitsOffset, kParamSlots, record.minLimitBytes.begin());
    std::copy_n(tail + kStatusMaxLimitsOffset, kParamSlots, record.maxLimitBytes.begin());
    return record;
}

StatusRecord decode_status_record(const QByteArray& bytes, std::uint32_t paramCount) {
    return decode_status_record(
        std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                      static_cast<std::size_t>(bytes.size())),
        paramCount);
}

int multi_switch_index(std::int32_t value, std::uint32_t optionCount) {
    if (optionCount == 0 || optionCount > static_cast<std::uint32_t>(kValueSteps))
        return -1;
    const std::int64_t step = kValueSteps / static_cast<std::int64_t>(optionCount);
    // 64 bits: the reduction by one must not overflow for the lowest value.
    std::int64_t index = value / step;
    if (index < 0 || index >= static_cast<std::int64_t>(optionCount))
        --index;
    if (index < 0)
        return -1;
    return static_cast<int>(std::min<std::int64_t>(index, optionCount - 1));
}

// Limits read from the pedal stay on the value scale: a byte above 127
// would give more than the full range.
std::uint32_t min_limit_of_byte(std::uint8_t b) {
    return b == 0 ? 0 : std::min<std::uint32_t>((std::uint32_t{b} + 1) * 8, kValueMax);
}

std::uint32_t max_limit_of_byte(std::uint8_t b) {
    return b == 0 ? static_cast<std::uint32_t>(kValueMax)
                  : std::min<std::uint32_t>((std::uint32_t{b} + 1) * 8, kValueMax);
}

} // namespace brivo
