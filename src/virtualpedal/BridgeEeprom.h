#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace brivo {

constexpr int kBridgeEepromWords = 128;
using BridgeEepromImage = std::array<std::uint16_t, kBridgeEepromWords>;

// Identity written into an FT-X bridge's EEPROM.
constexpr std::uint16_t kBridgeVendorId = 0x0403;
constexpr std::uint16_t kBridgeProductId = 0x6015;
constexpr std::uint16_t kBridgeRelease = 0x1000;
// Bus powered (0x80), 90 mA (45 units of 2 mA).
constexpr std::uint16_t kBridgePowerWord = 0x2D80;
// Where the three USB string descriptors start, and the checksum word.
constexpr int kBridgeStringsFirstWord = 0x50;
constexpr int kBridgeChecksumWord = 0x7F;

// Builds the 128-word image of an FT-X EEPROM: ids, power, the string
// pointers in words 7 to 9, the manufacturer, product and serial strings
// packed from word 0x50 as USB string descriptors, and the checksum.
// Strings that do not fit are shortened, the product first.
BridgeEepromImage buildBridgeEeprom(const std::string& manufacturer, const std::string& product,
                                    const std::string& serial);

// The FT-X checksum over words 0x00 to 0x11 and 0x40 to 0x7E.
std::uint16_t bridgeEepromChecksum(const BridgeEepromImage& image);

} // namespace brivo
