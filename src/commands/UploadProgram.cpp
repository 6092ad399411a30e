#include "commands/UploadProgram.h"

namespace brivo {

QString upload_answer_text(const QByteArray& answer) {
    QByteArray text = answer.left(kUploadAnswerBytes);
    text.append(kUploadAnswerBytes - text.size(), '\0');
    return QString::fromLatin1(text);
}

namespace {
constexpr int kSummaryChars = 40;
} // namespace

QString raw_file_size_fault(qint64 fileBytes) {
    if (fileBytes <= kMaxRawProgramFileBytes)
        return {};
    return QStringLiteral("The file is too large for a program: %1 bytes. A program holds at most "
                          "%2 bytes, written as at most %3 characters of hex digits.")
        .arg(fileBytes)
        .arg(kMaxProgramBytes)
        .arg(2 * kMaxProgramBytes);
}

QString raw_file_summary(const QString& content) {
    const QString start = content.left(kSummaryChars);
    return QStringLiteral("file content: %1%2 (%3 characters)")
        .arg(start, content.size() > kSummaryChars ? QStringLiteral("...") : QString())
        .arg(content.size());
}

QString program_length_fault(const std::uint8_t* bytes, qint64 count) {
    if (count < kProgramLengthFieldBytes)
        return QStringLiteral("The program is %1 bytes long, too short to hold its own length.")
            .arg(count);
    qint64 field = 0;
    for (int i = 0; i < kProgramLengthFieldBytes; ++i)
        field = (field << 8) | bytes[i];
    if (field != count)
        return QStringLiteral("The program's length field says %1 bytes, but the program is %2 "
                              "bytes long. It was not sent.")
            .arg(field)
            .arg(count);
    // The field's first byte is also the pedal's upload command: a program
    // that does not start with 00 would be read as other commands.
    if (bytes[0] != 0x00)
        return QStringLiteral("The program is %1 bytes long; the pedal takes at most %2, as its "
                              "length field starts with the upload command (00). It was not sent.")
            .arg(count)
            .arg(kLongestProgramBytes);
    return {};
}

QString program_text_fault(const QString& programText) {
    if (programText.isEmpty())
        return QStringLiteral("The effect program is empty: there is nothing to upload.");
    if (programText.size() % 2 != 0)
        return QStringLiteral("The effect program is damaged: it has an odd number of hex digits.");
    for (qsizetype i = 0; i < programText.size(); ++i) {
        const char16_t c = programText.at(i).unicode();
        const bool hexDigit =
            (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
        if (!hexDigit)
            return QStringLiteral("The effect program is damaged: character %1 is not a hex digit.")
                .arg(i + 1);
    }
    return {};
}

} // namespace brivo
