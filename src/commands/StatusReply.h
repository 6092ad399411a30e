#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace brivo {

// The status request "02" and the store request "03", each followed by the
// parameter count as two hex digits.
QString status_request_hex(std::uint32_t paramCount);
QString store_request_hex(std::uint32_t paramCount);

// The numbers of a status reply (decimal lines ended by CR LF), one byte
// each, read the way the pedal's text is laid out in hex: a line of one to
// three digits gives its number's low 8 bits; a longer or empty line repeats
// the previous number. Throws EditorError when a line holds a byte that is
// not a decimal digit where a digit is read. Returns no numbers when the
// reply holds no complete line.
std::vector<std::uint8_t> parse_status_reply(const QByteArray& reply);

} // namespace brivo
