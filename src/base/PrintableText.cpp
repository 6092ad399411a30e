#include "base/PrintableText.h"

namespace brivo {

namespace {

constexpr char16_t kDelete = 0x7F;
constexpr char16_t kLastC0 = 0x1F;
constexpr char16_t kFirstC1 = 0x80;
constexpr char16_t kLastC1 = 0x9F;
constexpr char16_t kControlPictures = 0x2400;
constexpr char16_t kDeletePicture = 0x2421;
constexpr char16_t kReplacement = 0xFFFD;
// Would start a new line in the console's view.
constexpr char16_t kLineSeparator = 0x2028;
constexpr char16_t kParagraphSeparator = 0x2029;

bool is_control(char16_t c) {
    return c <= kLastC0 || c == kDelete || (c >= kFirstC1 && c <= kLastC1) || c == kLineSeparator ||
           c == kParagraphSeparator;
}

} // namespace

QString strip_control_characters(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (!is_control(c.unicode()))
            out.append(c);
    return out;
}

QString visible_control_characters(const QString& text) {
    QString out = text;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u <= kLastC0)
            c = QChar(static_cast<char16_t>(kControlPictures + u));
        else if (u == kDelete)
            c = QChar(kDeletePicture);
        else if (is_control(u))
            c = QChar(kReplacement);
    }
    return out;
}

QString printable_text(const QByteArray& bytes) {
    return visible_control_characters(QString::fromLatin1(bytes));
}

} // namespace brivo
