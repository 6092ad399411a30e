#include "commands/StatusReply.h"

#include "link/HexText.h"

#include <optional>

namespace brivo {

namespace {

const QByteArray kLineEnd = QByteArrayLiteral("\r\n");
// More digits than this cannot be a byte, and must not overflow the sum.
constexpr int kMaxNumberChars = 6;
// A refused line is shown in the console up to this long.
constexpr int kFaultLineShownBytes = 64;

// A whole line as a decimal number with an optional minus sign, or nothing.
std::optional<int> decimal_line(const QByteArray& line) {
    const bool negative = line.startsWith('-');
    const QByteArray digits = negative ? line.mid(1) : line;
    if (digits.isEmpty() || digits.size() > kMaxNumberChars)
        return std::nullopt;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return negative ? -value : value;
}

} // namespace

QString status_request_hex(std::uint32_t paramCount) {
    return QStringLiteral("02") + last_two_hex_digits(paramCount);
}

QString store_request_hex(std::uint32_t paramCount) {
    return QStringLiteral("03") + last_two_hex_digits(paramCount);
}

std::size_t status_reply_lines(const QByteArray& reply) {
    return static_cast<std::size_t>(reply.count('\n'));
}

StatusParse parse_status_record(const QByteArray& reply, std::size_t expectedLines) {
    StatusParse parse;
    const auto refuse = [&parse](std::size_t lineNumber, const QString& why,
                                 const QByteArray& line) {
        parse.bytes.clear();
        parse.fault = QStringLiteral("line %1 %2").arg(lineNumber).arg(why);
        parse.faultLine = line.left(kFaultLineShownBytes);
        return parse;
    };
    qsizetype start = 0;
    while (start < reply.size()) {
        const std::size_t lineNumber = parse.bytes.size() + 1;
        const qsizetype lf = reply.indexOf('\n', start);
        const qsizetype end = lf < 0 ? reply.size() : lf + 1;
        const QByteArray whole = reply.mid(start, end - start);
        if (lineNumber > expectedLines)
            return refuse(
                lineNumber,
                QStringLiteral("is more than the %1 lines of a record").arg(expectedLines), whole);
        if (!whole.endsWith(kLineEnd))
            return refuse(lineNumber, QStringLiteral("is not ended by CR LF"), whole);
        const QByteArray text = whole.chopped(kLineEnd.size());
        const std::optional<int> number = decimal_line(text);
        if (!number)
            return refuse(lineNumber, QStringLiteral("is not a decimal number"), whole);
        if (*number < kStatusLineMin || *number > kStatusLineMax)
            return refuse(lineNumber,
                          QStringLiteral("holds %1, outside %2 to %3")
                              .arg(*number)
                              .arg(kStatusLineMin)
                              .arg(kStatusLineMax),
                          whole);
        parse.bytes.push_back(static_cast<std::uint8_t>(*number));
        start = end;
    }
    if (parse.bytes.size() < expectedLines)
        return refuse(parse.bytes.size() + 1,
                      QStringLiteral("is missing: a record has %1 lines").arg(expectedLines), {});
    return parse;
}

} // namespace brivo
