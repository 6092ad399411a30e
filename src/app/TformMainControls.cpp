// Every enabled state of the main window, from the session's state and the
// few things the window itself offers (what the player chose to edit).
#include "app/Editor.h"
#include "app/TformMain.h"
#include "ir/IrSplice.h"
#include "params/TformFXParameters.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>

namespace brivo {

bool TformMain::requestAvailable() const {
    const PedalSession& session = editor_.session;
    // Request rests while its own request waits.
    return offers_.request && session.isConnected() && !session.upgradeRunning() &&
           session.current() != Conversation::Status;
}

void TformMain::updateControls() {
    const PedalSession& session = editor_.session;
    const CatalogueState& catalogue = editor_.catalogue;
    const bool connected = session.isConnected();
    // While an upgrade runs nothing else may talk to the pedal.
    const bool upgrading = session.upgradeRunning();
    const bool commands = connected && !upgrading;

    btnUpload->setEnabled(commands);
    btnOpenEffect->setEnabled(commands);
    btnRequest->setEnabled(requestAvailable());
    btnAssign->setEnabled(commands && offers_.assign);
    btnStoreSettingsOnPedal->setEnabled(commands && offers_.store);
    // Live Request is offered while Request is, and while a loop runs.
    chkLiveRequest->setEnabled(!upgrading && (requestAvailable() || session.liveLoopRunning()));
    btnUploadFile->setEnabled(!upgrading);
    btnTest->setEnabled(!upgrading);
    btnGetFXInfo->setEnabled(offers_.info);
    // The parameter window sends without waiting for answers: it rests too.
    if (fxParameters_ != nullptr)
        fxParameters_->setEnabled(!upgrading);

    // The effect's settings file is read from and written to the pedal's
    // running effect.
    const bool configuration = configurationAvailable() && !upgrading;
    for (QAction* action : {menuSaveConfiguration, menuLoadConfiguration, menuSaveConfigurationAs,
                            menuLoadConfigurationFrom})
        action->setEnabled(configuration);
    // Only the effects with a response region take one ("Cabinet IR + EQ" has none).
    menuLoadIR->setEnabled(!upgrading && catalogue.currentCategory == kImpulseResponseCategory &&
                           ir_layout_of(catalogue.currentEffectName).has_value());
    // A raw upload waits for the pedal's answer: only on an open bridge with
    // the link free.
    menuUploadFile->setEnabled(connected && !session.busy());
    // One connection at a time; Disconnect is offered while one is open.
    menuScan->setEnabled(!connected && !upgrading);
    menuConnect->setEnabled(!connected && !upgrading);
    menuDisconnect->setEnabled(connected && !upgrading);
    menuLiveEnable->setEnabled(!upgrading);
    chkFirmwareUpgradeMode->setEnabled(!connected && !upgrading);
    // Upgrade mode may change whenever no upgrade runs.
    menuFirmwareUpgradeMode->setEnabled(!upgrading);
    // Once the bootloader answered, the window stays offered for the run.
    if (session.bootloaderFound())
        offers_.startUpgrade = true;
    menuStartFirmwareUpgrade->setEnabled(offers_.startUpgrade);
}

void TformMain::fxParametersClosed() {
    editor_.session.setShownEffect(QString());
    offers_.request = false;
    offers_.assign = false;
    updateControls();
}

void TformMain::withdrawEffectCommands() {
    offers_.request = false;
    offers_.assign = false;
    offers_.store = false;
}

} // namespace brivo
