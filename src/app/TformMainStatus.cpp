// Status request, live request, store, and the assignment table.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "base/EditorError.h"
#include "base/PrintableText.h"
#include "commands/StatusReply.h"
#include "link/HexText.h"
#include "params/ParamMessages.h"
#include "params/StatusDisplay.h"
#include "params/TformFXParameters.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <utility>

namespace brivo {

namespace {
// Status and store requests are two bytes: the command and the parameter count.
constexpr int kStatusRequestBytes = 2;
constexpr int kStatusPauseMs = 200;
constexpr int kStatusReadPauseMs = 10;
constexpr int kStorePauseMs = 100;
constexpr int kAssignPauseMs = 100;
// The longest line of a status reply: three digits, CR, LF.
constexpr int kStatusLineBytes = 5;
} // namespace

void TformMain::btnRequestClick() {
    if (!editor_.flags.liveRequest) {
        request_status();
        return;
    }
    try {
        runLiveLoop();
    } catch (...) {
        pendingCommand_ = nullptr;
        endLiveLoop();
        throw;
    }
    endLiveLoop();
    // A command the player started during the loop goes on now.
    if (auto command = std::exchange(pendingCommand_, nullptr);
        command && pendingButton_ != nullptr && pendingButton_->isEnabled())
        command();
}

void TformMain::runLiveLoop() {
    Flags& flags = editor_.flags;
    flags.liveLoopRunning = true;
    updateLiveRequestBox();
    updateMenus();
    // Repeats while live mode stays on; the switches can turn it off only
    // inside the waits, so the loop ends after the request in progress. A
    // closed main window ends it too, or the program could never quit.
    while (flags.liveRequest && isVisible()) {
        if (!request_status())
            break;
    }
}

void TformMain::endLiveLoop() {
    Flags& flags = editor_.flags;
    flags.liveLoopRunning = false;
    flags.liveRequest = false;
    // Ended on its own (a link failure, another effect chosen), the loop must
    // not leave the box claiming that the window follows the pedal.
    if (chkLiveRequest->isChecked()) {
        const QSignalBlocker quiet(chkLiveRequest);
        chkLiveRequest->setChecked(false);
    }
    updateLiveRequestBox();
    updateMenus();
}

void TformMain::updateLiveRequestBox() {
    if (chkLiveRequest != nullptr)
        chkLiveRequest->setEnabled(btnRequest->isEnabled() || editor_.flags.liveLoopRunning);
}

bool TformMain::runAfterLiveLoop(QAbstractButton* button, std::function<void()> command) {
    if (!editor_.flags.liveLoopRunning)
        return false;
    editor_.log.log_line(QStringLiteral("Live Request switched off: ") + button->text() +
                         QStringLiteral(" follows the request in progress"));
    pendingButton_ = button;
    pendingCommand_ = std::move(command);
    chkLiveRequest->setChecked(false);
    return true;
}

bool TformMain::request_status() {
    ParamState& params = editor_.params;
    // What the window shows now. The player may pick another effect while the
    // reply is awaited; its status must not land in that effect's controls.
    const QString effect = editor_.catalogue.currentEffectName;
    const std::uint32_t paramCount = params.paramCount;
    const auto windowUnchanged = [&] {
        return fxParameters_ != nullptr && fxParameters_->isBuilt() &&
               editor_.catalogue.currentEffectName == effect && params.paramCount == paramCount;
    };
    bool linkOk = false;
    {
        const ExchangeGuard exchange = editor_.exchange.beginExchange();
        // The rest of a cut-off or late reply must not be read as part of this one.
        editor_.device.PurgeFTDeviceRX();
        editor_.exchange.send(status_request_hex(paramCount), kStatusRequestBytes, true, 0);
        btnRequest->setEnabled(false);
        editor_.clock.sleepMs(kStatusPauseMs);
        try {
            linkOk = receive_status(paramCount);
        } catch (...) {
            // A time-out or an unreadable reply ends the request; the player
            // can try again.
            if (windowUnchanged())
                btnRequest->setEnabled(true);
            throw;
        }
    }
    if (!linkOk) {
        // The device layer has reported the failure. The previous status is
        // not what the pedal holds now, so it is not shown again.
        if (windowUnchanged())
            btnRequest->setEnabled(true);
        return false;
    }
    if (!windowUnchanged()) {
        editor_.log.log_line(
            QStringLiteral("status reply dropped: the FX Parameters window shows another effect"));
        return false;
    }
    apply_status_values(*fxParameters_, params, editor_.statusBytes);
    btnRequest->setEnabled(true);
    if (!editor_.flags.liveRequest) {
        apply_status_assignments(*fxParameters_, params, editor_.statusBytes);
        apply_status_reverse_flags(*fxParameters_, params, editor_.statusBytes);
        apply_status_limits(*fxParameters_, params, editor_.statusBytes);
    }
    editor_.running.statusEffectName = effect;
    btnAssign->setEnabled(true);
    btnStoreSettingsOnPedal->setEnabled(true);
    fxParameters_->EnableDisableControls(true);
    return true;
}

bool TformMain::restoreLastStatus() {
    const QString& effect = editor_.catalogue.currentEffectName;
    if (fxParameters_ == nullptr || !fxParameters_->isBuilt() ||
        editor_.running.statusEffectName != effect ||
        editor_.statusBytes.size() < status_record_bytes(editor_.params.paramCount))
        return false;
    ParamState& params = editor_.params;
    apply_status_values(*fxParameters_, params, editor_.statusBytes);
    apply_status_assignments(*fxParameters_, params, editor_.statusBytes);
    apply_status_reverse_flags(*fxParameters_, params, editor_.statusBytes);
    apply_status_limits(*fxParameters_, params, editor_.statusBytes);
    fxParameters_->EnableDisableControls(true);
    return true;
}

bool TformMain::receive_status(std::uint32_t paramCount) {
    D2XXUnit& device = editor_.device;
    const std::size_t expectedLines = status_record_bytes(paramCount);
    const int timeoutMs = linkTimeoutMs(static_cast<std::int64_t>(expectedLines) * kStatusLineBytes,
                                        kReplyAllowanceMs);
    if (!editor_.exchange.waitForQueuedBytes(timeoutMs))
        return false;
    device.PurgeFTDeviceTX();
    // The reply arrives over several reads: collect them all, in order, until
    // the link has gone quiet. A record is believed only when it is exactly
    // one, so reading stops early only when it is already too long.
    QByteArray reply;
    const auto tooLong = [expectedLines](const QByteArray& bytes) {
        return status_reply_lines(bytes) > expectedLines;
    };
    if (!editor_.exchange.collectReply(reply, tooLong, timeoutMs,
                                       editor_.flags.upgradeMode ? kPollIntervalMs
                                                                 : kStatusReadPauseMs))
        return false;
    // Whatever follows the record belongs to no request; dropped before the
    // parse, so an unreadable reply leaves nothing behind either.
    device.PurgeFTDeviceRX();
    const StatusParse parse = parse_status_record(reply, expectedLines);
    if (!parse.ok()) {
        // The rest of a refused answer may still be on its way.
        editor_.exchange.expectLateBytes();
        editor_.log.log_line(QStringLiteral("status reply refused (%1 bytes): %2; the line: %3")
                                 .arg(reply.size())
                                 .arg(parse.fault, printable_text(parse.faultLine)));
        throw EditorError(QStringLiteral("The pedal's answer was not a status record: %1. Click "
                                         "Request to try again.")
                              .arg(parse.fault));
    }
    editor_.statusBytes = parse.bytes;
    editor_.log.log_line(QStringLiteral("num of bytes received: ") +
                         QString::number(parse.bytes.size()));
    return true;
}

void TformMain::btnStoreSettingsOnPedalClick() {
    // No answer is awaited, but the link must be free: the gate refuses a
    // send inside another conversation (a firmware upgrade, say).
    const ExchangeGuard gate = editor_.exchange.beginExchange();
    const QString message = store_request_hex(editor_.params.paramCount);
    editor_.log.log_line(QStringLiteral("Store settings message (HEX): ") + message);
    editor_.exchange.send(message, kStatusRequestBytes, true, kStorePauseMs);
}

void TformMain::chkLiveRequestChange() {
    Flags& flags = editor_.flags;
    flags.liveRequest = chkLiveRequest->isChecked();
    if (!flags.liveRequest || flags.liveLoopRunning)
        return;
    // Ticked, the box starts watching the pedal at once; with nothing to
    // watch it does not stay ticked.
    if (btnRequest->isEnabled())
        btnRequestClick();
    else
        endLiveLoop();
}

void TformMain::menuLiveEnableClick() {
    const bool ticked = menuLiveEnable->isChecked();
    chkLiveRequest->setEnabled(ticked);
    editor_.flags.liveRequest = ticked;
}

void TformMain::btnTestClick() {
    const QString digits = hex_of(10, 8);
    editor_.log.log_line(digits);
    editor_.log.log_line(digits.right(2));
}

void TformMain::btnAssignClick() {
    const ExchangeGuard gate = editor_.exchange.beginExchange();
    ParamState& params = editor_.params;
    std::array<bool, kParamSlots> reversed{};
    if (fxParameters_ != nullptr)
        reversed = fxParameters_->reverseFlags();
    const AssignTable table = build_assign_table(params.assignMatrix, reversed, params.paramCount);
    for (const QString& line : table.logLines)
        editor_.log.log_line(line);
    params.assignTable = table.bytes;
    std::array<std::uint8_t, 1 + kAssignTableBytes> message{};
    message[0] = 0x04;
    std::copy(table.bytes.begin(), table.bytes.end(), message.begin() + 1);
    editor_.exchange.sendBytes(message, true, 0);
    btnAssign->setEnabled(false);
    editor_.clock.sleepMs(kAssignPauseMs);
    btnAssign->setEnabled(true);
}

} // namespace brivo
