// The Firmware Upgrade menu. The upgrade itself is the session's; while it
// runs the window's commands rest (updateControls).
#include "app/Editor.h"
#include "app/TformMain.h"
#include "firmware/TformFirmwareUpgrade.h"

#include <QAction>
#include <QCheckBox>

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

} // namespace brivo
