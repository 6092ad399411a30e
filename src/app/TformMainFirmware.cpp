// The Firmware Upgrade menu, the bootloader check of Connect, and keeping the
// pedal to the upgrade while it runs.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "firmware/TformFirmwareUpgrade.h"
#include "params/TformFXParameters.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>

namespace brivo {

void TformMain::menuFirmwareUpgradeModeClick() {
    // The item toggles its check mark as it is triggered; the session follows it.
    editor_.session.setUpgradeMode(menuFirmwareUpgradeMode->isChecked());
}

void TformMain::chkFirmwareUpgradeModeChange() {
    editor_.session.setUpgradeMode(chkFirmwareUpgradeMode->isChecked());
}

void TformMain::menuStartFirmwareUpgradeClick() {
    if (firmware_ == nullptr)
        return;
    firmware_->updateImageItems();
    firmware_->show();
    firmware_->raise();
    firmware_->activateWindow();
}

void TformMain::firmwareStarted() {
    // The pedal runs its new firmware: Upgrade Mode ends by itself.
    menuFirmwareUpgradeMode->setChecked(false);
    editor_.session.setUpgradeMode(false);
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
        updateMenus();
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
    for (QAction* action : {menuLoadIR, menuLiveEnable})
        lock(action);
    updateMenus();
    // The parameter window sends without waiting for answers: it rests too.
    if (fxParameters_ != nullptr)
        fxParameters_->setEnabled(false);
}

} // namespace brivo
