#include "commands/StatusReply.h"

#include "commands/IdentityReply.h"
#include "link/HexText.h"

namespace brivo {

QString status_request_hex(std::uint32_t paramCount) {
    return QStringLiteral("02") + last_two_hex_digits(paramCount);
}

QString store_request_hex(std::uint32_t paramCount) {
    return QStringLiteral("03") + last_two_hex_digits(paramCount);
}

std::vector<std::uint8_t> parse_status_reply(const QByteArray& reply) {
    const QString hex = bytes_to_hex_text(reinterpret_cast<const std::uint8_t*>(reply.constData()),
                                          static_cast<int>(reply.size()));
    std::vector<std::uint8_t> numbers;
    std::int32_t last = 0;
    qsizetype start = 0;
    for (qsizetype p = 0; p < hex.size(); ++p) {
        const QChar digit = hex.at(p);
        if (digit == QLatin1Char('A')) {
            start = p + 1;
        } else if (digit == QLatin1Char('D')) {
            // The digits since the last line feed, less the "0" of "0D": for
            // ASCII digits every second one is the decimal digit itself.
            const QString field = hex.mid(start, p - start).chopped(p > start ? 1 : 0);
            if (field.size() == 2 || field.size() == 4 || field.size() == 6) {
                QString decimal;
                for (qsizetype i = 1; i < field.size(); i += 2)
                    decimal.append(field.at(i));
                last = to_integer(decimal);
            }
            numbers.push_back(static_cast<std::uint8_t>(last & 0xFF));
            if (p + 1 < hex.size() && hex.at(p + 1) == QLatin1Char('A'))
                ++p;
            start = p + 1;
        }
    }
    return numbers;
}

} // namespace brivo
