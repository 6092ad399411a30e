#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

namespace brivo {

// Messages to the pedal are written as texts of hex digit pairs (pair i is
// byte i) and turned into bytes just before the write.

// Converts up to n digit pairs of `text`, from its start, into bytes at
// `destination`. Stops at the first pair holding a character that is not a
// hex digit (either case), or at the end of the text; later bytes are left as
// they were. Returns the number of bytes converted.
int hex_text_to_bytes(const QString& text, std::uint8_t* destination, int n);

// Each byte as two upper-case hex digits, high digit first.
QString bytes_to_hex_text(const std::uint8_t* source, int n);

// length(text) / 2 bytes converted from `text`; bytes after a stop are zero.
QByteArray hex_to_byte_string(const QString& text);

// The value in upper-case hex, padded with zeros to at least `width` digits,
// never cut (a negative int passed in gives 8 digits).
QString hex_of(std::uint32_t value, int width);

// The last two digits of the value's 8-digit form: the low byte in hex.
QString last_two_hex_digits(std::int64_t value);

} // namespace brivo
