#include "link/DeviceNames.h"

namespace brivo {

QString deviceDisplayName(const QByteArray& description) {
    return description == kPedalBridgeDescription ? kProductName
                                                  : QString::fromLocal8Bit(description);
}

QString deviceFoundMessage(const QByteArray& description) {
    return deviceDisplayName(description) + QStringLiteral(" found, click Connect");
}

} // namespace brivo
