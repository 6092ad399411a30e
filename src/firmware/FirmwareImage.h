#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace brivo {

// Where the pedal's processor keeps its program and its memory.
constexpr std::uint32_t kFlashStartAddress = 0x08000000;
// A medium-density part (product id 0410): 128 KB of flash, 20 KB of RAM.
constexpr std::uint32_t kFlashBytes = 128 * 1024;
constexpr std::uint32_t kRamStartAddress = 0x20000000;
constexpr std::uint32_t kRamBytes = 20 * 1024;
constexpr int kChunkBytes = 256;
constexpr int kMaxChunks = 512;
// Initial stack pointer and reset address: the first two words of the image.
constexpr int kVectorTableHeadBytes = 8;

// One Write Memory block of the image.
struct FirmwareChunk {
    std::uint32_t address = 0;
    QByteArray bytes;
};

// An image cut into blocks of at most 256 bytes from the flash start.
struct ChunkPlan {
    // What the console reports: whole blocks, and the bytes left over.
    int fullChunkCount = 0;
    int lastChunkSize = 0;
    std::vector<FirmwareChunk> chunks;
};

ChunkPlan split_image(const QByteArray& image);

// The images the editor carries are stand-ins made for the virtual pedal;
// they carry this mark. Written to a real pedal they would replace its
// firmware with filler.
inline constexpr char kStandInMark[] = "BRIVO STAND-IN FOR THE VIRTUAL PEDAL ONLY";
bool is_stand_in(const QByteArray& image);

// Why the pedal could not run this image, or nothing when it looks like a
// program for it: not empty, fits the flash and 512 blocks, a stack pointer
// in RAM and a reset address inside the image with the Thumb bit set.
std::optional<QString> check_image(const QByteArray& image);

// The first two little-endian words of the image.
std::uint32_t initialStackPointer(const QByteArray& image);
std::uint32_t resetAddress(const QByteArray& image);

} // namespace brivo
