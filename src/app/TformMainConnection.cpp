// The Connection menu: listing, connecting and disconnecting the bridge.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "link/DeviceNames.h"
#include "link/EepromIdentity.h"
#include "link/HexText.h"
#include "link/OpenFailure.h"
#include "params/TformFXParameters.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace brivo {

void TformMain::list_devices(bool quiet) {
    D2XXUnit& device = editor_.device;
    if (!quiet)
        lblSerialNumber->setText(QStringLiteral("Serial Number: "));
    device.GetFTDeviceCount();
    const DWORD count = device.ftDeviceCount;
    if (!quiet) {
        editor_.log.log_line(QStringLiteral("FT device count: ") + QString::number(count));
        // A bridge seen but not readable is not "no device": say what is wrong.
        const std::vector<std::string>& blocked = editor_.d2xx.inaccessibleDevices();
        for (const std::string& reason : blocked) {
            const QString text = inaccessibleDeviceMessage(QString::fromStdString(reason));
            editor_.log.log_line(text);
            editor_.dialogs.showMessage(text);
        }
        if (count == 0) {
            if (blocked.empty()) {
                editor_.dialogs.showMessage(QStringLiteral("No device found"));
                lblDeviceName->setText(QStringLiteral("No device found"));
            } else {
                lblDeviceName->setText(kNoAccessLabel);
            }
            return;
        }
    }
    for (DWORD i = 0; i < count; ++i) {
        device.GetFTDeviceSerialNo(i);
        const QString serial = QString::fromLocal8Bit(device.FT_Device_String);
        if (!quiet)
            editor_.log.log_line(QStringLiteral("FT_Device_String: ") + serial);
        lblSerialNumber->setText(lblSerialNumber->text() + serial);
        editor_.link.deviceSerialNumber = serial;
        device.GetFTDeviceDescription(i);
        const QByteArray description = device.FT_Device_String;
        lblDeviceName->setText(deviceDisplayName(description));
        if (!quiet)
            editor_.dialogs.showMessage(deviceFoundMessage(description));
    }
}

void TformMain::menuScanClick() {
    list_devices(false);
}

void TformMain::menuConnectClick() {
    D2XXUnit& device = editor_.device;
    editor_.log.log_line(QStringLiteral("serial number: ") + editor_.link.deviceSerialNumber);
    // A failed open (reported by the device layer) leaves nothing to talk to:
    // the window stays disconnected, with Scan and Connect at hand.
    if (device.Open_USB_Device_By_Serial_Number(editor_.link.deviceSerialNumber) != FT_OK) {
        editor_.log.log_line(QStringLiteral("not connected: the device could not be opened"));
        // The status alone does not tell busy from forbidden: say which, and what to do.
        if (const QString why = whyOpenFailed(editor_.d2xx); !why.isEmpty()) {
            editor_.log.log_line(why);
            editor_.dialogs.showMessage(why);
        }
        return;
    }
    lblDeviceName->setText(lblDeviceName->text() + QStringLiteral(" connected"));
    device.SetFTBaudRate();
    device.SetFTDataCharacteristics();
    editor_.log.log_line(QStringLiteral("FT_HANDLE: 0x") +
                         hex_of(static_cast<std::uint32_t>(device.handleValue()), 8));
    editor_.log.append_line(QStringLiteral("baud rate = ") + QString::number(device.ftBaudRate));
    btnUpload->setEnabled(true);
    btnOpenEffect->setEnabled(true);
    chkFirmwareUpgradeMode->setEnabled(false);
    menuScan->setEnabled(false);
    menuConnect->setEnabled(false);
    menuDisconnect->setEnabled(true);
    updateMenus();
    if (editor_.flags.upgradeMode)
        check_bootloader();
    read_eeprom_identity();
}

void TformMain::read_eeprom_identity() {
    const EepromIdentity identity = brivo::read_eeprom_identity(editor_.device, editor_.log);
    editor_.link.eepromManufacturer = identity.eepromManufacturer;
    editor_.link.eepromDeviceName = identity.eepromDeviceName;
    editor_.link.eepromSerialNumber = identity.eepromSerialNumber;
}

void TformMain::menuDisconnectClick() {
    // A failed close is reported by the device layer; the handle is gone
    // either way (the driver forgets it), so the window goes back to the
    // disconnected state rather than leave the user stuck.
    editor_.device.CloseFTDevice();
    editor_.running.statusEffectName.clear();
    lblDeviceName->setText(lblDeviceName->text().remove(QStringLiteral("connected")));
    menuScan->setEnabled(true);
    menuConnect->setEnabled(true);
    menuDisconnect->setEnabled(false);
    btnUpload->setEnabled(false);
    btnOpenEffect->setEnabled(false);
    btnRequest->setEnabled(false);
    btnAssign->setEnabled(false);
    btnStoreSettingsOnPedal->setEnabled(false);
    updateMenus();
    if (fxParameters_ != nullptr && fxParameters_->isVisible()) {
        fxParameters_->EnableDisableControls(false);
        // The limit buttons of assigned pots would stay usable and send to a
        // closed device: nothing of the window talks to the pedal now.
        for (int j = 0; j < static_cast<int>(editor_.params.potCount); ++j)
            fxParameters_->setLimitButtonsEnabled(j, false);
    }
    updateConfigurationMenu();
}

} // namespace brivo
