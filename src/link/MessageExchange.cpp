#include "link/MessageExchange.h"

#include "base/Clock.h"
#include "base/EditorError.h"
#include "base/EventPump.h"
#include "base/Flags.h"
#include "base/Log.h"
#include "link/D2XXUnit.h"
#include "link/HexText.h"

#include <algorithm>
#include <stdexcept>

namespace brivo {

ExchangeGuard::ExchangeGuard(ExchangeGuard&& other) noexcept : busy_(other.busy_) {
    other.busy_ = nullptr;
}

ExchangeGuard::~ExchangeGuard() {
    if (busy_ != nullptr)
        *busy_ = false;
}

MessageExchange::MessageExchange(D2XXUnit& unit, Log& log, Clock& clock, const Flags& flags)
    : unit_(unit), log_(log), clock_(clock), flags_(flags) {}

ExchangeGuard MessageExchange::beginExchange() {
    if (busy_)
        throw EditorError(QString::fromLatin1(kBusyText));
    busy_ = true;
    ExchangeGuard guard(&busy_);
    drainLateBytes();
    return guard;
}

void MessageExchange::expectLateBytes() {
    lateBytesSinceMs_ = clock_.nowMs();
}

void MessageExchange::drainLateBytes() {
    if (!lateBytesSinceMs_)
        return;
    std::int64_t lastActivityMs = *lateBytesSinceMs_;
    lateBytesSinceMs_.reset();
    const std::int64_t startMs = clock_.nowMs();
    std::int64_t dropped = 0;
    for (;;) {
        processPendingEvents();
        // A link that fails here fails again in the command, which reports it.
        if (unit_.GetFTQueueStatus() != FT_OK)
            break;
        if (unit_.ftQueueBytes > 0) {
            const DWORD got = unit_.ReadFTDevice(kReplyPieceBytes);
            if (unit_.ftReadStatus != FT_OK)
                break;
            dropped += got;
            lastActivityMs = clock_.nowMs();
        }
        const std::int64_t nowMs = clock_.nowMs();
        if (nowMs - lastActivityMs >= kDrainQuietMs)
            break;
        if (nowMs - startMs >= kDrainLimitMs) {
            // Still sending: what follows is left to the command's own checks.
            lateBytesSinceMs_ = nowMs;
            break;
        }
        clock_.sleepUs(std::int64_t{kPollIntervalMs} * 1000);
    }
    if (dropped > 0)
        log_.log_line(lateBytesLogLine(dropped));
}

void MessageExchange::timedOut(const QString& logLine, const char* userText) {
    log_.log_line(logLine);
    unit_.PurgeFTDeviceRX();
    expectLateBytes();
    throw EditorError(QString::fromLatin1(userText));
}

void MessageExchange::writeAndPause(int byteCount, bool purgeTxFirst, int pauseAfterMs) {
    if (purgeTxFirst) {
        clock_.sleepUs(unit_.txLineFreeAtUs() - clock_.nowUs());
        unit_.PurgeFTDeviceTX();
    }
    // A failed write was reported by the device layer; the command goes on.
    unit_.WriteFTDevice(static_cast<DWORD>(byteCount));
    if (pauseAfterMs > 0)
        clock_.sleepUs(std::int64_t{pauseAfterMs} * 1000);
}

namespace {
void checkMessageSize(qsizetype byteCount) {
    if (byteCount < 0 || byteCount > kTxBufferSize)
        throw EditorError(
            QString::fromLatin1(kMessageTooLongText).arg(byteCount).arg(kTxBufferSize));
}
} // namespace

int MessageExchange::send(const QString& hexText, int byteCount, bool purgeTxFirst,
                          int pauseAfterMs) {
    checkMessageSize(byteCount);
    const int converted = hex_text_to_bytes(hexText, unit_.txBuffer.data(), byteCount);
    writeAndPause(byteCount, purgeTxFirst, pauseAfterMs);
    return converted;
}

void MessageExchange::sendBytes(std::span<const std::uint8_t> bytes, bool purgeTxFirst,
                                int pauseAfterMs) {
    checkMessageSize(static_cast<qsizetype>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), unit_.txBuffer.begin());
    writeAndPause(static_cast<int>(bytes.size()), purgeTxFirst, pauseAfterMs);
}

bool MessageExchange::waitForQueuedBytes(int timeoutMs, const std::function<void()>& onPoll) {
    const std::int64_t startMs = clock_.nowMs();
    for (;;) {
        processPendingEvents();
        if (onPoll)
            onPoll();
        if (unit_.GetFTQueueStatus() != FT_OK)
            return false;
        if (unit_.ftQueueBytes > 0)
            return true;
        const std::int64_t leftMs = timeoutMs - (clock_.nowMs() - startMs);
        if (leftMs <= 0) {
            log_.log_line(noReplyLogLine(timeoutMs));
            // The answer may still come; it must not pass for the next one's.
            expectLateBytes();
            throw EditorError(QString::fromLatin1(kNoReplyText));
        }
        clock_.sleepUs(std::int64_t{kPollIntervalMs} * 1000);
    }
}

QByteArray MessageExchange::receive_reply(int timeoutMs) {
    const ExchangeGuard guard = beginExchange();
    return readReply(timeoutMs).value_or(QByteArray());
}

QByteArray MessageExchange::receive_reply(const ExchangeGuard& held, int timeoutMs) {
    return receiveReplyChecked(held, timeoutMs).value_or(QByteArray());
}

std::optional<QByteArray> MessageExchange::receiveReplyChecked(const ExchangeGuard& held,
                                                               int timeoutMs) {
    if (held.busy_ != &busy_)
        throw std::logic_error("receive_reply: the exchange guard is not held");
    return readReply(timeoutMs);
}

bool MessageExchange::collectReply(QByteArray& reply,
                                   const std::function<bool(const QByteArray&)>& isWhole,
                                   int timeoutMs, int readPauseMs,
                                   const std::function<void(const QByteArray&)>& onRead) {
    const std::int64_t startMs = clock_.nowMs();
    std::int64_t lastByteMs = startMs;
    for (;;) {
        processPendingEvents();
        // An unplugged bridge fails here once instead of at every read.
        if (unit_.GetFTQueueStatus() != FT_OK)
            return false;
        const DWORD got = unit_.ftQueueBytes > 0 ? unit_.ReadFTDevice(kReplyPieceBytes) : 0;
        if (unit_.ftQueueBytes > 0 && unit_.ftReadStatus != FT_OK)
            return false;
        const std::int64_t nowMs = clock_.nowMs();
        if (got > 0) {
            reply.append(reinterpret_cast<const char*>(unit_.rxBuffer.data()),
                         static_cast<qsizetype>(got));
            lastByteMs = nowMs;
            if (onRead)
                onRead(reply);
            if (isWhole(reply))
                return true;
        } else if (nowMs - lastByteMs >= kReplyQuietMs) {
            return true;
        }
        if (nowMs - startMs >= timeoutMs)
            timedOut(slowReplyLogLine(timeoutMs, reply.size()), kSlowReplyText);
        clock_.sleepUs(std::int64_t{readPauseMs} * 1000);
    }
}

std::optional<QByteArray> MessageExchange::readReply(int timeoutMs) {
    if (!waitForQueuedBytes(timeoutMs))
        return std::nullopt;

    const bool upgradeMode = flags_.upgradeMode;
    const std::int64_t startMs = clock_.nowMs();
    QByteArray reply;
    std::int64_t total = 0;
    for (;;) {
        processPendingEvents();
        const DWORD n = unit_.ReadFTDevice(kReplyPieceBytes);
        // A failed read (reported by the device layer) ends the reply: what
        // came before it is not a whole answer.
        if (unit_.ftReadStatus != FT_OK)
            return std::nullopt;
        if (!upgradeMode)
            clock_.sleepUs(std::int64_t{kReplyReadPauseMs} * 1000);
        if (n == 0)
            break;
        if (upgradeMode) {
            // Only the first byte received is kept: the bootloader's ACK or NACK.
            if (reply.isEmpty())
                reply = bytes_to_hex_text(unit_.rxBuffer.data(), 1).toLatin1();
        } else {
            // Only the bytes this read brought: what earlier replies left in
            // the buffer behind them must not pass for part of this one.
            reply.append(reinterpret_cast<const char*>(unit_.rxBuffer.data()),
                         static_cast<qsizetype>(n));
        }
        total += n;
        // A pedal that never stops sending would keep the command (and memory)
        // growing; one that sends a whole buffer's worth is not merely slow.
        if (clock_.nowMs() - startMs >= timeoutMs) {
            if (total >= kReplyPieceBytes)
                timedOut(endlessReplyLogLine(timeoutMs), kEndlessReplyText);
            timedOut(slowReplyLogLine(timeoutMs, total), kSlowReplyText);
        }
    }
    log_.log_line(QStringLiteral("num of bytes received: ") + QString::number(total));
    unit_.PurgeFTDeviceRX();
    return reply;
}

} // namespace brivo
