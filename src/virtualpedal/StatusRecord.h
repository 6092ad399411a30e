#pragma once

#include "virtualpedal/EffectSettings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brivo {

// Bytes of a status record after the 4 value bytes per parameter: the
// 7 x 24 controller matrix, 24 reverse flags, 48 unused, 24 minimum and
// 24 maximum limit bytes.
constexpr int kPedalStatusFixedBytes = 288;
constexpr int kPedalStatusUnusedBytes = 48;

// Limit bytes b stand for (b + 1) * 8; a maximum byte of 0 stands for 1023.
std::uint8_t minimumLimitByte(int limit);
std::uint8_t maximumLimitByte(int limit);

// The record for `paramCount` parameters: values as 32-bit big-endian words
// (0 past the pedal's 24 slots), then the fixed part.
std::vector<std::uint8_t> buildStatusRecord(const EffectSettings& settings, int paramCount);

// The record as the pedal sends it: each byte in decimal followed by CR LF.
std::string statusRecordText(const std::vector<std::uint8_t>& record);

} // namespace brivo
