// The firmware upgrade, as a conversation of the session: it holds the link
// from the first frame to the Go, and nothing else talks to the pedal.
#include "base/Log.h"
#include "session/PedalSession.h"

namespace brivo {

void PedalSession::upgradeFirmware(const QByteArray& image, const UpgradeView& view,
                                   Dialogs& dialogs) {
    if (upgradeDone_)
        return;
    upgradeImage_ = image;
    upgradeView_ = view;
    upgradeDialogs_ = &dialogs;
    start(Conversation::Firmware, [this] { return upgradeConversation(); });
}

Task<> PedalSession::upgradeConversation() {
    upgradeStopRequested_ = false;
    UpgradeView view = upgradeView_;
    view.stopRequested = [this] { return upgradeStopRequested_; };
    view.beforeStart = [this, before = upgradeView_.beforeStart] {
        // One upgrade per run: the pedal restarts into what was written.
        upgradeDone_ = true;
        emit stateChanged();
        if (before)
            before();
    };
    view.firmwareStarted = [this, started = upgradeView_.firmwareStarted] {
        // The pedal runs its new firmware: Upgrade Mode ends by itself.
        upgradeMode_ = false;
        bootloaderFound_ = false;
        connection_ = Connection::Effect;
        emit stateChanged();
        emit firmwareStarted();
        if (started)
            started();
    };
    const UpgradeLink link{device_, exchange_, log_, clock_, *upgradeDialogs_};
    const UpgradeRequest request{upgradeImage_, resynchronise_};
    upgradeOutcome_ = UpgradeOutcome::Failed;
    try {
        upgradeOutcome_ = co_await run_firmware_upgrade(link, request, view);
    } catch (...) {
        // The bootloader may be anywhere in a frame: the next try starts over.
        resynchronise_ = true;
        throw;
    }
    resynchronise_ =
        upgradeOutcome_ == UpgradeOutcome::Refused || upgradeOutcome_ == UpgradeOutcome::Failed;
}

} // namespace brivo
