#include "firmware/BootloaderFrames.h"

#include <QStringList>
#include <algorithm>
#include <stdexcept>

namespace brivo::bootloader {

namespace {
constexpr std::uint8_t kAllBits = 0xFF;
// ACK, N, version ... ACK: N counts the codes less one.
constexpr int kGetFramingBytes = 4;
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

std::vector<std::uint8_t> paddedBlock(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> block(bytes.begin(), bytes.end());
    while (block.size() % kWriteWordBytes != 0)
        block.push_back(kErasedByte);
    return block;
}

std::vector<std::uint8_t> readLengthFrame(int byteCount) {
    if (byteCount < 1 || byteCount > kMaxBlockBytes)
        throw std::invalid_argument("a read carries 1 to 256 bytes");
    const auto n = static_cast<std::uint8_t>(byteCount - 1);
    return {n, static_cast<std::uint8_t>(n ^ kAllBits)};
}

std::optional<MassErase> massEraseFor(std::span<const std::uint8_t> commands) {
    const auto lists = [&](std::uint8_t code) {
        return std::find(commands.begin(), commands.end(), code) != commands.end();
    };
    if (lists(kErase))
        return MassErase{kErase, {0xFF, 0x00}};
    if (lists(kExtendedErase))
        return MassErase{kExtendedErase, {0xFF, 0xFF, 0x00}};
    return std::nullopt;
}

int getAnswerBytes(std::span<const std::uint8_t> head) {
    if (head.size() < kGetAnswerHeadBytes)
        return kGetAnswerHeadBytes;
    return head[1] + kGetFramingBytes;
}

std::optional<std::vector<std::uint8_t>> parseGetAnswer(std::span<const std::uint8_t> answer) {
    if (answer.size() < kGetAnswerHeadBytes || answer[0] != kAck ||
        static_cast<int>(answer.size()) != getAnswerBytes(answer) || answer.back() != kAck)
        return std::nullopt;
    return std::vector<std::uint8_t>(answer.begin() + 3, answer.end() - 1);
}

AnswerKind classifyAnswer(std::span<const std::uint8_t> got, int answerBytes) {
    if (got.empty())
        return AnswerKind::Nothing;
    if (got[0] == kNack && got.size() == 1)
        return AnswerKind::Nack;
    if (got[0] != kAck)
        return AnswerKind::Other;
    if (static_cast<int>(got.size()) < answerBytes)
        return AnswerKind::Truncated;
    if (static_cast<int>(got.size()) > answerBytes)
        return AnswerKind::Other;
    return AnswerKind::Ack;
}

QString bytesText(std::span<const std::uint8_t> bytes) {
    if (bytes.empty())
        return QStringLiteral("nothing");
    QStringList parts;
    for (const std::uint8_t byte : bytes)
        parts.append(QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper());
    return parts.join(QLatin1Char(' '));
}

} // namespace brivo::bootloader
