#include "commands/IdentityReply.h"

#include "base/EditorError.h"
#include "link/HexText.h"

namespace brivo {

namespace {
constexpr int kIdentityFields = 4;
constexpr char kCarriageReturn = '\r';
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
    bool ok = false;
    const int value = text.trimmed() == text ? text.toInt(&ok, 10) : 0;
    if (!ok)
        throw EditorError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
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
