#pragma once

#include <QByteArray>
#include <QString>

namespace brivo {

// The bridge's factory description; a device with it is the pedal.
inline const QByteArray kPedalBridgeDescription = QByteArrayLiteral("FT230X Basic UART");
inline const QString kProductName = QStringLiteral("Brivo");

// "Brivo" for the pedal's bridge, any other device under its own description.
QString deviceDisplayName(const QByteArray& description);
// "Brivo found, click Connect", or the description followed by the same words.
QString deviceFoundMessage(const QByteArray& description);

// What the listing says of a bridge it sees but cannot open, and the device
// label when no other device was found.
QString inaccessibleDeviceMessage(const QString& reason);
inline const QString kNoAccessLabel = QStringLiteral("Brivo (no access)");

} // namespace brivo
