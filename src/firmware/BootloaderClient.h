#pragma once

#include "base/EditorError.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace brivo {

class Clock;
class D2XXUnit;
class Log;
class MessageExchange;
struct FirmwareChunk;

// Pauses that let the bootloader take a frame before its answer is awaited.
constexpr int kBootloaderFramePauseMs = 20;
constexpr int kGoFramePauseMs = 100;
// Time-outs: a single answer byte; a block write (plus its wire time); a
// global erase, which takes many seconds on a large part.
constexpr int kBootloaderAckTimeoutMs = 1000;
constexpr int kBlockWriteAllowanceMs = 1000;
constexpr int kGlobalEraseTimeoutMs = 40000;

// How a bootloader step went wrong.
enum class ReplyFault { Nack, UnexpectedByte, NoReply, LinkLost, BadAnswer };

// A step the bootloader did not acknowledge. `step` names it for the user
// ("writing block 3 of 107 at address 08000200").
class BootloaderError : public EditorError {
  public:
    BootloaderError(QString step, ReplyFault fault, std::uint8_t byte = 0, int timeoutMs = 0);
    const QString& step() const { return step_; }
    ReplyFault fault() const { return fault_; }

  private:
    QString step_;
    ReplyFault fault_;
};

// What went wrong, in words: "the pedal refused (NACK) writing block ...".
QString describeFault(const QString& step, ReplyFault fault, std::uint8_t byte, int timeoutMs);

// The host side of the serial bootloader over the editor's link. Each frame
// goes out in one write; each answer is awaited with a time-out, logged, and
// anything but ACK throws BootloaderError. Callers hold the link's exchange
// slot for the whole sequence.
class BootloaderClient {
  public:
    BootloaderClient(D2XXUnit& unit, MessageExchange& exchange, Log& log, Clock& clock);

    // The command codes the bootloader offers.
    std::vector<std::uint8_t> get_commands();
    // Global erase.
    void erase_flash();
    // Write Memory of one block: command, address, data.
    void send_write_command(std::uint32_t address, const QString& step);
    void write_chunk(const FirmwareChunk& chunk, const QString& step);
    // Read Memory of `count` bytes (1 to 256) at `address`.
    QByteArray read_memory(std::uint32_t address, int count, const QString& step);
    // Go to the flash start: the processor starts the firmware there.
    void send_go_command();

    // Waits for one answer byte, logs it and returns it as two hex digits;
    // throws BootloaderError unless it is ACK.
    QString wait_bootloader_reply(const QString& step, int timeoutMs);

  private:
    void writeFrame(std::span<const std::uint8_t> frame, int pauseAfterMs);
    // Waits for bytes and reads what is queued; throws on silence or a lost link.
    QByteArray readSome(const QString& step, int timeoutMs);
    // Collects an answer until it holds wholeSize(answer so far) bytes, logs
    // its size and purges the rest; throws unless it starts with ACK.
    QByteArray collect(const QString& step, const std::function<int(const QByteArray&)>& wholeSize,
                       int timeoutMs);
    void logAddress(std::uint32_t address);

    D2XXUnit& unit_;
    MessageExchange& exchange_;
    Log& log_;
    Clock& clock_;
};

} // namespace brivo
