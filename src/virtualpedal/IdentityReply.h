#pragma once

#include <string>

namespace brivo {

constexpr const char* kPedalIdentityName = "BRIVO";

// The answer to 05 00: four lines, each ended by CR LF: the pedal's name,
// the effect number, the effect version and the firmware version, in decimal.
std::string identityReplyText(int effectNumber, int effectVersion, int firmwareVersion);

} // namespace brivo
