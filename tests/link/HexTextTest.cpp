#include "link/HexText.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace brivo {
namespace {

struct ToBytesCase {
    const char* text;
    int n;
    int expectedCount;
    std::vector<std::uint8_t> expectedBytes; // the whole 4-byte destination afterwards
};

class HexTextToBytes : public ::testing::TestWithParam<ToBytesCase> {};

TEST_P(HexTextToBytes, ConvertsPairsAndLeavesTheRest) {
    const ToBytesCase& c = GetParam();
    std::array<std::uint8_t, 4> destination{0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_EQ(hex_text_to_bytes(QString::fromLatin1(c.text), destination.data(), c.n),
              c.expectedCount);
    EXPECT_EQ(std::vector<std::uint8_t>(destination.begin(), destination.end()), c.expectedBytes);
}

INSTANTIATE_TEST_SUITE_P(Cases, HexTextToBytes,
                         ::testing::Values(
                             // Both cases of digits are accepted.
                             ToBytesCase{"0A1b", 2, 2, {0x0A, 0x1B, 0xEE, 0xEE}},
                             // A non-hex character in the second pair stops the conversion there.
                             ToBytesCase{"12G45678", 3, 1, {0x12, 0xEE, 0xEE, 0xEE}},
                             ToBytesCase{"123G5678", 3, 1, {0x12, 0xEE, 0xEE, 0xEE}},
                             // No more than n pairs, however long the text.
                             ToBytesCase{"FFfF0102", 2, 2, {0xFF, 0xFF, 0xEE, 0xEE}},
                             // The end of the text stops it; a lone last digit is no pair.
                             ToBytesCase{"7F0", 4, 1, {0x7F, 0xEE, 0xEE, 0xEE}},
                             ToBytesCase{"", 4, 0, {0xEE, 0xEE, 0xEE, 0xEE}},
                             ToBytesCase{"0102", 0, 0, {0xEE, 0xEE, 0xEE, 0xEE}},
                             // Blanks and signs are not digits.
                             ToBytesCase{" 1", 1, 0, {0xEE, 0xEE, 0xEE, 0xEE}},
                             ToBytesCase{"-1", 1, 0, {0xEE, 0xEE, 0xEE, 0xEE}}));

TEST(HexText, BytesToHexTextIsUpperCaseAndZeroPadded) {
    const std::array<std::uint8_t, 4> bytes{15, 0x00, 0xAB, 0xFF};
    EXPECT_EQ(bytes_to_hex_text(bytes.data(), 1), QStringLiteral("0F"));
    EXPECT_EQ(bytes_to_hex_text(bytes.data(), 4), QStringLiteral("0F00ABFF"));
    EXPECT_EQ(bytes_to_hex_text(bytes.data(), 0), QString());
}

TEST(HexText, HexToByteStringHasHalfTheLengthAndZerosAfterAStop) {
    EXPECT_EQ(hex_to_byte_string(QStringLiteral("0046")), QByteArray("\0F", 2));
    EXPECT_EQ(hex_to_byte_string(QStringLiteral("414")), QByteArray("A"));
    EXPECT_EQ(hex_to_byte_string(QStringLiteral("41zz4243")), QByteArray("A\0\0\0", 4));
    EXPECT_EQ(hex_to_byte_string(QString()), QByteArray());
}

struct HexOfCase {
    std::uint32_t value;
    int width;
    const char* expected;
};

class HexOf : public ::testing::TestWithParam<HexOfCase> {};

TEST_P(HexOf, PadsButNeverCuts) {
    const HexOfCase& c = GetParam();
    EXPECT_EQ(hex_of(c.value, c.width), QString::fromLatin1(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexOf,
    ::testing::Values(HexOfCase{0, 2, "00"}, HexOfCase{5, 2, "05"}, HexOfCase{0xAB, 2, "AB"},
                      HexOfCase{300, 2, "12C"}, HexOfCase{0x0324, 4, "0324"},
                      HexOfCase{8192 * 1023, 8, "007FE000"},
                      HexOfCase{static_cast<std::uint32_t>(-1), 2, "FFFFFFFF"},
                      HexOfCase{static_cast<std::uint32_t>(-2), 8, "FFFFFFFE"}));

TEST(HexText, LastTwoHexDigitsKeepTheLowByte) {
    EXPECT_EQ(last_two_hex_digits(300), QStringLiteral("2C"));
    EXPECT_EQ(last_two_hex_digits(7), QStringLiteral("07"));
    EXPECT_EQ(last_two_hex_digits(-1), QStringLiteral("FF"));
    EXPECT_EQ(last_two_hex_digits(0x1234567890LL), QStringLiteral("90"));
}

} // namespace
} // namespace brivo
