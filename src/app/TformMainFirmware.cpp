// The Firmware Upgrade menu, the bootloader check of Connect, and keeping the
// pedal to the upgrade while it runs.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "base/EditorError.h"
#include "firmware/BootloaderClient.h"
#include "firmware/D2xxBootloaderLink.h"
#include "firmware/LinkFraming.h"
#include "firmware/TformFirmwareUpgrade.h"
#include "params/TformFXParameters.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>

namespace brivo {

void TformMain::menuFirmwareUpgradeModeClick() {
    // The item toggles its check mark as it is triggered; the flag follows it.
    editor_.flags.upgradeMode = menuFirmwareUpgradeMode->isChecked();
    // Upgrade Mode ends: the link speaks the firmware's 8N1 again.
    if (!editor_.flags.upgradeMode && isConnected())
        use_firmware_framing(editor_.device, editor_.log);
}

void TformMain::chkFirmwareUpgradeModeChange() {
    editor_.flags.upgradeMode = chkFirmwareUpgradeMode->isChecked();
}

void TformMain::menuStartFirmwareUpgradeClick() {
    if (firmware_ == nullptr)
        return;
    firmware_->updateImageItems();
    firmware_->show();
    firmware_->raise();
    firmware_->activateWindow();
}

void TformMain::check_bootloader() {
    const ExchangeGuard exchange = editor_.exchange.beginExchange();
    // From here to the Go the link speaks the bootloader's framing.
    if (use_bootloader_framing(editor_.device, editor_.log) == FramingChange::Refused) {
        editor_.dialogs.showMessage(QString::fromLatin1(kParityRefusedText));
        return;
    }
    D2xxBootloaderLink link(editor_.device, editor_.exchange, editor_.clock);
    BootloaderClient client(link, editor_.log);
    bool found = false;
    try {
        found = client.synchronise();
    } catch (const BootloaderError& e) {
        editor_.log.log_line(e.text());
    }
    if (found) {
        editor_.dialogs.showMessage(QStringLiteral("Connection to bootloader succeeded"));
        menuStartFirmwareUpgrade->setEnabled(true);
    } else {
        use_firmware_framing(editor_.device, editor_.log);
        editor_.dialogs.showMessage(QStringLiteral("Connection to bootloader failed"));
    }
}

void TformMain::firmwareStarted() {
    menuFirmwareUpgradeMode->setChecked(false);
    editor_.flags.upgradeMode = false;
}

void TformMain::upgradeRunningChanged(bool running) {
    if (!running) {
        for (QObject* control : lockedForUpgrade_) {
            if (auto* widget = qobject_cast<QWidget*>(control))
                widget->setEnabled(true);
            else if (auto* action = qobject_cast<QAction*>(control))
                action->setEnabled(true);
        }
        lockedForUpgrade_.clear();
        if (fxParameters_ != nullptr)
            fxParameters_->setEnabled(true);
        return;
    }
    const auto lock = [this](auto* control) {
        if (control->isEnabled()) {
            control->setEnabled(false);
            lockedForUpgrade_.push_back(control);
        }
    };
    for (QWidget* widget : std::initializer_list<QWidget*>{
             btnUpload, btnOpenEffect, btnRequest, btnAssign, btnStoreSettingsOnPedal,
             chkLiveRequest, btnUploadFile, btnTest, chkFirmwareUpgradeMode})
        lock(widget);
    for (QAction* action : {menuScan, menuConnect, menuDisconnect, menuUploadFile, menuLoadIR,
                            menuFirmwareUpgradeMode, menuLiveEnable})
        lock(action);
    // The parameter window sends without waiting for answers: it rests too.
    if (fxParameters_ != nullptr)
        fxParameters_->setEnabled(false);
}

} // namespace brivo
