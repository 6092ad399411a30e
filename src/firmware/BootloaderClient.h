#pragma once

#include "base/EditorError.h"
#include "base/Task.h"
#include "firmware/BootloaderFrames.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>
#include <vector>

namespace brivo {

class BootloaderLink;
class Log;

// Time-outs: a single answer byte; a block write (plus its wire time); a
// mass erase, which takes many seconds on a large part.
constexpr int kBootloaderAckTimeoutMs = 1000;
constexpr int kBlockWriteAllowanceMs = 1000;
constexpr int kMassEraseTimeoutMs = 40000;
// A synchronised bootloader takes the sync byte as a command code and waits
// for its complement in silence; this long without an answer says so.
constexpr int kSyncSilenceMs = 200;
// A bootloader left inside a frame takes sync bytes as the frame's bytes
// until it is whole (a data frame: up to 258), then refuses it; each of
// those is awaited this long.
constexpr int kSyncProbeMs = 50;
constexpr int kResyncBytesAtMost = 260;
// The connection check: a sync byte, and a second for a synchronised part.
constexpr int kConnectSyncBytes = 2;

// How a bootloader step went wrong.
enum class ReplyFault { Nack, UnexpectedBytes, NoReply, LinkLost, BadAnswer };

// A step the bootloader did not acknowledge. `step` names it for the user
// ("writing block 3 of 107 at address 08000200").
class BootloaderError : public EditorError {
  public:
    BootloaderError(QString step, ReplyFault fault, QString came = {}, int timeoutMs = 0);
    const QString& step() const { return step_; }
    ReplyFault fault() const { return fault_; }

  private:
    QString step_;
    ReplyFault fault_;
};

// Thrown by a link whose owner asked the upgrade to stop (the editor closes).
class UpgradeStopped : public EditorError {
  public:
    UpgradeStopped()
        : EditorError(QStringLiteral("Firmware upgrade stopped: the editor is closing.")) {}
};

// What went wrong, in words: "the pedal refused (NACK) the erase command.".
QString describeFault(const QString& step, ReplyFault fault, const QString& came, int timeoutMs);

// The host side of the serial bootloader: every command is its frames, each
// sent in one write, each followed by its answer, awaited to the byte with a
// time-out. The receive queue is emptied before every command, so nothing
// left over can pass for an answer; anything but the answer expected throws
// BootloaderError naming what came.
class BootloaderClient {
  public:
    // Every step takes its arguments by reference: the caller awaits it in
    // the same expression, so they live as long as the step.
    BootloaderClient(BootloaderLink& link, Log& log);

    // Sync bytes, one at a time, until an answer, at most `bytesAtMost`.
    // ACK: synchronised now. A bootloader synchronised already takes one as
    // a command code and waits; the next makes a bad command, which it
    // refuses: NACK means it is there and listening (so does a NACK to a
    // frame that sync bytes completed). True when it answered either way.
    Task<bool> synchronise(int bytesAtMost = kConnectSyncBytes);
    // The command codes the bootloader offers.
    Task<std::vector<std::uint8_t>> get_commands();
    // The whole flash, by the erase command the bootloader lists: the
    // command (nothing is erased while it is refused), then the erase.
    Task<> erase_flash(const bootloader::MassErase& erase) {
        co_await begin_erase(erase);
        co_await erase_whole_flash(erase);
    }
    Task<> begin_erase(const bootloader::MassErase& erase);
    Task<> erase_whole_flash(const bootloader::MassErase& erase);
    // Write Memory of one block, padded to whole words.
    Task<> write_chunk(std::uint32_t address, std::span<const std::uint8_t> bytes,
                       const QString& step);
    // Read Memory of `count` bytes (1 to 256) at `address`.
    Task<QByteArray> read_memory(std::uint32_t address, int count, const QString& step);
    // Go to the flash start: the processor starts the firmware there.
    Task<> send_go_command();

  private:
    // Empties the receive queue, sends the command's code and complement,
    // awaits its ACK.
    Task<> command(std::uint8_t code, const QString& step);
    // One more frame of a command; throws when bytes came before it.
    void sendMore(std::span<const std::uint8_t> frame, const QString& step);
    // One more frame of a command and its ACK.
    Task<> frameThenAck(std::span<const std::uint8_t> frame, const QString& step, int timeoutMs);
    // Awaits an answer of `answerBytes` bytes that starts with ACK.
    Task<std::vector<std::uint8_t>> awaitAnswer(int answerBytes, const QString& step,
                                                int timeoutMs);
    void logAddress(std::uint32_t address);

    BootloaderLink& link_;
    Log& log_;
};

} // namespace brivo
