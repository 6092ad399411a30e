// The Connection menu: listing, connecting and disconnecting the bridge.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "link/DeviceNames.h"
#include "params/TformFXParameters.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

namespace brivo {

void TformMain::list_devices(bool quiet) {
    if (!quiet)
        lblSerialNumber->setText(QStringLiteral("Serial Number: "));
    const ScanResult found = editor_.session.scan(quiet);
    if (!quiet) {
        // A bridge seen but not readable is not "no device": say what is wrong.
        for (const QString& reason : found.inaccessible) {
            const QString text = inaccessibleDeviceMessage(reason);
            editor_.log.log_line(text);
            editor_.dialogs.showMessage(text);
        }
        if (found.devices.empty()) {
            if (found.inaccessible.empty()) {
                editor_.dialogs.showMessage(QStringLiteral("No device found"));
                lblDeviceName->setText(QStringLiteral("No device found"));
            } else {
                lblDeviceName->setText(kNoAccessLabel);
            }
            return;
        }
    }
    for (const FoundDevice& device : found.devices) {
        lblSerialNumber->setText(lblSerialNumber->text() + device.serial);
        lblDeviceName->setText(deviceDisplayName(device.description));
        if (!quiet)
            editor_.dialogs.showMessage(deviceFoundMessage(device.description));
    }
}

void TformMain::menuScanClick() {
    list_devices(false);
}

void TformMain::menuConnectClick() {
    editor_.session.connectPedal();
}

void TformMain::menuDisconnectClick() {
    editor_.session.disconnectPedal();
}

void TformMain::connectionChanged() {
    const bool connected = editor_.session.isConnected();
    if (connected == shownConnected_)
        return;
    shownConnected_ = connected;
    if (connected) {
        lblDeviceName->setText(lblDeviceName->text() + QStringLiteral(" connected"));
        return;
    }
    lblDeviceName->setText(lblDeviceName->text().remove(QStringLiteral("connected")));
    withdrawEffectCommands();
    // Nothing of the window talks to a closed device.
    if (fxParameters_ != nullptr && fxParameters_->isVisible())
        fxParameters_->lockOut();
}

} // namespace brivo
