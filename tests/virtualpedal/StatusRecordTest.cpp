#include "virtualpedal/StatusRecord.h"
#include "virtualpedal/IdentityReply.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

TEST(StatusRecord, LimitBytes) {
    struct Case {
        int limit;
        int minimumByte;
        int maximumByte;
    };
    // A byte b reads back as (b + 1) * 8; a maximum byte 0 reads back as 1023.
    const Case cases[] = {
        {0, 0, 1},      {7, 0, 1},        {8, 0, 1},        {16, 1, 1},
        {24, 2, 2},     {512, 63, 63},    {700, 86, 86},    {1016, 126, 126},
        {1023, 126, 0}, {1024, 127, 127}, {5000, 127, 127}, {-40, 0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.minimumByte, minimumLimitByte(c.limit)) << "limit " << c.limit;
        EXPECT_EQ(c.maximumByte, maximumLimitByte(c.limit)) << "limit " << c.limit;
    }
}

TEST(StatusRecord, FieldsSitWhereTheEditorReadsThem) {
    EffectSettings settings;
    settings.setValue(0, 1023);          // 00 7F E0 00
    settings.valueWords[1] = 0xFFFFE000; // -1, as sent
    settings.assigned[1][2] = true;      // EXP drives parameter 2
    settings.assigned[6][23] = true;     // SW drives parameter 23
    settings.reversed[2] = true;
    settings.minLimits[2] = 512;
    settings.maxLimits[2] = 768;

    const int t = 2;
    const std::vector<std::uint8_t> record = buildStatusRecord(settings, t);
    ASSERT_EQ(4u * t + 288, record.size());
    const std::vector<std::uint8_t> values(record.begin(), record.begin() + 8);
    EXPECT_EQ((std::vector<std::uint8_t>{0x00, 0x7F, 0xE0, 0x00, 0xFF, 0xFF, 0xE0, 0x00}), values);

    int ones = 0;
    for (std::size_t i = 4 * t; i < record.size(); ++i)
        ones += record[i] == 1;
    EXPECT_EQ(3, ones) << "two assignments and one reverse flag";
    EXPECT_EQ(1, record[4 * t + 24 * 1 + 2]);
    EXPECT_EQ(1, record[4 * t + 24 * 6 + 23]);
    EXPECT_EQ(1, record[4 * t + 168 + 2]);
    for (int i = 0; i < 48; ++i)
        EXPECT_EQ(0, record[4 * t + 192 + i]);
    EXPECT_EQ(63, record[4 * t + 240 + 2]);
    EXPECT_EQ(95, record[4 * t + 264 + 2]);
    EXPECT_EQ(0, record[4 * t + 240 + 3]) << "default minimum 0";
    EXPECT_EQ(0, record[4 * t + 264 + 3]) << "default maximum 1023";
}

TEST(StatusRecord, CountsBeyondThePedalsSlotsReportZero) {
    EffectSettings settings;
    settings.valueWords.fill(0x00400000);
    const auto record = buildStatusRecord(settings, 30);
    ASSERT_EQ(4u * 30 + 288, record.size());
    EXPECT_EQ(0x40, record[4 * 23 + 1]);
    EXPECT_EQ(0x00, record[4 * 24 + 1]);
    EXPECT_EQ(288u, buildStatusRecord(settings, 0).size());
}

TEST(StatusRecord, TextIsOneDecimalLinePerByte) {
    EXPECT_EQ("5\r\n12\r\n255\r\n0\r\n", statusRecordText({5, 12, 255, 0}));
    EXPECT_EQ("", statusRecordText({}));
}

TEST(IdentityReply, FourLinesEndedByCrLf) {
    EXPECT_EQ("BRIVO\r\n43\r\n2\r\n5\r\n", identityReplyText(43, 2, 5));
    EXPECT_EQ("BRIVO\r\n0\r\n0\r\n5\r\n", identityReplyText(0, 0, 5));
}

} // namespace
} // namespace brivo
