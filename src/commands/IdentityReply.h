#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>

namespace brivo {

// The pedal's answer to 05 00: line 2 the effect number, line 3 its version,
// line 4 the firmware version, each line ended by CR and one more character.
struct IdentityFields {
    std::int32_t effectNumber = 0;
    std::int32_t effectVersion = 0;
    std::int32_t firmwareVersion = 0;
};

// The first four fields of the reply: each runs to the next CR (or the end),
// and the CR and the character after it are skipped.
QStringList identity_reply_fields(const QByteArray& reply);

// Why an identity reply cannot be believed.
enum class IdentityFault { None, Incomplete, NotUnderstood };

struct IdentityParse {
    IdentityFields fields;
    IdentityFault fault = IdentityFault::None;
};

// Reads fields 2 to 4 as decimal integers. Incomplete: fewer than four
// lines arrived. Not understood: the lines are there, but a field is not a
// decimal integer (or the lines are not ended by CR).
IdentityParse parse_identity_fields(const QByteArray& reply);

// What the user is told for a fault.
QString identity_fault_text(IdentityFault fault);

// A decimal integer, or EditorError "'<text>' is not a valid integer value".
std::int32_t to_integer(const QString& text);

// The console lines of an identity, in order.
QStringList identity_log_lines(const IdentityFields& identity);

} // namespace brivo
