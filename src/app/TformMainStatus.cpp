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
    // Live mode (the box, or the menu item) makes Request start the loop.
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
    btnRequest->setEnabled(true);
    btnAssign->setEnabled(true);
    btnStoreSettingsOnPedal->setEnabled(true);
    fxParameters_->EnableDisableControls(true);
}

void TformMain::liveChanged(bool running) {
    // Ended on its own (a link failure, another command), the loop must not
    // leave the box claiming that the window follows the pedal.
    if (!running && chkLiveRequest->isChecked()) {
        const QSignalBlocker quiet(chkLiveRequest);
        chkLiveRequest->setChecked(false);
    }
    updateLiveRequestBox();
    updateMenus();
}

void TformMain::updateLiveRequestBox() {
    if (chkLiveRequest != nullptr)
        chkLiveRequest->setEnabled(btnRequest->isEnabled() || editor_.session.liveLoopRunning());
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
    if (btnRequest->isEnabled()) {
        editor_.session.setLive(true);
        if (editor_.session.liveLoopRunning())
            return;
    }
    liveChanged(false);
}

void TformMain::menuLiveEnableClick() {
    const bool ticked = menuLiveEnable->isChecked();
    chkLiveRequest->setEnabled(ticked);
}

void TformMain::btnTestClick() {
    const QString digits = hex_of(10, 8);
    editor_.log.log_line(digits);
    editor_.log.log_line(digits.right(2));
}

void TformMain::btnAssignClick() {
    std::array<bool, kParamSlots> reversed{};
    if (fxParameters_ != nullptr)
        reversed = fxParameters_->reverseFlags();
    editor_.session.assign(reversed);
}

} // namespace brivo
