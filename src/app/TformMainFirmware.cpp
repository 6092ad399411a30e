// The Firmware Upgrade menu, the bootloader check of Connect, and keeping the
// pedal to the upgrade while it runs.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "base/EditorError.h"
#include "firmware/TformFirmwareUpgrade.h"
#include "params/TformFXParameters.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>

namespace brivo {

namespace {
constexpr std::uint8_t kBootloaderSyncByte = 0x7F;
// The sync byte's answer is one byte from a part that is waiting for it.
constexpr int kBootloaderSyncTimeoutMs = 1000;
const QString kAckText = QStringLiteral("79");
const QString kNackText = QStringLiteral("1F");
} // namespace

void TformMain::menuFirmwareUpgradeModeClick() {
    // The item toggles its check mark as it is triggered; the flag follows it.
    editor_.flags.upgradeMode = menuFirmwareUpgradeMode->isChecked();
}

void TformMain::chkFirmwareUpgradeModeChange() {
    editor_.flags.upgradeMode = chkFirmwareUpgradeMode->isChecked();
}

void TformMain::menuStartFirmwareUpgradeClick() {
    if (firmware_ == nullptr)
        return;
    firmware_->show();
    firmware_->raise();
    firmware_->activateWindow();
}

void TformMain::check_bootloader() {
    D2XXUnit& device = editor_.device;
    const ExchangeGuard exchange = editor_.exchange.beginExchange();
    const auto sync = [&]() -> QString {
        device.txBuffer[0] = kBootloaderSyncByte;
        device.WriteFTDevice(1);
        try {
            return QString::fromLatin1(
                editor_.exchange.receive_reply(exchange, kBootloaderSyncTimeoutMs));
        } catch (const EditorError&) {
            return {};
        }
    };
    QString reply = sync();
    bool found = reply == kAckText;
    if (reply.isEmpty() && device.GetFTQueueStatus() == FT_OK) {
        // A bootloader synchronised by an earlier connection takes the byte
        // as the start of a command; a second one makes a bad command, which
        // it refuses. So a refusal now means it is there and listening.
        reply = sync();
        found = reply == kNackText;
        if (found)
            editor_.log.log_line(QStringLiteral("bootloader already synchronised"));
    }
    editor_.log.log_line(QStringLiteral("received Byte: ") + reply);
    if (found) {
        editor_.dialogs.showMessage(QStringLiteral("Connection to bootloader succeeded"));
        menuStartFirmwareUpgrade->setEnabled(true);
    } else {
        editor_.dialogs.showMessage(QStringLiteral("Connection to bootloader failed"));
    }
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
