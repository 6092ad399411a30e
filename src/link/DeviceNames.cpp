#include "link/DeviceNames.h"

namespace brivo {

QString deviceDisplayName(const QByteArray& description) {
    return description == kPedalBridgeDescription ? kProductName
                                                  : QString::fromLocal8Bit(description);
}

QString deviceFoundMessage(const QByteArray& description) {
    return deviceDisplayName(description) + QStringLiteral(" found, click Connect");
}

QString inaccessibleDeviceMessage(const QString& reason) {
    return QStringLiteral("A pedal was found but cannot be opened: ") + reason +
           QStringLiteral(". See the README on access to USB devices.");
}

} // namespace brivo
