// Status request, live request, store, and the assignment table.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "link/HexText.h"
#include "params/StatusDisplay.h"
#include "params/TformFXParameters.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QSignalBlocker>

namespace brivo {

void TformMain::btnRequestClick() {
    // Live mode (the box, or the menu item: the player's own choice) makes
    // Request start the loop.
    if (chkLiveRequest->isChecked() || menuLiveEnable->isChecked()) {
        editor_.session.setLive(true);
        return;
    }
    editor_.session.requestStatus();
}

void TformMain::statusChanged(bool live) {
    PedalSession& session = editor_.session;
    ParamState& params = session.params();
    const std::vector<std::uint8_t>& statusBytes = session.statusBytes();
    apply_status_values(*fxParameters_, params, statusBytes);
    if (!live) {
        apply_status_assignments(*fxParameters_, params, statusBytes);
        apply_status_reverse_flags(*fxParameters_, params, statusBytes);
        apply_status_limits(*fxParameters_, params, statusBytes);
    }
    offers_.request = true;
    offers_.assign = true;
    offers_.store = true;
    updateControls();
    fxParameters_->EnableDisableControls(true);
}

void TformMain::liveChanged(bool running) {
    // Ended on its own (a link failure, another command), the loop must not
    // leave the box claiming that the window follows the pedal.
    if (!running && chkLiveRequest->isChecked()) {
        const QSignalBlocker quiet(chkLiveRequest);
        chkLiveRequest->setChecked(false);
    }
    updateControls();
}

bool TformMain::restoreLastStatus() {
    PedalSession& session = editor_.session;
    const QString& effect = editor_.catalogue.currentEffectName;
    ParamState& params = session.params();
    const std::vector<std::uint8_t>& statusBytes = session.statusBytes();
    if (fxParameters_ == nullptr || !fxParameters_->isBuilt() ||
        session.running().statusEffectName != effect ||
        statusBytes.size() < status_record_bytes(params.paramCount))
        return false;
    apply_status_values(*fxParameters_, params, statusBytes);
    apply_status_assignments(*fxParameters_, params, statusBytes);
    apply_status_reverse_flags(*fxParameters_, params, statusBytes);
    apply_status_limits(*fxParameters_, params, statusBytes);
    fxParameters_->EnableDisableControls(true);
    return true;
}

void TformMain::btnStoreSettingsOnPedalClick() {
    editor_.session.store();
}

void TformMain::chkLiveRequestChange() {
    const bool ticked = chkLiveRequest->isChecked();
    if (!ticked) {
        editor_.session.setLive(false);
        return;
    }
    // Ticked, the box starts watching the pedal at once; with nothing to
    // watch it does not stay ticked.
    if (requestAvailable()) {
        editor_.session.setLive(true);
        if (editor_.session.liveLoopRunning())
            return;
    }
    liveChanged(false);
}

void TformMain::menuLiveEnableClick() {
    // The item's tick is live mode, read by Request; the box keeps following
    // Request.
    updateControls();
}

void TformMain::btnTestClick() {
    const QString digits = hex_of(10, 8);
    editor_.log.log_line(digits);
    editor_.log.log_line(digits.right(2));
}

void TformMain::btnAssignClick() {
    editor_.session.assign(editor_.session.params().reverseFlags);
}

} // namespace brivo
