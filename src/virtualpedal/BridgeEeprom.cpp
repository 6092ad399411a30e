#include "virtualpedal/BridgeEeprom.h"

#include <QString>

namespace brivo {

namespace {

constexpr int kPowerWord = 0x04;
constexpr int kManufacturerPointerWord = 0x07;
constexpr int kUserAreaFirstWord = 0x12;
constexpr int kUserAreaEndWord = 0x40;
constexpr std::uint16_t kChecksumSeed = 0xAAAA;
constexpr std::uint8_t kStringDescriptorType = 0x03;
constexpr std::uint8_t kPointerAddressFlag = 0x80;
// Words left for the three descriptors, each a header word plus one word per character.
constexpr int kStringAreaWords = kBridgeChecksumWord - kBridgeStringsFirstWord;

std::u16string toUtf16(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdU16String();
}

// Cuts `text` so that all three strings fit; `others` is the words the other two take.
void fitInto(std::u16string& text, std::size_t others) {
    const std::size_t headers = 3;
    const std::size_t room = kStringAreaWords > static_cast<int>(headers + others)
                                 ? kStringAreaWords - headers - others
                                 : 0;
    if (text.size() > room)
        text.resize(room);
}

} // namespace

BridgeEepromImage buildBridgeEeprom(const std::string& manufacturer, const std::string& product,
                                    const std::string& serial) {
    std::array<std::u16string, 3> strings{toUtf16(manufacturer), toUtf16(product), toUtf16(serial)};
    fitInto(strings[1], strings[0].size() + strings[2].size());
    fitInto(strings[2], strings[0].size() + strings[1].size());
    fitInto(strings[0], strings[1].size() + strings[2].size());

    BridgeEepromImage image{};
    image[1] = kBridgeVendorId;
    image[2] = kBridgeProductId;
    image[3] = kBridgeRelease;
    image[kPowerWord] = kBridgePowerWord;

    int word = kBridgeStringsFirstWord;
    for (std::size_t s = 0; s < strings.size(); ++s) {
        const auto lengthBytes = static_cast<std::uint16_t>(2 + 2 * strings[s].size());
        const auto byteAddress = static_cast<std::uint16_t>((2 * word) & 0xFF);
        image[kManufacturerPointerWord + s] =
            static_cast<std::uint16_t>((lengthBytes << 8) | byteAddress | kPointerAddressFlag);
        // Lower byte address in the low byte: the length, then the type.
        image[word++] = static_cast<std::uint16_t>((kStringDescriptorType << 8) | lengthBytes);
        for (const char16_t c : strings[s])
            image[word++] = static_cast<std::uint16_t>(c);
    }
    image[kBridgeChecksumWord] = bridgeEepromChecksum(image);
    return image;
}

std::uint16_t bridgeEepromChecksum(const BridgeEepromImage& image) {
    std::uint16_t checksum = kChecksumSeed;
    for (int word = 0; word < kBridgeChecksumWord; ++word) {
        if (word >= kUserAreaFirstWord && word < kUserAreaEndWord)
            continue;
        checksum ^= image[word];
        checksum = static_cast<std::uint16_t>((checksum << 1) | (checksum >> 15));
    }
    return checksum;
}

} // namespace brivo
