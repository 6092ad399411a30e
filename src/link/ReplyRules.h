#pragma once

#include <QString>
#include <cstdint>

namespace brivo {

// Time allowed on top of the transfer time for the pedal to act and answer.
constexpr int kReplyAllowanceMs = 3000;
constexpr int kBootloaderAllowanceMs = 1000;
// A reply that comes in pieces counts as complete after this long without a
// byte: longer than the bridge's 16 ms latency timer, so its last packet is
// not cut off.
constexpr int kReplyQuietMs = 50;
// Between two looks at the receive queue the editor sleeps this long.
constexpr int kPollIntervalMs = 2;
// Where the driver wakes the editor when bytes arrive, it looks at the queue
// (and at the time-out and progress) at least this often.
constexpr int kReceiveWaitSliceMs = 100;
// In normal mode a reply counts as complete when nothing new arrived this
// long after the previous read.
constexpr int kReplyReadPauseMs = 100;
// A read takes at most this much; replies come in pieces of this size.
constexpr int kReplyPieceBytes = 65536;

// The time-out for an exchange that moves `bytesToMove` bytes over the link
// (sent plus expected back), rounded up to whole milliseconds, plus
// `allowanceMs`.
int linkTimeoutMs(std::int64_t bytesToMove, int allowanceMs = kReplyAllowanceMs);

// Default time-out of receive_reply: an effect reply of a few lines.
constexpr int kReplyTimeoutMs = kReplyAllowanceMs;
// After a time-out, late bytes are dropped once the line has been quiet this
// long (longer than the bridge's latency); the drain gives up after the limit.
constexpr int kDrainQuietMs = kReplyQuietMs;
constexpr int kDrainLimitMs = 2000;

// What the user and the console are told.
QString noReplyLogLine(int timeoutMs);
QString endlessReplyLogLine(int timeoutMs);
QString slowReplyLogLine(int timeoutMs, std::int64_t bytesReceived);
QString lateBytesLogLine(std::int64_t bytesDropped);
inline const char* const kNoReplyText = "The pedal did not answer. Check the cable and try again.";
inline const char* const kEndlessReplyText =
    "The pedal kept sending data without end. Check the cable and try again.";
inline const char* const kSlowReplyText =
    "The pedal's answer was too slow or incomplete. Check the cable and try again.";
inline const char* const kBusyText =
    "The pedal is busy with another command. Try again in a moment.";
inline const char* const kMessageTooLongText =
    "The message is too long for the transmit buffer (%1 bytes, at most %2).";

} // namespace brivo
