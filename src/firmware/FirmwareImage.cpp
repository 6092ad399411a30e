#include "firmware/FirmwareImage.h"

#include "link/HexText.h"

#include <algorithm>

namespace brivo {

namespace {

std::uint32_t littleEndianWord(const QByteArray& bytes, int first) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(bytes.at(first + i));
    return value;
}

QString hex8(std::uint32_t value) {
    return hex_of(value, 8);
}

} // namespace

ChunkPlan split_image(const QByteArray& image) {
    ChunkPlan plan;
    const auto size = static_cast<int>(image.size());
    plan.fullChunkCount = size / kChunkBytes;
    plan.lastChunkSize = size % kChunkBytes;
    for (int first = 0; first < size; first += kChunkBytes) {
        const int count = std::min(kChunkBytes, size - first);
        plan.chunks.push_back(
            {kFlashStartAddress + static_cast<std::uint32_t>(first), image.mid(first, count)});
    }
    return plan;
}

bool is_stand_in(const QByteArray& image) {
    return image.contains(kStandInMark);
}

std::uint32_t initialStackPointer(const QByteArray& image) {
    return image.size() < 4 ? 0 : littleEndianWord(image, 0);
}

std::uint32_t resetAddress(const QByteArray& image) {
    return image.size() < kVectorTableHeadBytes ? 0 : littleEndianWord(image, 4);
}

std::optional<QString> check_image(const QByteArray& image) {
    const auto size = static_cast<std::uint32_t>(image.size());
    if (size == 0)
        return QStringLiteral("The firmware image is empty.");
    if (size < kVectorTableHeadBytes)
        return QStringLiteral("The firmware image is too short (%1 bytes) to be a program.")
            .arg(size);
    const std::uint32_t limit =
        std::min<std::uint32_t>(kFlashBytes, static_cast<std::uint32_t>(kMaxChunks) * kChunkBytes);
    if (size > limit)
        return QStringLiteral("The firmware image (%1 bytes) does not fit the pedal's flash "
                              "(%2 bytes).")
            .arg(size)
            .arg(limit);
    const std::uint32_t sp = initialStackPointer(image);
    if (sp <= kRamStartAddress || sp > kRamStartAddress + kRamBytes || sp % 4 != 0)
        return QStringLiteral("The firmware image does not start with a stack pointer in the "
                              "pedal's RAM (it reads %1): it is not firmware for this pedal.")
            .arg(hex8(sp));
    const std::uint32_t reset = resetAddress(image);
    const std::uint32_t target = reset & ~1U;
    if ((reset & 1U) == 0 || target < kFlashStartAddress + kVectorTableHeadBytes ||
        target >= kFlashStartAddress + size)
        return QStringLiteral("The firmware image's reset address %1 does not point into the "
                              "image: it is not firmware for this pedal.")
            .arg(hex8(reset));
    return std::nullopt;
}

} // namespace brivo
