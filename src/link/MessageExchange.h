#pragma once

#include "link/LinkSettings.h"
#include "link/ReplyRules.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace brivo {

class Clock;
class D2XXUnit;
class Log;
struct Flags;

class MessageExchange;

// Held while a command waits for the pedal's reply. Commands run nested
// inside a wait (the wait keeps the window responsive); only one of them may
// be waiting on the link at a time, or replies would go to the wrong one.
// Take it before sending the request, keep it until the reply is read.
class [[nodiscard]] ExchangeGuard {
  public:
    ExchangeGuard(ExchangeGuard&& other) noexcept;
    ExchangeGuard& operator=(ExchangeGuard&&) = delete;
    ExchangeGuard(const ExchangeGuard&) = delete;
    ExchangeGuard& operator=(const ExchangeGuard&) = delete;
    ~ExchangeGuard();

  private:
    friend class MessageExchange;
    explicit ExchangeGuard(bool* busy) : busy_(busy) {}
    bool* busy_;
};

// The framing shared by every message: the send sequence and the common
// reply receiver, over the device layer.
class MessageExchange {
  public:
    MessageExchange(D2XXUnit& unit, Log& log, Clock& clock, const Flags& flags);

    // Takes the one reply-waiting slot; throws EditorError (kBusyText) when
    // another command holds it. After a time-out or a refused reply, first
    // reads and drops the bytes that still arrive (drainLateBytes).
    ExchangeGuard beginExchange();
    bool exchangeInProgress() const { return busy_; }

    // From now on bytes may arrive that belong to no command (a reply that
    // came too late, or the rest of a refused one): the next exchange drains
    // them first.
    void expectLateBytes();
    // Reads and drops what arrives until the line has been quiet for
    // kDrainQuietMs since the last byte (or since expectLateBytes), with a
    // console line when anything was dropped. Does nothing unless late bytes
    // are expected.
    void drainLateBytes();

    // Send sequence: the first byteCount bytes of txBuffer from the hex text
    // (bytes the text does not cover keep what was there), purge TX if asked,
    // one write, then a pause of the UI thread (no events are processed).
    // Returns the number of bytes the text converted. Throws EditorError when
    // byteCount exceeds the transmit buffer.
    int send(const QString& hexText, int byteCount, bool purgeTxFirst, int pauseAfterMs);
    // The same with bytes stored directly.
    void sendBytes(std::span<const std::uint8_t> bytes, bool purgeTxFirst, int pauseAfterMs);

    // Waits until the receive queue holds a byte, processing window events and
    // sleeping until bytes arrive (or kPollIntervalMs where the driver cannot
    // wake the editor) between looks; `onPoll` (a progress display, say)
    // runs at each look. False when the queue-status call fails (already
    // reported to the user). On time-out logs noReplyLogLine and throws
    // EditorError (kNoReplyText). Callers hold an ExchangeGuard.
    bool waitForQueuedBytes(int timeoutMs, const std::function<void()>& onPoll = {});

    // Reads a reply that comes in pieces, appending each read's bytes to
    // `reply` and calling `onRead` after it, until `isWhole(reply)` holds or
    // nothing new has come for kReplyQuietMs, sleeping `readPauseMs` between
    // reads. False when the link fails (reported once by the device layer).
    // A reply not whole after `timeoutMs` is cut: logs slowReplyLogLine,
    // purges RX, expects late bytes and throws EditorError (kSlowReplyText).
    // A failed read ends it at once (false). Callers hold an ExchangeGuard.
    bool collectReply(QByteArray& reply, const std::function<bool(const QByteArray&)>& isWhole,
                      int timeoutMs, int readPauseMs,
                      const std::function<void(const QByteArray&)>& onRead = {});

    // Waits for the pedal's reply and reads it until a read brings nothing.
    // Normal mode: the bytes of every read, in order (nothing that earlier
    // replies left in the receive buffer). Upgrade mode: the
    // first byte received as two hex digits. Empty when the link fails.
    // Takes the exchange slot itself (throws kBusyText when taken).
    QByteArray receive_reply(int timeoutMs = kReplyTimeoutMs);
    // For a command that already holds the slot across several steps.
    QByteArray receive_reply(const ExchangeGuard& held, int timeoutMs = kReplyTimeoutMs);
    // The same, but nothing when the link failed (the device layer reported
    // it once; nothing after it is read, purged or parsed).
    std::optional<QByteArray> receiveReplyChecked(const ExchangeGuard& held,
                                                  int timeoutMs = kReplyTimeoutMs);

  private:
    void writeAndPause(int byteCount, bool purgeTxFirst, int pauseAfterMs);
    std::optional<QByteArray> readReply(int timeoutMs);
    [[noreturn]] void timedOut(const QString& logLine, const char* userText);

    D2XXUnit& unit_;
    Log& log_;
    Clock& clock_;
    const Flags& flags_;
    bool busy_ = false;
    // Since when bytes that belong to no command may arrive.
    std::optional<std::int64_t> lateBytesSinceMs_;
};

} // namespace brivo
