#include "commands/IdentityReply.h"

#include "base/EditorError.h"
#include "link/HexText.h"

#include <optional>

namespace brivo {

namespace {
constexpr int kIdentityFields = 4;
constexpr char kCarriageReturn = '\r';

std::optional<std::int32_t> decimal_field(const QString& text) {
    bool ok = false;
    const int value = text.trimmed() == text ? text.toInt(&ok, 10) : 0;
    return ok ? std::optional<std::int32_t>(value) : std::nullopt;
}
} // namespace

QStringList identity_reply_fields(const QByteArray& reply) {
    QStringList fields;
    QByteArray rest = reply;
    for (int i = 0; i < kIdentityFields; ++i) {
        const qsizetype cr = rest.indexOf(kCarriageReturn);
        if (cr < 0) {
            fields.append(QString::fromLatin1(rest));
            rest.clear();
        } else {
            fields.append(QString::fromLatin1(rest.left(cr)));
            rest = rest.mid(cr + 2);
        }
    }
    return fields;
}

std::int32_t to_integer(const QString& text) {
    const std::optional<std::int32_t> value = decimal_field(text);
    if (!value)
        throw EditorError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return *value;
}

IdentityParse parse_identity_fields(const QByteArray& reply) {
    IdentityParse parse;
    if (reply.count(kCarriageReturn) < kIdentityFields) {
        // Lines ended some other way are there but not readable.
        parse.fault = reply.count('\n') < kIdentityFields ? IdentityFault::Incomplete
                                                          : IdentityFault::NotUnderstood;
        return parse;
    }
    const QStringList fields = identity_reply_fields(reply);
    const auto number = decimal_field(fields.value(1));
    const auto version = decimal_field(fields.value(2));
    const auto firmware = decimal_field(fields.value(3));
    if (!number || !version || !firmware) {
        parse.fault = IdentityFault::NotUnderstood;
        return parse;
    }
    parse.fields = {*number, *version, *firmware};
    return parse;
}

QString identity_fault_text(IdentityFault fault) {
    switch (fault) {
    case IdentityFault::Incomplete:
        return QStringLiteral("The pedal's answer to Open FX was incomplete. Click Open FX to "
                              "try again.");
    case IdentityFault::NotUnderstood:
        return QStringLiteral("The pedal's answer to Open FX was not understood. Click Open FX "
                              "to try again.");
    case IdentityFault::None:
        break;
    }
    return {};
}

QStringList identity_log_lines(const IdentityFields& identity) {
    return {
        QStringLiteral("effect number DEC: ") + QString::number(identity.effectNumber),
        QStringLiteral("effect number HEX: ") +
            hex_of(static_cast<std::uint32_t>(identity.effectNumber), 8),
        QStringLiteral("effect version: ") + QString::number(identity.effectVersion),
        QStringLiteral("firmware version: ") + QString::number(identity.firmwareVersion),
    };
}

} // namespace brivo
