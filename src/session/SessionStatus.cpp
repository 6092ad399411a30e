// The status request, the live loop, and the sends that expect no answer:
// Store, Assign, parameter values and limits.
#include "base/EditorError.h"
#include "base/Log.h"
#include "base/PrintableText.h"
#include "commands/StatusReply.h"
#include "link/HexText.h"
#include "link/ReplyRules.h"
#include "params/ParamMessages.h"
#include "params/StatusRecord.h"
#include "session/PedalSession.h"

#include <algorithm>
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
// Set-parameter and limit messages are seven bytes.
constexpr int kParamMessageBytes = 7;
} // namespace

void PedalSession::requestStatus() {
    start(Conversation::Status, [this] { return statusConversation(); });
}

Task<> PedalSession::statusConversation() {
    co_await statusOnce();
}

Task<bool> PedalSession::statusOnce() {
    // What the windows show now. The player may pick another effect while
    // the reply is awaited; its status must not land in that effect's controls.
    const QString effect = shownEffect_;
    const std::uint32_t paramCount = params_.paramCount;
    // The rest of a cut-off or late reply must not be read as part of this one.
    co_await exchange_.drainLateBytes();
    device_.PurgeFTDeviceRX();
    co_await exchange_.purgeTx();
    exchange_.send(status_request_hex(paramCount), kStatusRequestBytes);
    co_await exchange_.pauseMs(kStatusPauseMs);
    const bool ok = co_await receiveStatus(paramCount);
    if (!ok)
        co_return false;
    if (shownEffect_ != effect || params_.paramCount != paramCount) {
        log_.log_line(
            QStringLiteral("status reply dropped: the FX Parameters window shows another effect"));
        co_return false;
    }
    running_.statusEffectName = effect;
    // The request during which live was switched off shows everything.
    emit statusRead(current_ == Conversation::LiveLoop && liveWanted_);
    co_return true;
}

Task<bool> PedalSession::receiveStatus(std::uint32_t paramCount) {
    const std::size_t expectedLines = status_record_bytes(paramCount);
    const int timeoutMs = linkTimeoutMs(static_cast<std::int64_t>(expectedLines) * kStatusLineBytes,
                                        kReplyAllowanceMs);
    const bool ok = co_await exchange_.waitForQueuedBytes(timeoutMs);
    if (!ok)
        co_return false;
    co_await exchange_.purgeTx();
    // The reply arrives over several reads: collect them all, in order, until
    // the link has gone quiet. A record is believed only when it is exactly
    // one, so reading stops early only when it is already too long.
    const auto tooLong = [expectedLines](const QByteArray& bytes) {
        return status_reply_lines(bytes) > expectedLines;
    };
    const std::optional<QByteArray> reply = co_await exchange_.collectReply(
        tooLong, timeoutMs, upgradeMode_ ? kPollIntervalMs : kStatusReadPauseMs);
    if (!reply)
        co_return false;
    // Whatever follows the record belongs to no request; dropped before the
    // parse, so an unreadable reply leaves nothing behind either.
    device_.PurgeFTDeviceRX();
    const StatusParse parse = parse_status_record(*reply, expectedLines);
    if (!parse.ok()) {
        // The rest of a refused answer may still be on its way.
        exchange_.expectLateBytes();
        log_.log_line(QStringLiteral("status reply refused (%1 bytes): %2; the line: %3")
                          .arg(reply->size())
                          .arg(parse.fault, printable_text(parse.faultLine)));
        throw EditorError(QStringLiteral("The pedal's answer was not a status record: %1. Click "
                                         "Request to try again.")
                              .arg(parse.fault));
    }
    statusBytes_ = parse.bytes;
    log_.log_line(QStringLiteral("num of bytes received: ") + QString::number(parse.bytes.size()));
    co_return true;
}

Task<> PedalSession::liveConversation() {
    emit liveChanged(true);
    // Repeats while live mode stays on; switched off, the loop ends after the
    // request in progress. What the player sent meanwhile goes out between
    // two requests.
    bool linkOk = true;
    while (liveWanted_ && linkOk) {
        linkOk = co_await statusOnce();
        if (linkOk)
            co_await runQueuedSends();
    }
}

Task<PedalSession::SendsOutcome> PedalSession::flushSends() {
    SendsOutcome outcome;
    while (!sends_.empty()) {
        Pending next = std::move(sends_.front());
        sends_.pop_front();
        co_await next.make();
        if (!driverFailure_.isEmpty()) {
            outcome.failure = std::exchange(driverFailure_, QString());
            if (next.change)
                outcome.unsent.push_back(*next.change);
            for (const Pending& dropped : sends_)
                if (dropped.change)
                    outcome.unsent.push_back(*dropped.change);
            sends_.clear();
            co_return outcome;
        }
        if (next.change)
            outcome.sent.push_back(*next.change);
    }
    co_return outcome;
}

void PedalSession::store() {
    start(Conversation::Store, [this] { return storeConversation(); });
}

Task<> PedalSession::storeConversation() {
    const QString message = store_request_hex(params_.paramCount);
    log_.log_line(QStringLiteral("Store settings message (HEX): ") + message);
    co_await exchange_.purgeTx();
    exchange_.send(message, kStatusRequestBytes);
    co_await exchange_.pauseMs(kStorePauseMs);
}

void PedalSession::assign(const std::array<bool, kParamSlots>& reversed) {
    start(Conversation::Assign, [this, reversed] { return assignConversation(reversed); });
}

Task<> PedalSession::assignConversation(std::array<bool, kParamSlots> reversed) {
    const AssignTable table =
        build_assign_table(params_.assignMatrix, reversed, params_.paramCount);
    for (const QString& line : table.logLines)
        log_.log_line(line);
    params_.assignTable = table.bytes;
    std::array<std::uint8_t, 1 + kAssignTableBytes> message{};
    message[0] = 0x04;
    std::copy(table.bytes.begin(), table.bytes.end(), message.begin() + 1);
    co_await exchange_.purgeTx();
    exchange_.sendBytes(message);
    co_await exchange_.pauseMs(kAssignPauseMs);
}

void PedalSession::setParameter(int slot, std::int32_t value, const QString& logLine,
                                bool appendLine) {
    const QString address = params_.paramAddresses[static_cast<std::size_t>(slot)];
    const QString message = set_parameter_hex(address, value);
    start(
        Conversation::Send,
        [this, message, logLine, appendLine] {
            return parameterConversation(message, logLine, appendLine);
        },
        ParamChange{slot, ParamChange::Kind::Value});
}

void PedalSession::sendValue(int slot, std::int32_t value) {
    const int pots = static_cast<int>(params_.potCount);
    const int switches = static_cast<int>(params_.switchCount);
    if (slot < pots)
        setParameter(slot, value, QStringLiteral("data sent pot %1: ").arg(slot), false);
    else if (slot < pots + switches)
        setParameter(slot, value, QStringLiteral("data sent switch %1: ").arg(slot), true);
    else
        setParameter(slot, value, QStringLiteral("data sent multiswitch %1: ").arg(slot), false);
}

Task<> PedalSession::parameterConversation(QString message, QString logLine, bool appendLine) {
    if (appendLine)
        log_.append_line(logLine + message);
    else
        log_.log_line(logLine + message);
    exchange_.send(message, kParamMessageBytes);
    co_return;
}

void PedalSession::setLimit(int slot, bool maximum, std::int32_t value) {
    // Refused, the limits stay what the pedal holds.
    if (!admits(Conversation::Send))
        return;
    const auto j = static_cast<std::size_t>(slot);
    if (maximum)
        params_.maxLimits[j] = static_cast<std::uint32_t>(value);
    else
        params_.minLimits[j] = static_cast<std::uint32_t>(value);
    start(
        Conversation::Send,
        [this, slot, maximum, value] { return limitConversation(slot, maximum, value); },
        ParamChange{slot, maximum ? ParamChange::Kind::Maximum : ParamChange::Kind::Minimum});
}

void PedalSession::clearLimits(int slot) {
    // One click, one answer: both limits go, or neither.
    if (!admits(Conversation::Send))
        return;
    setLimit(slot, false, 0);
    setLimit(slot, true, kValueMax);
}

Task<> PedalSession::limitConversation(int slot, bool maximum, std::int32_t value) {
    log_.log_line(QStringLiteral("valstr: ") + value_word_hex(value));
    const QString message =
        limit_hex(slot, maximum ? LimitKind::Maximum : LimitKind::Minimum, value);
    co_await exchange_.purgeTx();
    exchange_.send(message, kParamMessageBytes);
}

} // namespace brivo
