#pragma once

#include "params/ParamState.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace brivo {

// Layout of the pedal's status record, after the T value words.
constexpr int kStatusMatrixBytes = kControllerCount * kParamSlots;           // 168
constexpr int kStatusReverseOffset = kStatusMatrixBytes;                     // 4T + 168
constexpr int kStatusMinLimitsOffset = kStatusReverseOffset + 72;            // 4T + 240
constexpr int kStatusMaxLimitsOffset = kStatusMinLimitsOffset + kParamSlots; // 4T + 264
constexpr int kStatusTailBytes = kStatusMaxLimitsOffset + kParamSlots;       // 288

// The record a status of T parameters must at least hold: 4T + 288 bytes.
std::size_t status_record_bytes(std::uint32_t paramCount);

// The fields of one status record.
struct StatusRecord {
    // One value per parameter on the 0 to 1023 scale.
    std::vector<std::int32_t> values;
    // Row = controller, column = parameter; non-zero where it drives it.
    std::array<std::array<std::uint8_t, kParamSlots>, kControllerCount> matrix{};
    std::array<std::uint8_t, kParamSlots> reverse{};
    std::array<std::uint8_t, kParamSlots> minLimitBytes{};
    std::array<std::uint8_t, kParamSlots> maxLimitBytes{};
};

// A big-endian word read as signed 32 bits and divided by 8192, truncating
// toward zero (-8191 to 8191 give 0).
std::int32_t status_word_value(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3);

// Splits `bytes` into its fields for T = paramCount. Throws EditorError when
// the record is shorter than 4T + 288 bytes; the caller logs and shows it.
StatusRecord decode_status_record(std::span<const std::uint8_t> bytes, std::uint32_t paramCount);
StatusRecord decode_status_record(const QByteArray& bytes, std::uint32_t paramCount);

// The option a multi-switch shows for a status value: value div
// (1024 div optionCount), reduced by one when it is not below the count (read
// as unsigned, so a negative index is reduced too). -1 means nothing
// selected (negative results, or no options). An index still past the end
// (possible only from 38 options on) selects the last option.
int multi_switch_index(std::int32_t value, std::uint32_t optionCount);

// Limits from the status's limit bytes: (b + 1) × 8, except that a zero byte
// is the end of the range: 0 for the minimum, 1023 for the maximum. The pedal
// keeps a minimum below 16 as byte 0, so a minimum set at 0 reads back as 0
// and a low maximum stays above it.
std::uint32_t min_limit_of_byte(std::uint8_t b);
std::uint32_t max_limit_of_byte(std::uint8_t b);

} // namespace brivo
