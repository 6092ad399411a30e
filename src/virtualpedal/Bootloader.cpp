#include "virtualpedal/Bootloader.h"

#include <algorithm>

namespace brivo {

namespace {

constexpr std::uint8_t kSync = 0x7F;
constexpr std::uint8_t kAck = 0x79;
constexpr std::uint8_t kNack = 0x1F;
constexpr std::uint8_t kGet = 0x00;
constexpr std::uint8_t kGetVersion = 0x01;
constexpr std::uint8_t kGetId = 0x02;
constexpr std::uint8_t kReadMemory = 0x11;
constexpr std::uint8_t kGo = 0x21;
constexpr std::uint8_t kWriteMemory = 0x31;
constexpr std::uint8_t kErase = 0x43;
constexpr std::uint8_t kExtendedErase = 0x44;
// Write Memory programs whole 32-bit words.
constexpr std::size_t kWriteWordBytes = 4;
constexpr std::uint8_t kErased = 0xFF;
constexpr std::size_t kAddressFrameBytes = 5;
constexpr std::size_t kReadLengthFrameBytes = 2;
constexpr std::uint32_t kRamStart = 0x20000000;
constexpr std::uint32_t kRamBytes = 20 * 1024;
// The factory firmware: its reset handler, and where it keeps its version.
constexpr std::uint32_t kFactoryStackPointer = kRamStart + kRamBytes;
constexpr std::uint32_t kFactoryResetAddress = 0x08000101;
constexpr std::size_t kFactoryCodeOffset = 0x100;
constexpr std::size_t kFactoryTagOffset = 0x200;
// A Thumb "branch to itself": the factory firmware's whole main loop.
constexpr std::uint8_t kBranchToSelf[] = {0xFE, 0xE7};

std::uint32_t bigEndianWord(const std::vector<std::uint8_t>& bytes) {
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

std::uint32_t littleEndianWord(const std::vector<std::uint8_t>& bytes, std::size_t first) {
    return (std::uint32_t{bytes[first + 3]} << 24) | (std::uint32_t{bytes[first + 2]} << 16) |
           (std::uint32_t{bytes[first + 1]} << 8) | bytes[first];
}

void putLittleEndianWord(std::vector<std::uint8_t>& bytes, std::size_t first, std::uint32_t word) {
    for (std::size_t i = 0; i < 4; ++i)
        bytes[first + i] = static_cast<std::uint8_t>(word >> (8 * i));
}

std::uint8_t xorOf(const std::vector<std::uint8_t>& bytes) {
    std::uint8_t sum = 0;
    for (const std::uint8_t byte : bytes)
        sum ^= byte;
    return sum;
}

} // namespace

Bootloader::Bootloader(int firmwareVersion) : flash_(kFlashBytes, kErased) {
    putLittleEndianWord(flash_, 0, kFactoryStackPointer);
    putLittleEndianWord(flash_, 4, kFactoryResetAddress);
    std::copy(std::begin(kBranchToSelf), std::end(kBranchToSelf),
              flash_.begin() + kFactoryCodeOffset);
    std::copy(kFirmwareVersionTag.begin(), kFirmwareVersionTag.end(),
              flash_.begin() + kFactoryTagOffset);
    flash_[kFactoryTagOffset + kFirmwareVersionTag.size()] =
        static_cast<std::uint8_t>(firmwareVersion);
}

void Bootloader::reset() {
    state_ = State::AwaitSync;
    frame_.clear();
    silent_ = false;
    strayBeforeNextAnswer_ = false;
    unplug_ = false;
    jump_.reset();
}

std::optional<std::uint32_t> Bootloader::takeJump() {
    const auto jump = jump_;
    jump_.reset();
    return jump;
}

bool Bootloader::takeUnplug() {
    const bool unplug = unplug_;
    unplug_ = false;
    return unplug;
}

void Bootloader::corruptFlashByte(std::uint32_t address, std::uint8_t mask) {
    corrupt_.emplace_back(address, mask);
}

bool Bootloader::inFlash(std::uint32_t first, std::size_t count) const {
    return first >= kFlashStart && first - kFlashStart + count <= kFlashBytes;
}

std::optional<Bootloader::Answer> Bootloader::answer(std::vector<std::uint8_t> bytes,
                                                     std::int64_t processingUs) {
    if (silent_)
        return std::nullopt;
    if (strayBeforeNextAnswer_)
        bytes.insert(bytes.begin(), 0x00);
    strayBeforeNextAnswer_ = false;
    return Answer{std::move(bytes), processingUs};
}

std::optional<Bootloader::Answer> Bootloader::ack(std::int64_t processingUs) {
    return answer({kAck}, processingUs);
}

std::optional<Bootloader::Answer> Bootloader::nack() {
    state_ = State::AwaitCommand;
    frame_.clear();
    return answer({kNack}, kAnswerUs);
}

bool Bootloader::faultFires(BootloaderFault::Step step, std::optional<std::uint32_t> at,
                            std::optional<Answer>& faulted) {
    if (fault_.step != step)
        return false;
    if (fault_.address && at != fault_.address)
        return false;
    const BootloaderFault::Action action = fault_.action;
    fault_ = {};
    switch (action) {
    case BootloaderFault::Action::Nack:
        faulted = nack();
        break;
    case BootloaderFault::Action::Silence:
        silent_ = true;
        faulted.reset();
        break;
    case BootloaderFault::Action::Unplug:
        unplug_ = true;
        faulted.reset();
        break;
    case BootloaderFault::Action::StrayByte:
        strayBeforeNextAnswer_ = true;
        return false;
    }
    return true;
}

std::optional<Bootloader::Answer> Bootloader::consume(std::uint8_t byte) {
    if (unplug_)
        return std::nullopt;
    std::optional<Answer> faulted;
    switch (state_) {
    case State::AwaitSync:
        // Until the sync byte comes, the part is still measuring the baud rate.
        if (byte != kSync)
            return std::nullopt;
        state_ = State::AwaitCommand;
        if (faultFires(BootloaderFault::Step::Sync, std::nullopt, faulted))
            return faulted;
        return ack();
    case State::AwaitCommand:
        command_ = byte;
        state_ = State::AwaitComplement;
        return std::nullopt;
    case State::AwaitComplement:
        state_ = State::AwaitCommand;
        if (byte != static_cast<std::uint8_t>(command_ ^ 0xFF))
            return nack();
        commands_.push_back(command_);
        return command(command_);
    case State::AwaitAddress:
        frame_.push_back(byte);
        return frame_.size() == kAddressFrameBytes ? address() : std::nullopt;
    case State::AwaitReadLength:
        frame_.push_back(byte);
        return frame_.size() == kReadLengthFrameBytes ? readLength() : std::nullopt;
    case State::AwaitWriteData:
        frame_.push_back(byte);
        // N, then N + 1 bytes, then the checksum.
        if (frame_.size() == (frame_[0] + 3U) / 2 &&
            fault_.action == BootloaderFault::Action::Unplug &&
            faultFires(BootloaderFault::Step::WriteData, address_, faulted))
            return faulted;
        return frame_.size() == frame_[0] + 3U ? writeData() : std::nullopt;
    case State::AwaitEraseCount:
    case State::AwaitErasePages:
        frame_.push_back(byte);
        return erase();
    }
    return std::nullopt;
}

std::optional<Bootloader::Answer> Bootloader::command(std::uint8_t code) {
    using Step = BootloaderFault::Step;
    std::optional<Answer> faulted;
    frame_.clear();
    switch (code) {
    case kGet: {
        if (faultFires(Step::Get, std::nullopt, faulted))
            return faulted;
        std::vector<std::uint8_t> codes = {kGet, kGetVersion, kGetId};
        if (listsReadMemory_)
            codes.push_back(kReadMemory);
        codes.insert(codes.end(), {kGo, kWriteMemory, eraseCommand_});
        std::vector<std::uint8_t> bytes = {kAck, static_cast<std::uint8_t>(codes.size()), kVersion};
        bytes.insert(bytes.end(), codes.begin(), codes.end());
        bytes.push_back(kAck);
        return answer(bytes, kAnswerUs);
    }
    case kGetVersion:
        return answer({kAck, kVersion, 0x00, 0x00, kAck}, kAnswerUs);
    case kGetId:
        return answer({kAck, 0x01, static_cast<std::uint8_t>(kProductId >> 8),
                       static_cast<std::uint8_t>(kProductId & 0xFF), kAck},
                      kAnswerUs);
    case kReadMemory:
        if (!listsReadMemory_)
            return nack();
        state_ = State::AwaitAddress;
        return ack();
    case kGo:
        if (faultFires(Step::GoCommand, std::nullopt, faulted))
            return faulted;
        state_ = State::AwaitAddress;
        return ack();
    case kWriteMemory:
        // The block a write command is for is only known from its address;
        // blocks go in order, so it is the one after the last.
        if (faultFires(Step::WriteCommand, nextWrite_, faulted))
            return faulted;
        state_ = State::AwaitAddress;
        return ack();
    case kErase:
    case kExtendedErase:
        // A part knows one of the two.
        if (code != eraseCommand_)
            return nack();
        if (faultFires(Step::EraseCommand, std::nullopt, faulted))
            return faulted;
        state_ = State::AwaitEraseCount;
        return ack();
    default:
        return nack();
    }
}

std::optional<Bootloader::Answer> Bootloader::address() {
    using Step = BootloaderFault::Step;
    std::optional<Answer> faulted;
    const bool checksumOk = xorOf(frame_) == 0;
    address_ = bigEndianWord(frame_);
    frame_.clear();
    state_ = State::AwaitCommand;
    if (!checksumOk)
        return nack();
    switch (command_) {
    case kReadMemory:
        if (!inFlash(address_, 1))
            return nack();
        if (faultFires(Step::ReadMemory, address_, faulted))
            return faulted;
        state_ = State::AwaitReadLength;
        return ack();
    case kGo:
        if (faultFires(Step::GoAddress, address_, faulted))
            return faulted;
        if (!inFlash(address_, 1))
            return nack();
        jump_ = address_;
        return ack();
    default: // Write Memory
        if (faultFires(Step::WriteAddress, address_, faulted))
            return faulted;
        if (!inFlash(address_, 1))
            return nack();
        state_ = State::AwaitWriteData;
        return ack();
    }
}

std::optional<Bootloader::Answer> Bootloader::readLength() {
    const std::uint8_t n = frame_[0];
    const bool complementOk = frame_[1] == static_cast<std::uint8_t>(n ^ 0xFF);
    frame_.clear();
    state_ = State::AwaitCommand;
    const std::size_t count = n + 1U;
    if (!complementOk || !inFlash(address_, count))
        return nack();
    std::vector<std::uint8_t> bytes = {kAck};
    const auto first = flash_.begin() + (address_ - kFlashStart);
    bytes.insert(bytes.end(), first, first + static_cast<std::ptrdiff_t>(count));
    return answer(bytes, kAnswerUs);
}

std::optional<Bootloader::Answer> Bootloader::writeData() {
    std::optional<Answer> faulted;
    const std::vector<std::uint8_t> frame = std::move(frame_);
    frame_.clear();
    state_ = State::AwaitCommand;
    if (faultFires(BootloaderFault::Step::WriteData, address_, faulted))
        return faulted;
    const std::size_t count = frame[0] + 1U;
    if (xorOf(frame) != 0 || !inFlash(address_, count) || count % kWriteWordBytes != 0)
        return nack();
    const std::size_t first = address_ - kFlashStart;
    // Programming can only clear bits of erased cells.
    if (!std::all_of(flash_.begin() + static_cast<std::ptrdiff_t>(first),
                     flash_.begin() + static_cast<std::ptrdiff_t>(first + count),
                     [](std::uint8_t b) { return b == kErased; }))
        return nack();
    std::copy_n(frame.begin() + 1, count, flash_.begin() + static_cast<std::ptrdiff_t>(first));
    for (const auto& [at, mask] : corrupt_)
        if (at >= address_ && at - address_ < count)
            flash_[at - kFlashStart] ^= mask;
    nextWrite_ = address_ + static_cast<std::uint32_t>(count);
    return ack(kProgramUsPerByte * static_cast<std::int64_t>(count));
}

std::optional<Bootloader::Answer> Bootloader::erase() {
    return command_ == kExtendedErase ? extendedErase() : classicErase();
}

std::optional<Bootloader::Answer> Bootloader::massErase() {
    std::optional<Answer> faulted;
    if (faultFires(BootloaderFault::Step::GlobalErase, std::nullopt, faulted))
        return faulted;
    std::fill(flash_.begin(), flash_.end(), kErased);
    nextWrite_ = kFlashStart;
    return ack(kMassEraseUs);
}

std::optional<Bootloader::Answer> Bootloader::erasePages(const std::vector<std::size_t>& pages) {
    for (const std::size_t page : pages)
        if (page >= kFlashBytes / kPageBytes)
            return nack();
    for (const std::size_t page : pages) {
        const auto first = flash_.begin() + static_cast<std::ptrdiff_t>(page * kPageBytes);
        std::fill(first, first + kPageBytes, kErased);
    }
    return ack(kPageEraseUs * static_cast<std::int64_t>(pages.size()));
}

// Erase 43: FF 00 for the whole flash, or N, N + 1 page numbers, XOR.
std::optional<Bootloader::Answer> Bootloader::classicErase() {
    const bool global = frame_[0] == 0xFF;
    const std::size_t whole = global ? 2 : frame_[0] + 3U;
    if (frame_.size() < whole)
        return std::nullopt;
    const std::vector<std::uint8_t> frame = std::move(frame_);
    frame_.clear();
    state_ = State::AwaitCommand;
    if (global)
        return frame[1] == 0x00 ? massErase() : nack();
    if (xorOf(frame) != 0)
        return nack();
    return erasePages(std::vector<std::size_t>(frame.begin() + 1, frame.end() - 1));
}

// Extended Erase 44: FF FF 00 for the whole flash (FF FE, FF FD for a bank,
// which this part has not), or a 2-byte N, N + 1 page numbers of 2 bytes, XOR.
std::optional<Bootloader::Answer> Bootloader::extendedErase() {
    if (frame_.size() < 2)
        return std::nullopt;
    const bool special = frame_[0] == 0xFF && frame_[1] >= 0xF0;
    const std::size_t pages = special ? 0 : ((std::size_t{frame_[0]} << 8) | frame_[1]) + 1;
    const std::size_t whole = special ? 3 : 2 + 2 * pages + 1;
    if (frame_.size() < whole)
        return std::nullopt;
    const std::vector<std::uint8_t> frame = std::move(frame_);
    frame_.clear();
    state_ = State::AwaitCommand;
    if (xorOf(frame) != 0)
        return nack();
    if (special)
        return frame[1] == 0xFF ? massErase() : nack();
    std::vector<std::size_t> numbers;
    for (std::size_t k = 0; k < pages; ++k)
        numbers.push_back((std::size_t{frame[2 + 2 * k]} << 8) | frame[3 + 2 * k]);
    return erasePages(numbers);
}

std::optional<int> Bootloader::flashFirmwareVersion() const {
    const auto at = std::search(flash_.begin(), flash_.end(), kFirmwareVersionTag.begin(),
                                kFirmwareVersionTag.end());
    const auto version = at + static_cast<std::ptrdiff_t>(kFirmwareVersionTag.size());
    if (at == flash_.end() || version >= flash_.end())
        return std::nullopt;
    return *version;
}

bool Bootloader::flashStartsAProgram() const {
    const std::uint32_t sp = littleEndianWord(flash_, 0);
    const std::uint32_t reset = littleEndianWord(flash_, 4);
    return sp > kRamStart && sp <= kRamStart + kRamBytes && (reset & 1U) != 0 &&
           inFlash(reset & ~1U, 2) && flash_[(reset & ~1U) - kFlashStart] != kErased;
}

} // namespace brivo
