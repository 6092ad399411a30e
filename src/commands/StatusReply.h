#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brivo {

// The status request "02" and the store request "03", each followed by the
// parameter count as two hex digits.
QString status_request_hex(std::uint32_t paramCount);
QString store_request_hex(std::uint32_t paramCount);

// Every line of a status record is one byte.
constexpr int kStatusLineMin = 0;
constexpr int kStatusLineMax = 255;

// A status reply read line by line: the bytes, or why the reply is not a
// record of `expectedLines` lines. A record is exactly that many lines, each
// ended by CR LF and holding a decimal number (optional minus sign) from 0 to
// 255; nothing may stand before, between or after them.
struct StatusParse {
    std::vector<std::uint8_t> bytes;
    // Empty when the record is whole; otherwise "line N ..." for the user.
    QString fault;
    // The offending line as received (its first 64 bytes), for the console;
    // empty when whole.
    QByteArray faultLine;

    bool ok() const { return fault.isEmpty(); }
};

StatusParse parse_status_record(const QByteArray& reply, std::size_t expectedLines);

// The number of lines a reply holds so far (each ended by LF): enough to tell
// that it is already longer than a record.
std::size_t status_reply_lines(const QByteArray& reply);

} // namespace brivo
