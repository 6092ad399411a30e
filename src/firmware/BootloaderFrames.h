#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace brivo {

// The serial bootloader of the pedal's processor: its bytes and frames, and
// the shape of its answers. Every frame here is what goes on the wire, byte
// for byte; nothing here touches the link.
namespace bootloader {

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

// Write Memory and Read Memory carry at most this many bytes per frame.
constexpr int kMaxBlockBytes = 256;
// Write Memory takes whole words: a block is padded to this with erased bytes.
constexpr int kWriteWordBytes = 4;
constexpr std::uint8_t kErasedByte = 0xFF;

// The command code, then its complement: 31 CE, 43 BC, 21 DE.
std::vector<std::uint8_t> commandFrame(std::uint8_t code);
// The four address bytes, most significant first, then their XOR.
std::vector<std::uint8_t> addressFrame(std::uint32_t address);
std::uint8_t addressChecksum(std::uint32_t address);
// N = byte count - 1, the bytes, then N XOR every byte. 1 to 256 bytes.
std::vector<std::uint8_t> dataFrame(std::span<const std::uint8_t> bytes);
std::uint8_t dataChecksum(std::span<const std::uint8_t> bytes);
// The bytes of a block as Write Memory takes them: padded with FF to a
// whole number of words.
std::vector<std::uint8_t> paddedBlock(std::span<const std::uint8_t> bytes);
// Read Memory's length frame: N = byte count - 1, then its complement.
std::vector<std::uint8_t> readLengthFrame(int byteCount);

// How the bootloader erases the whole flash: the command it lists for it
// (Erase 43 or Extended Erase 44) and that command's second frame.
struct MassErase {
    std::uint8_t command = kErase;
    std::vector<std::uint8_t> frame;
};
// Erase 43 with FF 00, or Extended Erase 44 with FF FF 00; nothing when the
// bootloader lists neither.
std::optional<MassErase> massEraseFor(std::span<const std::uint8_t> commands);

// The answer to Get: ACK, N, version, N + 1 - 1 command codes, ACK. Its
// whole size once its first two bytes are known.
constexpr int kGetAnswerHeadBytes = 2;
int getAnswerBytes(std::span<const std::uint8_t> head);
// The command codes of a whole Get answer; nothing when it is not of that shape.
std::optional<std::vector<std::uint8_t>> parseGetAnswer(std::span<const std::uint8_t> answer);

// What an awaited answer turned out to be.
enum class AnswerKind {
    Ack,      // ACK, with exactly the bytes the answer has
    Nack,     // NACK instead of ACK
    Other,    // anything else before or instead of the answer
    Nothing,  // no byte came
    Truncated // ACK, but fewer bytes than the answer has
};
// Classifies what came for an answer of `answerBytes` bytes that starts with ACK.
AnswerKind classifyAnswer(std::span<const std::uint8_t> got, int answerBytes);
// "79", "1F", "00 00", or "nothing": the bytes as the user is told them.
QString bytesText(std::span<const std::uint8_t> bytes);

} // namespace bootloader
} // namespace brivo
