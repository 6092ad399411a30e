#include "commands/StatusReply.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

using Bytes = std::vector<std::uint8_t>;

QByteArray recordText(const Bytes& bytes) {
    QByteArray text;
    for (const std::uint8_t b : bytes)
        text += QByteArray::number(b) + "\r\n";
    return text;
}

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

TEST(StatusReply, ExactlyTheRecordsLinesAreBelieved) {
    struct Case {
        const char* name;
        QByteArray reply;
        Bytes bytes;
    };
    const Case cases[] = {
        {"three lines", "5\r\n12\r\n255\r\n", {5, 12, 255}},
        {"leading zeros", "007\r\n0\r\n000\r\n", {7, 0, 0}},
        {"minus zero", "-0\r\n1\r\n2\r\n", {0, 1, 2}},
    };
    for (const Case& c : cases) {
        const StatusParse parse = parse_status_record(c.reply, 3);
        EXPECT_TRUE(parse.ok()) << c.name << ": " << parse.fault.toStdString();
        EXPECT_EQ(parse.bytes, c.bytes) << c.name;
    }
}

TEST(StatusReply, AnythingElseIsRefusedNamingTheLine) {
    struct Case {
        const char* name;
        QByteArray reply;
        const char* fault;
        QByteArray faultLine;
    };
    const Case cases[] = {
        {"one line too many in front", "5\r\n1\r\n2\r\n3\r\n",
         "line 4 is more than the 3 lines of a record", "3\r\n"},
        {"one line short", "1\r\n2\r\n", "line 3 is missing: a record has 3 lines", ""},
        {"nothing", "", "line 1 is missing: a record has 3 lines", ""},
        {"unfinished last line", "1\r\n2\r\n33", "line 3 is not ended by CR LF", "33"},
        {"lone LF", "1\n2\r\n3\r\n", "line 1 is not ended by CR LF", "1\n"},
        {"lone CR", "8\r9\r\n1\r\n", "line 1 is not a decimal number", "8\r9\r\n"},
        {"empty line", "9\r\n\r\n4\r\n", "line 2 is not a decimal number", "\r\n"},
        {"letter", "1\r\nQ\r\n4\r\n", "line 2 is not a decimal number", "Q\r\n"},
        {"two numbers in a line", "1=2\r\n1\r\n4\r\n", "line 1 is not a decimal number", "1=2\r\n"},
        {"colon", "7:8\r\n1\r\n4\r\n", "line 1 is not a decimal number", "7:8\r\n"},
        {"blank", "1\r\n 2\r\n4\r\n", "line 2 is not a decimal number", " 2\r\n"},
        {"a lone minus", "1\r\n-\r\n4\r\n", "line 2 is not a decimal number", "-\r\n"},
        {"zero byte", QByteArray("1\r\n\0\r\n4\r\n", 9), "line 2 is not a decimal number",
         QByteArray("\0\r\n", 3)},
        {"above a byte", "1\r\n300\r\n4\r\n", "line 2 holds 300, outside 0 to 255", "300\r\n"},
        {"four digits", "1023\r\n1\r\n4\r\n", "line 1 holds 1023, outside 0 to 255", "1023\r\n"},
        {"negative", "1\r\n2\r\n-1\r\n", "line 3 holds -1, outside 0 to 255", "-1\r\n"},
        {"a long line is shown cut", QByteArray(100, '7') + "\r\n1\r\n2\r\n",
         "line 1 is not a decimal number", QByteArray(64, '7')},
        {"far too many digits", "99999999999999999999\r\n1\r\n2\r\n",
         "line 1 is not a decimal number", "99999999999999999999\r\n"},
    };
    for (const Case& c : cases) {
        const StatusParse parse = parse_status_record(c.reply, 3);
        EXPECT_FALSE(parse.ok()) << c.name;
        EXPECT_EQ(parse.fault, QString::fromLatin1(c.fault)) << c.name;
        EXPECT_EQ(parse.faultLine, c.faultLine) << c.name;
        EXPECT_TRUE(parse.bytes.empty()) << c.name;
    }
}

TEST(StatusReply, WholeRecordOfTwentyFourParametersAndLinesCountedSoFar) {
    Bytes expected;
    for (int i = 0; i < 4 * 24 + 288; ++i)
        expected.push_back(static_cast<std::uint8_t>((i * 37) % 256));
    const QByteArray reply = recordText(expected);
    EXPECT_EQ(parse_status_record(reply, expected.size()).bytes, expected);
    EXPECT_EQ(status_reply_lines(reply), expected.size());
    EXPECT_EQ(status_reply_lines(reply.chopped(1)), expected.size() - 1);
    // The same record with one stray line in front is not believed.
    EXPECT_FALSE(parse_status_record("7\r\n" + reply, expected.size()).ok());
}

} // namespace
} // namespace brivo
