#include "link/AsyncExchange.h"

#include "base/EditorError.h"
#include "base/Log.h"
#include "link/D2XXUnit.h"
#include "link/HexText.h"
#include "link/ReplyRules.h"

#include <algorithm>

namespace brivo {

AsyncExchange::AsyncExchange(D2XXUnit& unit, Log& log, Clock& clock)
    : unit_(unit), log_(log), clock_(clock), timer_(clock, [this] { resumeWaiter(); }) {}

AsyncExchange::~AsyncExchange() {
    detach();
}

void AsyncExchange::attach() {
    notices_ = unit_.SetFTEventNotification([this] { notice(); });
}

void AsyncExchange::detach() {
    if (notices_)
        unit_.SetFTEventNotification({});
    notices_ = false;
}

void AsyncExchange::notice() {
    // Resumed from the event loop, never from inside the driver call that
    // noticed the bytes.
    if (waiter_ && wakeOnNotice_)
        timer_.startUs(0);
    if (onLinkNotice)
        onLinkNotice();
}

void AsyncExchange::suspend(std::coroutine_handle<> awaiting, std::int64_t us, bool onNotice) {
    waiter_ = awaiting;
    wakeOnNotice_ = onNotice;
    timer_.startUs(std::max<std::int64_t>(us, 0));
}

void AsyncExchange::resumeWaiter() {
    timer_.stop();
    if (const std::coroutine_handle<> waiter = std::exchange(waiter_, {}))
        waiter.resume();
}

void AsyncExchange::cancel() {
    cancelled_ = true;
    resumeWaiter();
}

AsyncExchange::Wait AsyncExchange::wake(std::int64_t maxMs) {
    const std::int64_t ms = notices_ ? maxMs : std::min<std::int64_t>(maxMs, kPollIntervalMs);
    return Wait(*this, std::max<std::int64_t>(ms, 0) * 1000, true);
}

namespace {
void checkMessageSize(qsizetype byteCount) {
    if (byteCount < 0 || byteCount > kTxBufferSize)
        throw EditorError(
            QString::fromLatin1(kMessageTooLongText).arg(byteCount).arg(kTxBufferSize));
}
} // namespace

void AsyncExchange::writeBytes(int byteCount) {
    // A failed write was reported by the device layer; the command goes on.
    unit_.WriteFTDevice(static_cast<DWORD>(byteCount));
}

int AsyncExchange::send(const QString& hexText, int byteCount) {
    checkMessageSize(byteCount);
    const int converted = hex_text_to_bytes(hexText, unit_.txBuffer.data(), byteCount);
    writeBytes(byteCount);
    return converted;
}

void AsyncExchange::sendBytes(std::span<const std::uint8_t> bytes) {
    checkMessageSize(static_cast<qsizetype>(bytes.size()));
    std::copy(bytes.begin(), bytes.end(), unit_.txBuffer.begin());
    writeBytes(static_cast<int>(bytes.size()));
}

Task<> AsyncExchange::purgeTx() {
    const std::int64_t leftUs = unit_.txLineFreeAtUs() - clock_.nowUs();
    if (leftUs > 0)
        co_await pauseUs(leftUs);
    unit_.PurgeFTDeviceTX();
}

void AsyncExchange::expectLateBytes() {
    lateBytesSinceMs_ = clock_.nowMs();
}

Task<> AsyncExchange::drainLateBytes() {
    if (!lateBytesSinceMs_)
        co_return;
    std::int64_t lastActivityMs = *lateBytesSinceMs_;
    lateBytesSinceMs_.reset();
    const std::int64_t startMs = clock_.nowMs();
    std::int64_t dropped = 0;
    for (;;) {
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
        co_await wake(kDrainQuietMs - (nowMs - lastActivityMs));
    }
    if (dropped > 0)
        log_.log_line(lateBytesLogLine(dropped));
}

void AsyncExchange::timedOut(const QString& logLine, const char* userText) {
    log_.log_line(logLine);
    unit_.PurgeFTDeviceRX();
    expectLateBytes();
    throw EditorError(QString::fromLatin1(userText));
}

Task<bool> AsyncExchange::waitForQueuedBytes(int timeoutMs, const std::function<void()>& onPoll) {
    const std::int64_t startMs = clock_.nowMs();
    for (;;) {
        if (onPoll)
            onPoll();
        if (unit_.GetFTQueueStatus() != FT_OK)
            co_return false;
        if (unit_.ftQueueBytes > 0)
            co_return true;
        const std::int64_t leftMs = timeoutMs - (clock_.nowMs() - startMs);
        if (leftMs <= 0) {
            log_.log_line(noReplyLogLine(timeoutMs));
            // The answer may still come; it must not pass for the next one's.
            expectLateBytes();
            throw EditorError(QString::fromLatin1(kNoReplyText));
        }
        co_await wake(std::min<std::int64_t>(leftMs, kReceiveWaitSliceMs));
    }
}

Task<std::optional<QByteArray>>
AsyncExchange::collectReply(const std::function<bool(const QByteArray&)>& isWhole, int timeoutMs,
                            int readPauseMs, const std::function<void(const QByteArray&)>& onRead) {
    const std::int64_t startMs = clock_.nowMs();
    std::int64_t lastByteMs = startMs;
    QByteArray reply;
    for (;;) {
        // An unplugged bridge fails here once instead of at every read.
        if (unit_.GetFTQueueStatus() != FT_OK)
            co_return std::nullopt;
        const DWORD got = unit_.ftQueueBytes > 0 ? unit_.ReadFTDevice(kReplyPieceBytes) : 0;
        if (unit_.ftQueueBytes > 0 && unit_.ftReadStatus != FT_OK)
            co_return std::nullopt;
        const std::int64_t nowMs = clock_.nowMs();
        if (got > 0) {
            reply.append(reinterpret_cast<const char*>(unit_.rxBuffer.data()),
                         static_cast<qsizetype>(got));
            lastByteMs = nowMs;
            if (onRead)
                onRead(reply);
            if (isWhole(reply))
                co_return reply;
        } else if (nowMs - lastByteMs >= kReplyQuietMs) {
            co_return reply;
        }
        if (nowMs - startMs >= timeoutMs)
            timedOut(slowReplyLogLine(timeoutMs, reply.size()), kSlowReplyText);
        co_await pauseMs(readPauseMs);
    }
}

Task<std::optional<QByteArray>> AsyncExchange::receiveReply(int timeoutMs, bool rawFirstByte) {
    const bool ok = co_await waitForQueuedBytes(timeoutMs);
    if (!ok)
        co_return std::nullopt;

    const std::int64_t startMs = clock_.nowMs();
    QByteArray reply;
    std::int64_t total = 0;
    for (;;) {
        const DWORD n = unit_.ReadFTDevice(kReplyPieceBytes);
        // A failed read (reported by the device layer) ends the reply: what
        // came before it is not a whole answer.
        if (unit_.ftReadStatus != FT_OK)
            co_return std::nullopt;
        if (!rawFirstByte)
            co_await pauseMs(kReplyReadPauseMs);
        if (n == 0)
            break;
        if (rawFirstByte) {
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
    // A port that failed after the last read leaves nothing to believe.
    if (unit_.PurgeFTDeviceRX() != FT_OK)
        co_return std::nullopt;
    co_return reply;
}

} // namespace brivo
