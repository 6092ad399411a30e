#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

namespace brivo {

constexpr int kPedalRateHz = 48000;

// The fields of a WAV file found by their chunk tags, for the console and
// the message box.
struct WavHeader {
    QString id; // the first four bytes
    std::uint32_t riffSize = 0;
    QString subchunkId; // bytes 12 to 15 as they stand
    std::uint32_t fmtSize = 0;
    std::uint16_t audioFormat = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint32_t dataSize = 0;
    qsizetype dataOffset = 0;
};

// Walks the RIFF chunks. Empty `error` when the file is a WAV with a fmt and
// a data chunk both whole; otherwise why it is not.
WavHeader scan_wav_header(const QByteArray& bytes, QString& error);

// The response the pedal gets: the first channel at 48 kHz, exactly N
// samples left-aligned in 32 bits (so 24-bit and 32-bit integer samples at
// 48 kHz are taken bit for bit; floats are scaled and clipped to 24 bits).
struct ImpulseResponse {
    WavHeader header;
    std::vector<std::int32_t> samples;
    int framesAtPedalRate = 0; // before padding
    bool resampled = false;
    bool padded = false;
    QString error; // not empty: refused, nothing else is valid
};

// Reads the file's bytes with libsndfile, resamples with libsamplerate when
// the rate is not 48 kHz, and pads a shorter response with zeros.
ImpulseResponse read_impulse_response(const QByteArray& bytes, int samplesNeeded);

} // namespace brivo
