#include "commands/UploadProgram.h"

namespace brivo {

QString upload_answer_text(const QByteArray& answer) {
    QByteArray text = answer.left(kUploadAnswerBytes);
    text.append(kUploadAnswerBytes - text.size(), '\0');
    return QString::fromLatin1(text);
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
