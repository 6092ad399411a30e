// Status request, live request, store, and the assignment table.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "base/EventPump.h"
#include "commands/StatusReply.h"
#include "link/HexText.h"
#include "params/ParamMessages.h"
#include "params/StatusDisplay.h"
#include "params/TformFXParameters.h"

#include <QAction>
#include <QCheckBox>
#include <QPushButton>

namespace brivo {

namespace {
constexpr int kStatusPauseMs = 200;
constexpr int kStatusReadPauseMs = 10;
// A reply counts as complete after this long without a byte: longer than the
// bridge's 16 ms latency timer, so the last packet is not cut off.
constexpr int kStatusQuietMs = 50;
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
    // Repeats while live mode stays on; the switches can turn it off only
    // inside the waits, so the loop ends after the request in progress.
    while (editor_.flags.liveRequest) {
        if (!request_status())
            break;
    }
}

bool TformMain::request_status() {
    ParamState& params = editor_.params;
    bool linkOk = true;
    {
        const ExchangeGuard exchange = editor_.exchange.beginExchange();
        editor_.exchange.send(status_request_hex(params.paramCount), 2, true, 0);
        btnRequest->setEnabled(false);
        editor_.clock.sleepMs(kStatusPauseMs);
        linkOk = receive_status(params.paramCount);
    }
    const std::size_t needed = status_record_bytes(params.paramCount);
    if (editor_.statusBytes.size() < needed) {
        editor_.log.log_line(QStringLiteral("status reply too short: %1 of %2 bytes")
                                 .arg(editor_.statusBytes.size())
                                 .arg(needed));
        btnRequest->setEnabled(true);
        editor_.dialogs.showMessage(
            QStringLiteral("The pedal's status reply was incomplete (%1 of %2 values). "
                           "Click Request to try again.")
                .arg(editor_.statusBytes.size())
                .arg(needed));
        return false;
    }
    if (fxParameters_ != nullptr) {
        apply_status_values(*fxParameters_, params, editor_.statusBytes);
        btnRequest->setEnabled(true);
        if (!editor_.flags.liveRequest) {
            apply_status_assignments(*fxParameters_, params, editor_.statusBytes);
            apply_status_reverse_flags(*fxParameters_, params, editor_.statusBytes);
            apply_status_limits(*fxParameters_, params, editor_.statusBytes);
        }
    }
    btnAssign->setEnabled(true);
    btnStoreSettingsOnPedal->setEnabled(true);
    if (fxParameters_ != nullptr)
        fxParameters_->EnableDisableControls(true);
    return linkOk;
}

bool TformMain::receive_status(std::uint32_t paramCount) {
    D2XXUnit& device = editor_.device;
    const std::size_t expected = status_record_bytes(paramCount);
    const int timeoutMs =
        linkTimeoutMs(static_cast<std::int64_t>(expected) * kStatusLineBytes, kReplyAllowanceMs);
    if (!editor_.exchange.waitForQueuedBytes(timeoutMs))
        return false;
    device.PurgeFTDeviceTX();
    // The reply arrives over several reads: collect them all, in order, until
    // the record is whole or the link has gone quiet.
    QByteArray reply;
    std::int64_t lastByteMs = editor_.clock.nowMs();
    for (;;) {
        processPendingEvents();
        const DWORD got = device.ReadFTDevice(kRxBufferSize);
        if (got > 0) {
            reply.append(reinterpret_cast<const char*>(device.rxBuffer.data()),
                         static_cast<qsizetype>(got));
            lastByteMs = editor_.clock.nowMs();
            if (reply.count('\n') >= static_cast<qsizetype>(expected))
                break;
        } else if (editor_.clock.nowMs() - lastByteMs >= kStatusQuietMs) {
            break;
        }
        if (!editor_.flags.upgradeMode)
            editor_.clock.sleepMs(kStatusReadPauseMs);
        else
            editor_.clock.sleepMs(kPollIntervalMs);
    }
    const std::vector<std::uint8_t> numbers = parse_status_reply(reply);
    if (!numbers.empty())
        editor_.statusBytes = numbers;
    editor_.log.log_line(QStringLiteral("num of bytes received: ") +
                         QString::number(numbers.size()));
    device.PurgeFTDeviceRX();
    return true;
}

void TformMain::btnStoreSettingsOnPedalClick() {
    const QString message = store_request_hex(editor_.params.paramCount);
    editor_.log.log_line(QStringLiteral("Store settings message (HEX): ") + message);
    editor_.exchange.send(message, 2, true, kStorePauseMs);
}

void TformMain::chkLiveRequestChange() {
    editor_.flags.liveRequest = chkLiveRequest->isChecked();
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
