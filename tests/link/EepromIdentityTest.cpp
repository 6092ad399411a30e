#include "link/EepromIdentity.h"
#include "LinkFixture.h"

#include <string>

namespace brivo::test {
namespace {

constexpr int kStringsStart = 0x50;

// An FT-X EEPROM image: the three USB string descriptors packed from word
// 0x50 on, each a header word (0x03 << 8 | byte length) and one word per
// character.
std::vector<WORD> eepromImage(const std::string& manufacturer, const std::string& product,
                              const std::string& serial) {
    std::vector<WORD> words(kEepromWordCount, 0);
    words[0x01] = 0x0403;
    words[0x02] = 0x6015;
    words[0x03] = 0x1000;
    int at = kStringsStart;
    for (const std::string* text : {&manufacturer, &product, &serial}) {
        words[at++] = static_cast<WORD>(0x0300 | (2 + 2 * text->size()));
        for (char c : *text)
            words[at++] = static_cast<WORD>(static_cast<unsigned char>(c));
    }
    return words;
}

// How a text stored one character per word reads: a zero before every character.
QByteArray wide(const std::string& text) {
    QByteArray bytes;
    for (char c : text) {
        bytes.append('\0');
        bytes.append(c);
    }
    return bytes;
}

EepromWordReader readerOf(const std::vector<WORD>& words) {
    return [words](int address) -> std::optional<WORD> {
        return words.at(static_cast<std::size_t>(address));
    };
}

TEST(EepromIdentity, FactoryLayoutGivesDumpAndIdentity) {
    const auto words = eepromImage("Tndrl", "FT230X Basic UART", "DK0JTX4I");
    const EepromIdentity identity = read_eeprom_identity(readerOf(words));

    ASSERT_EQ(identity.lines.size(), kEepromWordCount + 4);
    EXPECT_EQ(identity.lines[0], QString::fromLatin1("0: \0\0", 5));
    EXPECT_EQ(identity.lines[1], QStringLiteral("1: \x04\x03"));
    EXPECT_EQ(identity.lines[81], QString::fromLatin1("81: \0T", 6));
    EXPECT_EQ(identity.lines[86], QStringLiteral("86: \x03$"));

    const QByteArray manufacturer = wide("Tndrl") + QByteArray("\x03");
    EXPECT_EQ(identity.eepromManufacturer, manufacturer);
    EXPECT_EQ(identity.eepromDeviceName, wide("FT230X Basic UART"));
    EXPECT_EQ(identity.eepromSerialNumber, wide("DK0JTX4I"));
    // The names are shown without the zero bytes and the header's control byte.
    EXPECT_EQ(identity.lines[128], QStringLiteral("Manufacturer Name: Tndrl"));
    EXPECT_EQ(identity.lines[129], QStringLiteral("Start address in EEPROM of description: 87"));
    EXPECT_EQ(identity.lines[130], QStringLiteral("Device Name: FT230X Basic UART"));
    EXPECT_EQ(identity.lines[131], QStringLiteral("Device Serial Number: DK0JTX4I"));
}

TEST(EepromIdentity, NoDollarUpToWord125GivesOnlyTheDump) {
    std::vector<WORD> blank(kEepromWordCount, 0xFFFF);
    EXPECT_EQ(read_eeprom_identity(readerOf(blank)).lines.size(), kEepromWordCount);

    // Word 126 is read but no longer searched.
    blank[126] = 0x0324;
    const EepromIdentity identity = read_eeprom_identity(readerOf(blank));
    EXPECT_EQ(identity.lines.size(), kEepromWordCount);
    EXPECT_TRUE(identity.eepromDeviceName.isEmpty());
    EXPECT_TRUE(identity.eepromSerialNumber.isEmpty());
}

TEST(EepromIdentity, DollarInWord125StartsTheDescriptionPastItsEnd) {
    std::vector<WORD> words(kEepromWordCount, 0x0041);
    words[125] = 0x2400;
    const EepromIdentity identity = read_eeprom_identity(readerOf(words));
    ASSERT_EQ(identity.lines.size(), kEepromWordCount + 4);
    EXPECT_EQ(identity.lines[129], QStringLiteral("Start address in EEPROM of description: 126"));
    EXPECT_EQ(identity.lines[130], QStringLiteral("Device Name: "));
    EXPECT_EQ(identity.eepromManufacturer.size(), 2 * (125 - 81 + 1) - 1);
    EXPECT_EQ(identity.eepromSerialNumber, QByteArray::fromRawData("\0A", 2).repeated(8));
}

TEST(EepromIdentity, FailedReadsRepeatTheLastWord) {
    const auto words = eepromImage("Tndrl", "FT230X Basic UART", "DK0JTX4I");
    const EepromWordReader flaky = [&words](int address) -> std::optional<WORD> {
        if (address == 0 || address == 106)
            return std::nullopt;
        return words.at(static_cast<std::size_t>(address));
    };
    const EepromIdentity identity = read_eeprom_identity(flaky, 0x4142);
    EXPECT_EQ(identity.lines[0], QStringLiteral("0: AB"));
    EXPECT_EQ(identity.lines[106], QString::fromLatin1("106: \0D", 7));
    EXPECT_EQ(identity.eepromSerialNumber, wide("DD0JTX4I"));
}

using EepromIdentityThroughDevice = LinkFixture;

TEST_F(EepromIdentityThroughDevice, EachConnectionLogsTheIdentityOnce) {
    bridge.eeprom = eepromImage("Tndrl", "FT230X Basic UART", "DK0JTX4I");
    openBridge();

    const EepromIdentity first = read_eeprom_identity(unit, log);
    EXPECT_EQ(log.lines, first.lines);
    const EepromIdentity second = read_eeprom_identity(unit, log);
    EXPECT_EQ(second.lines, first.lines);
    EXPECT_EQ(second.eepromDeviceName, wide("FT230X Basic UART"));
    EXPECT_EQ(log.lines.size(), 2 * (kEepromWordCount + 4));
    EXPECT_EQ(log.lines.count(QStringLiteral("Manufacturer Name: Tndrl")), 2);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(EepromIdentityThroughDevice, NoDeviceLogsTheDumpOfTheLastWordSilently) {
    unit.ftEepromWord = 0x0030;
    const EepromIdentity identity = read_eeprom_identity(unit, log);
    ASSERT_EQ(log.lines.size(), kEepromWordCount);
    EXPECT_EQ(log.lines[127], QString::fromLatin1("127: \0"
                                                  "0",
                                                  7));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(EepromIdentityThroughDevice, APortWithoutEepromSaysSoOnceAndLeavesTheIdentityEmpty) {
    bridge.eeprom = eepromImage("Tndrl", "FT230X Basic UART", "DK0JTX4I");
    bridge.eepromReachable = false;
    openBridge();
    unit.ftEepromWord = 0x0030;

    const EepromIdentity identity = read_eeprom_identity(unit, log);

    EXPECT_EQ(log.lines, QStringList{QString::fromLatin1(kEepromNotReadableLine)});
    EXPECT_TRUE(identity.eepromManufacturer.isEmpty());
    EXPECT_TRUE(identity.eepromSerialNumber.isEmpty());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

} // namespace
} // namespace brivo::test
