#include "commands/StatusReply.h"

#include "base/EditorError.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

using Bytes = std::vector<std::uint8_t>;

TEST(StatusReply, RequestAndStoreCarryTheCountAsTwoHexDigits) {
    const std::tuple<std::uint32_t, const char*, const char*> cases[] = {
        {0, "0200", "0300"},  {7, "0207", "0307"},  {9, "0209", "0309"},  {10, "020A", "030A"},
        {12, "020C", "030C"}, {16, "0210", "0310"}, {24, "0218", "0318"}, {300, "022C", "032C"},
    };
    for (const auto& [count, status, store] : cases) {
        EXPECT_EQ(status_request_hex(count), QString::fromLatin1(status)) << count;
        EXPECT_EQ(store_request_hex(count), QString::fromLatin1(store)) << count;
    }
}

TEST(StatusReply, EachLineGivesOneByte) {
    struct Case {
        const char* name;
        QByteArray reply;
        Bytes numbers;
    };
    const Case cases[] = {
        {"three lines", "5\r\n12\r\n255\r\n", {5, 12, 255}},
        {"low 8 bits", "300\r\n", {44}},
        {"four digits repeat the previous number", "7\r\n1023\r\n", {7, 7}},
        {"an empty line repeats the previous number", "9\r\n\r\n4\r\n", {9, 9, 4}},
        {"a long or empty first line gives 0", "\r\n1234\r\n", {0, 0}},
        {"no complete line", "12", {}},
        {"nothing", "", {}},
        {"the unfinished last line is dropped", "1\r\n2\r\n33", {1, 2}},
        {"zero", "0\r\n000\r\n", {0, 0}},
        // The scan keys on the hex digits A and D: a CR without LF still ends a number.
        {"CR alone", "8\r9\r", {8, 9}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse_status_reply(c.reply), c.numbers) << c.name;
}

TEST(StatusReply, WholeRecordOfTwentyFourParameters) {
    QByteArray reply;
    Bytes expected;
    for (int i = 0; i < 4 * 24 + 288; ++i) {
        expected.push_back(static_cast<std::uint8_t>((i * 37) % 256));
        reply += QByteArray::number(expected.back()) + "\r\n";
    }
    EXPECT_EQ(parse_status_reply(reply), expected);
}

TEST(StatusReply, ByteThatIsNotADecimalDigitFailsTheConversion) {
    // ';' is 3B, '<' 3C, '>' 3E, '?' 3F: the digit read is not decimal.
    const std::pair<QByteArray, const char*> cases[] = {
        {"1;\r\n", "1B"}, {"<\r\n", "C"}, {"5\r\n>2\r\n", "E2"}, {"??\r\n", "FF"}};
    for (const auto& [reply, digits] : cases) {
        try {
            parse_status_reply(reply);
            ADD_FAILURE() << "accepted: " << reply.toStdString();
        } catch (const EditorError& e) {
            EXPECT_EQ(
                e.text(),
                QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(digits)));
        }
    }
}

} // namespace
} // namespace brivo
