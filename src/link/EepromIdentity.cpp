#include "link/EepromIdentity.h"

#include "base/Log.h"
#include "base/PrintableText.h"
#include "link/D2XXUnit.h"
#include "link/HexText.h"

namespace brivo {

QByteArray eeprom_word_characters(WORD word) {
    return hex_to_byte_string(hex_of(word, 4));
}

EepromIdentity read_eeprom_identity(const EepromWordReader& readWord, WORD lastWord) {
    EepromIdentity identity;
    WORD word = lastWord;
    const auto charactersAt = [&](int address) {
        if (const std::optional<WORD> value = readWord(address))
            word = *value;
        return eeprom_word_characters(word);
    };
    // The dump keeps each word's two characters (the console shows control
    // characters visibly); the names are shown without the zero bytes of the
    // 16-bit characters and the string headers' control bytes.
    const auto text = [](const QByteArray& bytes) { return QString::fromLatin1(bytes); };
    const auto name = [](const QByteArray& bytes) {
        return strip_control_characters(QString::fromLatin1(bytes));
    };

    for (int a = 0; a < kEepromWordCount; ++a)
        identity.lines.append(QString::number(a) + QStringLiteral(": ") + text(charactersAt(a)));

    // The manufacturer string runs up to the header word of the next string,
    // whose length byte reads "$" for the 17-character factory description.
    int a = kEepromManufacturerStart;
    for (;;) {
        const QByteArray characters = charactersAt(a);
        identity.eepromManufacturer.append(characters);
        ++a;
        if (a == kEepromSearchEnd)
            return identity;
        if (characters.contains('$'))
            break;
    }
    identity.eepromManufacturer.replace("$", "");
    identity.lines.append(QStringLiteral("Manufacturer Name: ") +
                          name(identity.eepromManufacturer));
    identity.lines.append(QStringLiteral("Start address in EEPROM of description: ") +
                          QString::number(a));

    for (int address = a; address <= kEepromDeviceNameLast; ++address)
        identity.eepromDeviceName.append(charactersAt(address));
    identity.lines.append(QStringLiteral("Device Name: ") + name(identity.eepromDeviceName));

    for (int address = kEepromSerialFirst; address <= kEepromSerialLast; ++address)
        identity.eepromSerialNumber.append(charactersAt(address));
    identity.lines.append(QStringLiteral("Device Serial Number: ") +
                          name(identity.eepromSerialNumber));
    return identity;
}

EepromIdentity read_eeprom_identity(D2XXUnit& unit, Log& log) {
    // A serial port has no way to the EEPROM: 128 lines of the same stale word
    // would only mislead whoever reads the console.
    if (unit.ReadFTEEPROMWord(0) == FT_NOT_SUPPORTED) {
        log.log_line(QString::fromLatin1(kEepromNotReadableLine));
        return {};
    }
    const EepromWordReader reader = [&unit](int address) -> std::optional<WORD> {
        if (unit.ReadFTEEPROMWord(static_cast<DWORD>(address)) != FT_OK)
            return std::nullopt;
        return unit.ftEepromWord;
    };
    EepromIdentity identity = read_eeprom_identity(reader, unit.ftEepromWord);
    for (const QString& line : identity.lines)
        log.log_line(line);
    return identity;
}

} // namespace brivo
