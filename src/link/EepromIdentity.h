#pragma once

#include "link/d2xx/Ftd2xx.h"

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <optional>

namespace brivo {

class D2XXUnit;
class Log;

// Word addresses of the bridge's EEPROM read-out.
constexpr int kEepromWordCount = 128;
constexpr int kEepromManufacturerStart = 81;
constexpr int kEepromSearchEnd = 127;
constexpr int kEepromDeviceNameLast = 103;
constexpr int kEepromSerialFirst = 105;
constexpr int kEepromSerialLast = 112;

// The bridge's identity as read from its EEPROM at each connection.
struct EepromIdentity {
    // The console lines, in order: 128 dump lines, then (when a "$" was found)
    // the manufacturer, the description's start address, device name, serial.
    QStringList lines;
    QByteArray eepromManufacturer;
    QByteArray eepromDeviceName;
    QByteArray eepromSerialNumber;
};

// Reads one EEPROM word; nullopt when the read failed.
using EepromWordReader = std::function<std::optional<WORD>(int address)>;

// The two 8-bit characters of a word: its 4 hex digits as bytes, high first.
QByteArray eeprom_word_characters(WORD word);

// Builds the identity from the words `readWord` gives. A failed read leaves the
// last word read in place, starting from `lastWord`.
EepromIdentity read_eeprom_identity(const EepromWordReader& readWord, WORD lastWord = 0);

// Written once, in place of the dump, where the driver cannot read the EEPROM.
inline const char* const kEepromNotReadableLine =
    "EEPROM: not readable through this driver (a serial port), identity read-out skipped";

// Reads the open bridge through the device layer (failures are silent) and
// writes the lines to the console.
EepromIdentity read_eeprom_identity(D2XXUnit& unit, Log& log);

} // namespace brivo
