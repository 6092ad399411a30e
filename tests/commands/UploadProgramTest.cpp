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

} // namespace
} // namespace brivo
