// Builds WAV files byte by byte, so each test shows the layout it reads.
#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstdint>
#include <cstring>

namespace brivo::test {

inline QByteArray le(std::uint32_t v, int bytes) {
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    return out;
}

inline QByteArray chunk(const QByteArray& tag, const QByteArray& body) {
    QByteArray out = tag + le(static_cast<std::uint32_t>(body.size()), 4) + body;
    if (body.size() % 2 != 0)
        out.append('\0');
    return out;
}

// format 1 integer, 3 float; extensible writes the 40-byte form with that
// format in its sub-format.
inline QByteArray fmtChunk(int format, int channels, int rate, int bits, bool extensible = false) {
    const int align = channels * bits / 8;
    QByteArray body = le(extensible ? 0xFFFE : format, 2) + le(channels, 2) + le(rate, 4) +
                      le(rate * align, 4) + le(align, 2) + le(bits, 2);
    if (extensible)
        body += le(22, 2) + le(bits, 2) + le(channels == 1 ? 4 : 3, 4) + le(format, 2) +
                QByteArray::fromHex("000000001000800000AA00389B71");
    return chunk("fmt ", body);
}

inline QByteArray wav(const QByteArray& chunks) {
    return "RIFF" + le(static_cast<std::uint32_t>(chunks.size() + 4), 4) + "WAVE" + chunks;
}

inline QByteArray floatBytes(float f) {
    std::uint32_t bits = 0;
    static_assert(sizeof bits == sizeof f);
    std::memcpy(&bits, &f, sizeof f);
    return le(bits, 4);
}

inline QByteArray doubleBytes(double d) {
    std::uint64_t bits = 0;
    static_assert(sizeof bits == sizeof d);
    std::memcpy(&bits, &d, sizeof d);
    return le(static_cast<std::uint32_t>(bits), 4) + le(static_cast<std::uint32_t>(bits >> 32), 4);
}

// A chunk whose odd body is not followed by its pad byte, as some writers
// leave it.
inline QByteArray chunkWithoutPad(const QByteArray& tag, const QByteArray& body) {
    return tag + le(static_cast<std::uint32_t>(body.size()), 4) + body;
}

// An RF64 file: its sizes 0xFFFFFFFF, the real ones in the ds64 chunk.
inline QByteArray rf64(const QByteArray& fmt, const QByteArray& samples) {
    const auto riffSize = static_cast<std::uint32_t>(4 + 36 + fmt.size() + 8 + samples.size());
    const QByteArray ds64 = le(riffSize, 4) + le(0, 4) +
                            le(static_cast<std::uint32_t>(samples.size()), 4) + le(0, 4) +
                            le(0, 4) + le(0, 4) + le(0, 4);
    return "RF64" + le(0xFFFFFFFF, 4) + "WAVE" + chunk("ds64", ds64) + fmt + "data" +
           le(0xFFFFFFFF, 4) + samples;
}

} // namespace brivo::test
