#include "firmware/BootloaderFrames.h"

#include <stdexcept>

namespace brivo::bootloader {

namespace {
constexpr std::uint8_t kAllBits = 0xFF;
constexpr int kGetFramingBytes = 4; // ACK, N, version ... ACK
} // namespace

std::vector<std::uint8_t> commandFrame(std::uint8_t code) {
    return {code, static_cast<std::uint8_t>(code ^ kAllBits)};
}

std::vector<std::uint8_t> addressFrame(std::uint32_t address) {
    return {static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
            static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address),
            addressChecksum(address)};
}

std::uint8_t addressChecksum(std::uint32_t address) {
    return static_cast<std::uint8_t>((address >> 24) ^ (address >> 16) ^ (address >> 8) ^ address);
}

std::uint8_t dataChecksum(std::span<const std::uint8_t> bytes) {
    auto sum = static_cast<std::uint8_t>(bytes.size() - 1);
    for (const std::uint8_t byte : bytes)
        sum ^= byte;
    return sum;
}

std::vector<std::uint8_t> dataFrame(std::span<const std::uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > kMaxBlockBytes)
        throw std::invalid_argument("a data frame carries 1 to 256 bytes");
    std::vector<std::uint8_t> frame;
    frame.reserve(bytes.size() + 2);
    frame.push_back(static_cast<std::uint8_t>(bytes.size() - 1));
    frame.insert(frame.end(), bytes.begin(), bytes.end());
    frame.push_back(dataChecksum(bytes));
    return frame;
}

std::vector<std::uint8_t> globalEraseFrame() {
    return {0xFF, 0x00};
}

std::vector<std::uint8_t> readLengthFrame(int byteCount) {
    if (byteCount < 1 || byteCount > kMaxBlockBytes)
        throw std::invalid_argument("a read carries 1 to 256 bytes");
    const auto n = static_cast<std::uint8_t>(byteCount - 1);
    return {n, static_cast<std::uint8_t>(n ^ kAllBits)};
}

int getAnswerBytes(std::span<const std::uint8_t> received) {
    if (received.size() < 2)
        return 0;
    return received[1] + kGetFramingBytes;
}

bool parseGetAnswer(std::span<const std::uint8_t> answer, std::vector<std::uint8_t>& commands) {
    commands.clear();
    const int whole = getAnswerBytes(answer);
    if (whole == 0 || answer[0] != kAck || static_cast<int>(answer.size()) != whole ||
        answer.back() != kAck)
        return false;
    commands.assign(answer.begin() + 3, answer.end() - 1);
    return true;
}

} // namespace brivo::bootloader
