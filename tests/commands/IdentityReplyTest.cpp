#include "commands/IdentityReply.h"

#include "base/EditorError.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

TEST(IdentityReply, FieldsRunToTheNextCrAndSkipItsFollower) {
    struct Case {
        QByteArray reply;
        QStringList fields;
    };
    const Case cases[] = {
        {"BRIVO\r\n43\r\n2\r\n5\r\n", {"BRIVO", "43", "2", "5"}},
        // Anything after the fourth line is ignored.
        {"X\r\n1\r\n7\r\n4\r\nmore\r\n", {"X", "1", "7", "4"}},
        // The follower of the CR is skipped whatever it is.
        {"X\rY12\rZ3\r-4\r", {"X", "12", "3", "4"}},
        // A lone LF is no line end: the first field takes the whole text.
        {"BRIVO\n43\n2\n5\n", {"BRIVO\n43\n2\n5\n", "", "", ""}},
        {"", {"", "", "", ""}},
        // Fewer lines than four: the last field runs to the end, the rest are empty.
        {"A\r\n12", {"A", "12", "", ""}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(identity_reply_fields(c.reply), c.fields) << c.reply.toStdString();
}

TEST(IdentityReply, StaleBufferAfterTheReplyIsNotRead) {
    // receive_reply hands over the whole receive buffer: the reply, then zeros
    // and leftovers of earlier replies.
    QByteArray buffer(65536, '\0');
    buffer.replace(0, 17, "BRIVO\r\n9\r\n3\r\n5\r\n");
    buffer.replace(100, 6, "77\r\n8\r");
    EXPECT_EQ(identity_reply_fields(buffer), (QStringList{"BRIVO", "9", "3", "5"}));
}

TEST(IdentityReply, ConversionAcceptsDecimalIntegersOnly) {
    const std::pair<const char*, std::int32_t> good[] = {
        {"0", 0}, {"43", 43}, {"-3", -3}, {"2147483647", 2147483647}, {"007", 7}};
    for (const auto& [text, value] : good)
        EXPECT_EQ(to_integer(QString::fromLatin1(text)), value) << text;

    const char* bad[] = {"", "2B", "4 3", " 5", "5 ", "1.0", "0x2B", "2147483648", "BRIVO\n43\n"};
    for (const char* text : bad) {
        try {
            to_integer(QString::fromLatin1(text));
            ADD_FAILURE() << "accepted: " << text;
        } catch (const EditorError& e) {
            EXPECT_EQ(
                e.text(),
                QStringLiteral("'%1' is not a valid integer value").arg(QString::fromLatin1(text)));
        }
    }
}

TEST(IdentityReply, CutOrGarbledAnswersAreToldApart) {
    struct Case {
        QByteArray reply;
        IdentityFault fault;
    };
    const Case cases[] = {
        {"BRIVO\r\n43\r\n2\r\n5\r\n", IdentityFault::None},
        {"BRIVO\r\n43\r\n2\r\n5\r\nmore\r\n", IdentityFault::None},
        {"", IdentityFault::Incomplete},
        {"BRIVO\r\n43\r\n2\r\n", IdentityFault::Incomplete},
        {"BRIVO\r\n43\r\n2\r\n5", IdentityFault::Incomplete},
        {"BRIVO\n43\n2\n5\n", IdentityFault::NotUnderstood},
        {"BRIVO\r\n43\r\n2\r\n:A\xff"
         "345\r\n",
         IdentityFault::NotUnderstood},
        {"BRIVO\r\n\r\n2\r\n5\r\n", IdentityFault::NotUnderstood},
        {"BRIVO\r\n43\r\n 2\r\n5\r\n", IdentityFault::NotUnderstood},
        {"BRIVO\r\n99999999999\r\n2\r\n5\r\n", IdentityFault::NotUnderstood},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parse_identity_fields(c.reply).fault, c.fault) << c.reply.toStdString();
    const IdentityParse good = parse_identity_fields("BRIVO\r\n43\r\n-2\r\n5\r\n");
    EXPECT_EQ(good.fields.effectNumber, 43);
    EXPECT_EQ(good.fields.effectVersion, -2);
    EXPECT_EQ(good.fields.firmwareVersion, 5);
    EXPECT_EQ(identity_fault_text(IdentityFault::Incomplete),
              "The pedal's answer to Open FX was incomplete. Click Open FX to try again.");
    EXPECT_EQ(identity_fault_text(IdentityFault::NotUnderstood),
              "The pedal's answer to Open FX was not understood. Click Open FX to try again.");
}

TEST(IdentityReply, LogLinesCarryNumberInDecimalAndEightHexDigits) {
    EXPECT_EQ(identity_log_lines({43, 2, 5}),
              (QStringList{"effect number DEC: 43", "effect number HEX: 0000002B",
                           "effect version: 2", "firmware version: 5"}));
    EXPECT_EQ(identity_log_lines({-1, 0, 4}).at(1), QStringLiteral("effect number HEX: FFFFFFFF"));
}

} // namespace
} // namespace brivo
