// Listing, connecting and the bootloader check of an upgrade-mode connection.
#include "base/EditorError.h"
#include "base/Log.h"
#include "firmware/BootloaderClient.h"
#include "firmware/D2xxBootloaderLink.h"
#include "firmware/LinkFraming.h"
#include "link/EepromIdentity.h"
#include "link/HexText.h"
#include "link/OpenFailure.h"
#include "session/PedalSession.h"

namespace brivo {

ScanResult PedalSession::scan(bool quiet) {
    ScanResult result;
    device_.GetFTDeviceCount();
    const DWORD count = device_.ftDeviceCount;
    if (!quiet) {
        log_.log_line(QStringLiteral("FT device count: ") + QString::number(count));
        for (const std::string& reason : driver_.inaccessibleDevices())
            result.inaccessible.push_back(QString::fromStdString(reason));
    }
    for (DWORD i = 0; i < count; ++i) {
        FoundDevice found;
        device_.GetFTDeviceSerialNo(i);
        found.serial = QString::fromLocal8Bit(device_.FT_Device_String);
        if (!quiet)
            log_.log_line(QStringLiteral("FT_Device_String: ") + found.serial);
        link_.deviceSerialNumber = found.serial;
        device_.GetFTDeviceDescription(i);
        found.description = device_.FT_Device_String;
        result.devices.push_back(found);
    }
    return result;
}

void PedalSession::connectPedal() {
    if (isConnected())
        return;
    start(Conversation::Connect, [this] { return connectConversation(); });
}

Task<> PedalSession::connectConversation() {
    log_.log_line(QStringLiteral("serial number: ") + link_.deviceSerialNumber);
    // A failed open (reported by the device layer) leaves nothing to talk to.
    if (device_.Open_USB_Device_By_Serial_Number(link_.deviceSerialNumber) != FT_OK) {
        log_.log_line(QStringLiteral("not connected: the device could not be opened"));
        // The status alone does not tell busy from forbidden: say which, and
        // what to do, in the one message of the failed command.
        if (const QString why = whyOpenFailed(driver_); !why.isEmpty()) {
            log_.log_line(why);
            driverFailure_ += QStringLiteral("\r\n") + why;
        }
        co_return;
    }
    device_.SetFTBaudRate();
    device_.SetFTDataCharacteristics();
    exchange_.attach();
    log_.log_line(QStringLiteral("FT_HANDLE: 0x") +
                  hex_of(static_cast<std::uint32_t>(device_.handleValue()), 8));
    log_.append_line(QStringLiteral("baud rate = ") + QString::number(device_.ftBaudRate));
    connection_ = upgradeMode_ ? Connection::Bootloader : Connection::Effect;
    bootloaderFound_ = false;
    emit stateChanged();
    if (upgradeMode_)
        co_await checkBootloader();
    readEepromIdentity();
}

void PedalSession::readEepromIdentity() {
    const EepromIdentity identity = read_eeprom_identity(device_, log_);
    link_.eepromManufacturer = identity.eepromManufacturer;
    link_.eepromDeviceName = identity.eepromDeviceName;
    link_.eepromSerialNumber = identity.eepromSerialNumber;
}

Task<> PedalSession::checkBootloader() {
    // From here to the Go the link speaks the bootloader's framing.
    if (use_bootloader_framing(device_, log_) == FramingChange::Refused) {
        emit notice(QString::fromLatin1(kParityRefusedText));
        co_return;
    }
    D2xxBootloaderLink link(device_, exchange_, clock_);
    BootloaderClient client(link, log_);
    bool found = false;
    try {
        found = co_await client.synchronise();
    } catch (const BootloaderError& e) {
        log_.log_line(e.text());
    }
    if (!found)
        use_firmware_framing(device_, log_);
    bootloaderFound_ = found;
    emit stateChanged();
    emit notice(found ? QStringLiteral("Connection to bootloader succeeded")
                      : QStringLiteral("Connection to bootloader failed"));
}

} // namespace brivo
