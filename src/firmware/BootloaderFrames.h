#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace brivo {

// The serial bootloader of the pedal's processor: its bytes and frames.
// Every frame here is what goes on the wire, byte for byte.
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

// The command code, then its complement: 31 CE, 43 BC, 21 DE.
std::vector<std::uint8_t> commandFrame(std::uint8_t code);
// The four address bytes, most significant first, then their XOR.
std::vector<std::uint8_t> addressFrame(std::uint32_t address);
std::uint8_t addressChecksum(std::uint32_t address);
// N = byte count - 1, the bytes, then N XOR every byte. 1 to 256 bytes.
std::vector<std::uint8_t> dataFrame(std::span<const std::uint8_t> bytes);
std::uint8_t dataChecksum(std::span<const std::uint8_t> bytes);
// Erase Memory's second frame for a global erase: FF 00.
std::vector<std::uint8_t> globalEraseFrame();
// Read Memory's length frame: N = byte count - 1, then its complement.
std::vector<std::uint8_t> readLengthFrame(int byteCount);

// The answer to Get: ACK, N, version, N command codes, ACK. The codes, or
// nothing when the answer is not of that shape.
bool parseGetAnswer(std::span<const std::uint8_t> answer, std::vector<std::uint8_t>& commands);
// Bytes of a whole Get answer, once its second byte (N) is known; 0 before.
int getAnswerBytes(std::span<const std::uint8_t> received);

} // namespace bootloader
} // namespace brivo
