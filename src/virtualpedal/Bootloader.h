#pragma once

#include "virtualpedal/EffectProcessor.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace brivo {

// A fault of the bootloader that a test switches on. It fires once, at the
// step given (for block steps: the block at `address`, or any block when
// `address` is not set), and is then forgotten.
struct BootloaderFault {
    enum class Step {
        None,
        Sync,
        Get,
        EraseCommand,
        GlobalErase,
        WriteCommand,
        WriteAddress,
        WriteData,
        ReadMemory,
        GoCommand,
        GoAddress
    };
    enum class Action {
        // Refuses the step.
        Nack,
        // Stops answering from this step on, until the part is reset.
        Silence,
        // The cable comes out half-way through the step's frame.
        Unplug,
        // A byte of noise (00) reaches the host before the step's answer;
        // the step itself goes on as usual.
        StrayByte
    };
    Step step = Step::None;
    Action action = Action::Nack;
    std::optional<std::uint32_t> address;
};

// The serial bootloader in the pedal processor's system memory: the USART
// protocol (sync, Get, Get Version, Get ID, Read Memory, Go, Write Memory of
// whole words, Erase or Extended Erase) over a flash of 128 KB from 08000000. Erased bytes read FF;
// a write over bytes that are not erased is refused, as real flash would. Knows nothing of time but
// the stamps it is given; erase and write take their time before the ACK leaves.
class Bootloader {
  public:
    static constexpr std::uint32_t kFlashStart = 0x08000000;
    static constexpr std::uint32_t kFlashBytes = 128 * 1024;
    static constexpr std::uint32_t kPageBytes = 1024;
    static constexpr std::uint16_t kProductId = 0x0410;
    static constexpr std::uint8_t kVersion = 0x22;
    // Times of the part: a global erase, programming one byte, an ACK.
    static constexpr std::int64_t kMassEraseUs = 30'000;
    static constexpr std::int64_t kPageEraseUs = 20'000;
    static constexpr std::int64_t kProgramUsPerByte = 25;
    static constexpr std::int64_t kAnswerUs = 20;
    // The firmware carries its version as this text followed by one byte.
    static constexpr std::string_view kFirmwareVersionTag = "TNDRL BRIVO FIRMWARE";

    using Answer = EffectProcessor::Answer;

    // The flash holds a small factory firmware of `firmwareVersion`.
    explicit Bootloader(int firmwareVersion);

    // Power on into the bootloader: waiting for the sync byte.
    void reset();
    std::optional<Answer> consume(std::uint8_t byte);

    // Set by Go: the address the processor jumps to. Taken once.
    std::optional<std::uint32_t> takeJump();
    // Set by an unplug fault. Taken once.
    bool takeUnplug();

    const std::vector<std::uint8_t>& flash() const { return flash_; }
    // The firmware version the image in flash carries, if any.
    std::optional<int> flashFirmwareVersion() const;
    // Whether the flash holds a program the processor can start: a stack
    // pointer in RAM and a reset address in the flash, odd for Thumb code.
    bool flashStartsAProgram() const;

    void setFault(const BootloaderFault& fault) { fault_ = fault; }
    // Every later write over `address` stores the byte XOR `mask`: a cell
    // that does not take its value.
    void corruptFlashByte(std::uint32_t address, std::uint8_t mask);
    void setListsReadMemory(bool lists) { listsReadMemory_ = lists; }
    // Erase 43 or Extended Erase 44; Get lists it, and the other is unknown.
    void setEraseCommand(std::uint8_t code) { eraseCommand_ = code; }
    bool synchronised() const { return state_ != State::AwaitSync; }
    // Every command code taken, in order.
    const std::vector<std::uint8_t>& commandsTaken() const { return commands_; }

  private:
    enum class State {
        AwaitSync,
        AwaitCommand,
        AwaitComplement,
        AwaitAddress,
        AwaitReadLength,
        AwaitWriteData,
        AwaitEraseCount,
        AwaitErasePages,
    };

    std::optional<Answer> command(std::uint8_t code);
    std::optional<Answer> address();
    std::optional<Answer> readLength();
    std::optional<Answer> writeData();
    std::optional<Answer> erase();
    std::optional<Answer> classicErase();
    std::optional<Answer> extendedErase();
    std::optional<Answer> massErase();
    std::optional<Answer> erasePages(const std::vector<std::size_t>& pages);
    std::optional<Answer> ack(std::int64_t processingUs = kAnswerUs);
    std::optional<Answer> nack();
    std::optional<Answer> answer(std::vector<std::uint8_t> bytes, std::int64_t processingUs);
    // The fault fires when it names this step (and block); true when it did
    // and has been dealt with (the answer is then `faulted`).
    bool faultFires(BootloaderFault::Step step, std::optional<std::uint32_t> at,
                    std::optional<Answer>& faulted);
    bool inFlash(std::uint32_t first, std::size_t count) const;

    std::vector<std::uint8_t> flash_;
    State state_ = State::AwaitSync;
    std::uint8_t command_ = 0;
    std::vector<std::uint8_t> frame_;
    std::uint32_t address_ = 0;
    std::uint32_t nextWrite_ = kFlashStart;
    std::optional<std::uint32_t> jump_;
    bool unplug_ = false;
    bool silent_ = false;
    bool strayBeforeNextAnswer_ = false;
    bool listsReadMemory_ = true;
    std::uint8_t eraseCommand_ = 0x43;
    BootloaderFault fault_;
    std::vector<std::pair<std::uint32_t, std::uint8_t>> corrupt_;
    std::vector<std::uint8_t> commands_;
};

} // namespace brivo
