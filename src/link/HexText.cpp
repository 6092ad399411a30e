#include "link/HexText.h"

namespace brivo {

namespace {

int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

} // namespace

int hex_text_to_bytes(const QString& text, std::uint8_t* destination, int n) {
    int count = 0;
    for (; count < n; ++count) {
        const qsizetype at = 2 * static_cast<qsizetype>(count);
        if (at + 1 >= text.size())
            break;
        const int high = hexDigitValue(text[at]);
        const int low = hexDigitValue(text[at + 1]);
        if (high < 0 || low < 0)
            break;
        destination[count] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return count;
}

QString bytes_to_hex_text(const std::uint8_t* source, int n) {
    if (n <= 0)
        return {};
    const QByteArray raw = QByteArray::fromRawData(reinterpret_cast<const char*>(source), n);
    return QString::fromLatin1(raw.toHex().toUpper());
}

QByteArray hex_to_byte_string(const QString& text) {
    const auto size = static_cast<int>(text.size() / 2);
    QByteArray bytes(size, '\0');
    hex_text_to_bytes(text, reinterpret_cast<std::uint8_t*>(bytes.data()), size);
    return bytes;
}

QString hex_of(std::uint32_t value, int width) {
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

QString last_two_hex_digits(std::int64_t value) {
    return hex_of(static_cast<std::uint32_t>(value), 8).right(2);
}

} // namespace brivo
