#include "firmware/LinkFraming.h"

#include "base/Log.h"
#include "link/D2XXUnit.h"

namespace brivo {

FramingChange use_bootloader_framing(D2XXUnit& device, Log& log) {
    const FT_STATUS status =
        device.SetFTLineFraming(device.ftWordLength, device.ftStopBits, FT_PARITY_EVEN);
    if (status == FT_OK)
        return FramingChange::Set;
    if (status == FT_NOT_SUPPORTED) {
        log.log_line(QStringLiteral("link framing: the port carries no parity (a "
                                    "pseudo-terminal); the bootloader's 8E1 is left to its far "
                                    "end"));
        return FramingChange::NotCarried;
    }
    log.log_line(QStringLiteral("link framing: 8E1 refused (status %1)").arg(status));
    return FramingChange::Refused;
}

void use_firmware_framing(D2XXUnit& device, Log& log) {
    const FT_STATUS status =
        device.SetFTLineFraming(device.ftWordLength, device.ftStopBits, device.ftParity);
    if (status != FT_OK && status != FT_NOT_SUPPORTED)
        log.log_line(QStringLiteral("link framing: 8N1 not set again (status %1)").arg(status));
}

} // namespace brivo
