#include "commands/UploadProgram.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

TEST(UploadProgram, ProgramTextMustBeWholeHexDigitPairs) {
    const std::pair<const char*, bool> cases[] = {
        {"0005006B", true},  {"00abCDef", true}, {"", false},
        {"000", false},      {"00G0", false},    {"00 0", false},
        {"0005\r\n", false}, {"-1", false},      {"00050061\n", false},
    };
    for (const auto& [text, fine] : cases)
        EXPECT_EQ(program_text_fault(QString::fromLatin1(text)).isEmpty(), fine) << text;
}

TEST(UploadProgram, FaultTextSaysWhatIsWrong) {
    EXPECT_EQ(program_text_fault(QStringLiteral("0005X0")),
              QStringLiteral("The effect program is damaged: character 5 is not a hex digit."));
    EXPECT_EQ(program_text_fault(QStringLiteral("00050")),
              QStringLiteral("The effect program is damaged: it has an odd number of hex digits."));
    EXPECT_EQ(program_text_fault(QString()),
              QStringLiteral("The effect program is empty: there is nothing to upload."));
}

TEST(UploadProgram, AnswerTextIsTheFirstSeventeenBytesZerosIncluded) {
    const QString completed = QStringLiteral("Upload Completed") + QChar(0);
    const struct {
        QByteArray answer;
        QString text;
    } cases[] = {
        {QByteArray("Upload Completed", 17), completed},
        // Longer answers show their first 17 bytes only.
        {QByteArray("Upload Completed\0Xtra", 21), completed},
        // A short one is padded with zero characters, not with stale bytes.
        {QByteArray("Error"), QStringLiteral("Error") + QString(12, QChar(0))},
    };
    for (const auto& c : cases) {
        const QString text = upload_answer_text(c.answer);
        EXPECT_EQ(text.size(), 17);
        EXPECT_EQ(text, c.text) << c.answer.toStdString();
    }
}

TEST(UploadProgram, RawFileSizeIsCheckedBeforeReading) {
    EXPECT_TRUE(raw_file_size_fault(0).isEmpty());
    EXPECT_TRUE(raw_file_size_fault(kMaxRawProgramFileBytes).isEmpty());
    EXPECT_EQ(raw_file_size_fault(32 * 1024 * 1024),
              "The file is too large for a program: 33554432 bytes. A program holds at most 65536 "
              "bytes, written as at most 131072 characters of hex digits.");
    EXPECT_FALSE(raw_file_size_fault(kMaxRawProgramFileBytes + 1).isEmpty());
}

TEST(UploadProgram, RawFileSummaryShowsTheStartAndTheSize) {
    EXPECT_EQ(raw_file_summary("0005"), "file content: 0005 (4 characters)");
    EXPECT_EQ(raw_file_summary(QString(100, QLatin1Char('A'))),
              "file content: " + QString(40, QLatin1Char('A')) + "... (100 characters)");
}

TEST(UploadProgram, LengthFieldMustMatchTheProgramsSize) {
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* fault;
    };
    // 64 KB: the length field would start with 01, a set-parameter command.
    std::vector<std::uint8_t> tooLong(65536, 0x00);
    tooLong[0] = 0x01;
    std::vector<std::uint8_t> longest(65535, 0x00);
    longest[1] = 0xFF;
    longest[2] = 0xFF;
    const Case cases[] = {
        {{0x00, 0x00, 0x04, 0x99}, ""},
        {longest, ""},
        {tooLong, "The program is 65536 bytes long; the pedal takes at most 65535, as its length "
                  "field starts with the upload command (00). It was not sent."},
        {{0x00, 0x00, 0x03}, ""},
        {{0x00, 0x10, 0x00, 0x99},
         "The program's length field says 4096 bytes, but the program is "
         "4 bytes long. It was not sent."},
        {{0x00, 0x00, 0x02, 0x99},
         "The program's length field says 2 bytes, but the program is 4 bytes long. It was not "
         "sent."},
        {{0xFF, 0xFF, 0xFF, 0x01},
         "The program's length field says 16777215 bytes, but the program is 4 bytes long. It was "
         "not sent."},
        {{0x00, 0x02}, "The program is 2 bytes long, too short to hold its own length."},
        {{}, "The program is 0 bytes long, too short to hold its own length."},
    };
    for (const Case& c : cases)
        EXPECT_EQ(program_length_fault(c.bytes.data(), static_cast<qint64>(c.bytes.size())),
                  QString::fromLatin1(c.fault))
            << c.fault;
}

} // namespace
} // namespace brivo
