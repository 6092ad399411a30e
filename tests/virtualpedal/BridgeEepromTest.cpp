#include "virtualpedal/BridgeEeprom.h"

#include <gtest/gtest.h>

#include <string>

namespace brivo {
namespace {

const BridgeEepromImage kPedalImage = buildBridgeEeprom("TNDRL", "FT230X Basic UART", "DVIRT001");

std::string lowBytes(const BridgeEepromImage& image, int first, int last) {
    std::string text;
    for (int word = first; word <= last; ++word)
        text += static_cast<char>(image[word] & 0xFF);
    return text;
}

TEST(BridgeEeprom, PedalImageWordByWord) {
    struct Case {
        int word;
        std::uint16_t value;
    };
    const Case cases[] = {
        {0x01, 0x0403},                            // vendor
        {0x02, 0x6015},                            // product
        {0x03, 0x1000},                            // release
        {0x04, 0x2D80},                            // bus powered, 90 mA
        {0x07, 0x0CA0},                            // manufacturer: 12 bytes at byte 0xA0
        {0x08, 0x24AC},                            // product: 36 bytes at byte 0xAC
        {0x09, 0x12D0},                            // serial: 18 bytes at byte 0xD0
        {80, 0x030C},                              // manufacturer header
        {81, 'T'},      {85, 'L'},  {86, 0x0324},  // product header: "$" and type 3
        {87, 'F'},      {103, 'T'}, {104, 0x0312}, // serial header
        {105, 'D'},     {112, '1'}, {113, 0x0000}, {126, 0x0000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, kPedalImage[c.word]) << "word " << c.word;
    EXPECT_EQ("TNDRL", lowBytes(kPedalImage, 81, 85));
    EXPECT_EQ("FT230X Basic UART", lowBytes(kPedalImage, 87, 103));
    EXPECT_EQ("DVIRT001", lowBytes(kPedalImage, 105, 112));
}

// The editor looks for the "$" of the product header from word 81 on, takes
// the name from the word after it up to word 103 and the serial from 105 to 112.
TEST(BridgeEeprom, EditorFindsTheProductHeaderAtWord86) {
    int dollarWord = -1;
    for (int word = 81; word < 126 && dollarWord < 0; ++word)
        if ((kPedalImage[word] & 0xFF) == '$' || (kPedalImage[word] >> 8) == '$')
            dollarWord = word;
    EXPECT_EQ(86, dollarWord);
}

TEST(BridgeEeprom, ChecksumFollowsTheFtxRule) {
    BridgeEepromImage image{};
    // 81 words, each XORed in and rotated: zeros rotate 0xAAAA an odd number of times.
    EXPECT_EQ(0x5555, bridgeEepromChecksum(image));
    image[0x12] = 0x1234; // user area: not covered
    image[0x3F] = 0xFFFF;
    image[0x7F] = 0xBEEF; // the checksum word itself
    EXPECT_EQ(0x5555, bridgeEepromChecksum(image));
    image[0x00] = 0x0001; // 0xAAAB rotated 81 times = rotated once
    EXPECT_EQ(0x5557, bridgeEepromChecksum(image));
    image[0x00] = 0;
    image[0x7E] = 0x0001; // the last word covered: XORed in before the last rotation
    EXPECT_EQ(0x5557, bridgeEepromChecksum(image));
    image[0x7E] = 0;
    image[0x40] = 0x0001; // factory area is covered
    EXPECT_NE(0x5555, bridgeEepromChecksum(image));

    EXPECT_EQ(bridgeEepromChecksum(kPedalImage), kPedalImage[0x7F]);
}

// A description too long for the string area is cut; the serial stays whole
// and the pointers still describe what is there.
TEST(BridgeEeprom, LongDescriptionIsShortenedToFit) {
    const std::string description(60, 'x');
    const BridgeEepromImage image = buildBridgeEeprom("TNDRL", description, "DVIRT002");
    const int productWord = (image[0x08] & 0xFF) / 2;
    const int productChars = ((image[0x08] >> 8) - 2) / 2;
    const int serialWord = (image[0x09] & 0xFF) / 2;
    EXPECT_EQ(80 + 6, productWord);
    EXPECT_EQ(std::string(productChars, 'x'),
              lowBytes(image, productWord + 1, productWord + productChars));
    EXPECT_EQ(productWord + 1 + productChars, serialWord);
    EXPECT_EQ("DVIRT002", lowBytes(image, serialWord + 1, serialWord + 8));
    EXPECT_LE(serialWord + 8, 0x7E);
    EXPECT_EQ(bridgeEepromChecksum(image), image[0x7F]);
}

} // namespace
} // namespace brivo
