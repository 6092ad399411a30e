#include "link/FtStatusText.h"

#include <array>

namespace brivo {

QString ftStatusSuffix(FT_STATUS status) {
    static const std::array<const char*, 18> kSuffixes = {
        "",
        " - Invalid handle...",
        " - Device not found...",
        " - Device not opened...",
        " - General IO error...",
        " - Insufficient resources...",
        " - Invalid parameter...",
        " - Invalid baud rate...",
        " Device not opened for erase...",
        " Device not opened for write...",
        " - Failed to write...",
        " - EEPROM read failed...",
        " - EEPROM write failed...",
        " - EEPROM erase failed...",
        " - EEPROM not present...",
        " - EEPROM not programmed...",
        " - Invalid arguments...",
        " - Other error ...",
    };
    if (status < kSuffixes.size())
        return QString::fromLatin1(kSuffixes[status]);
    // Codes past the classic table still deserve a readable report.
    switch (status) {
    case FT_OTHER_ERROR:
        return QStringLiteral(" - Other error (driver status 18)...");
    case FT_DEVICE_LIST_NOT_READY:
        return QStringLiteral(" - Device list not ready (driver status 19)...");
    default:
        return QStringLiteral(" - Unknown driver status %1...").arg(status);
    }
}

} // namespace brivo
