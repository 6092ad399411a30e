#pragma once

#include "base/Clock.h"
#include "base/Task.h"

#include <QByteArray>
#include <QString>
#include <coroutine>
#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <span>

namespace brivo {

class D2XXUnit;
class Log;

// Thrown inside a conversation whose wait was cancelled (Disconnect, the
// editor closing): it unwinds without a message of its own.
class ConversationCancelled : public std::exception {
  public:
    const char* what() const noexcept override { return "conversation cancelled"; }
};

// The framing shared by every message, for conversations that wait without
// blocking: the send sequence, the reply receivers and the drain of late
// bytes, as coroutines that return to the event loop while the pedal has
// not answered. They wake on the transport's notice that bytes arrived, or
// on the clock's timers where the driver cannot tell. One conversation uses
// it at a time; the session sees to that.
class AsyncExchange {
  public:
    AsyncExchange(D2XXUnit& unit, Log& log, Clock& clock);
    ~AsyncExchange();
    AsyncExchange(const AsyncExchange&) = delete;
    AsyncExchange& operator=(const AsyncExchange&) = delete;

    // Listens to the open device's notices; without them the waits look at
    // the queue every kPollIntervalMs.
    void attach();
    void detach();
    // Runs at every notice of the device (bytes arrived, the port failed),
    // also while no conversation waits: the session watches the link so.
    std::function<void()> onLinkNotice;

    // The waiting conversation resumes at once and throws
    // ConversationCancelled, as does every later wait until resetCancel().
    void cancel();
    void resetCancel() { cancelled_ = false; }
    bool cancelled() const { return cancelled_; }
    bool waiting() const { return static_cast<bool>(waiter_); }

    // Awaitable waits.
    class Wait {
      public:
        bool await_ready() const noexcept { return exchange_.cancelled_; }
        void await_suspend(std::coroutine_handle<> awaiting) {
            exchange_.suspend(awaiting, us_, onNotice_);
        }
        void await_resume() const {
            if (exchange_.cancelled_)
                throw ConversationCancelled();
        }

      private:
        friend class AsyncExchange;
        Wait(AsyncExchange& exchange, std::int64_t us, bool onNotice)
            : exchange_(exchange), us_(us), onNotice_(onNotice) {}
        AsyncExchange& exchange_;
        std::int64_t us_;
        bool onNotice_;
    };
    // A timed pause between the same bytes as ever; notices do not end it.
    Wait pauseUs(std::int64_t us) { return Wait(*this, us, false); }
    Wait pauseMs(std::int64_t ms) { return Wait(*this, ms * 1000, false); }
    // Until the device's next notice, or `maxMs` at most.
    Wait wake(std::int64_t maxMs);

    // The send sequence without its pause: the first byteCount bytes of
    // txBuffer from the hex text (bytes it does not cover keep what was
    // there), then one write. Returns the number of bytes converted. Throws
    // EditorError when byteCount exceeds the transmit buffer.
    int send(const QString& hexText, int byteCount);
    void sendBytes(std::span<const std::uint8_t> bytes);
    // Waits until the bytes written so far have left the bridge, then purges
    // its transmit queue.
    Task<> purgeTx();

    // From now on bytes may arrive that belong to no command: the next
    // conversation drains them first.
    void expectLateBytes();
    // Reads and drops what arrives until the line has been quiet for
    // kDrainQuietMs, with a console line when anything was dropped.
    Task<> drainLateBytes();

    // Waits until the receive queue holds a byte; `onPoll` runs at every look.
    // False when the queue-status call fails (reported by the device layer).
    // On time-out logs noReplyLogLine and throws EditorError (kNoReplyText).
    // Arguments are taken by reference: callers await in the same expression.
    Task<bool> waitForQueuedBytes(int timeoutMs, const std::function<void()>& onPoll = {});
    // Reads a reply that comes in pieces until `isWhole` holds or nothing new
    // has come for kReplyQuietMs, looking every `readPauseMs`. Nothing when
    // the link fails. Not whole after `timeoutMs`: logs slowReplyLogLine,
    // purges RX, expects late bytes and throws EditorError (kSlowReplyText).
    Task<std::optional<QByteArray>>
    collectReply(const std::function<bool(const QByteArray&)>& isWhole, int timeoutMs,
                 int readPauseMs, const std::function<void(const QByteArray&)>& onRead = {});
    // Waits for the pedal's reply and reads it until a read brings nothing:
    // the bytes of every read, in order; for the bootloader (rawFirstByte),
    // the first byte received as two hex digits. Nothing when the link fails.
    Task<std::optional<QByteArray>> receiveReply(int timeoutMs, bool rawFirstByte = false);

  private:
    void suspend(std::coroutine_handle<> awaiting, std::int64_t us, bool onNotice);
    void resumeWaiter();
    void notice();
    void writeBytes(int byteCount);
    [[noreturn]] void timedOut(const QString& logLine, const char* userText);

    D2XXUnit& unit_;
    Log& log_;
    Clock& clock_;
    ClockTimer timer_;
    std::coroutine_handle<> waiter_;
    bool wakeOnNotice_ = false;
    bool notices_ = false;
    bool cancelled_ = false;
    // Since when bytes that belong to no command may arrive.
    std::optional<std::int64_t> lateBytesSinceMs_;
};

} // namespace brivo
