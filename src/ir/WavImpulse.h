#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <vector>

class QFile;

namespace brivo {

constexpr int kPedalRateHz = 48000;

// The fields of a WAV file found by their chunk tags, for the console and
// the message box. RF64 files carry their sizes in a "ds64" chunk; the sizes
// here are those.
struct WavHeader {
    QString id; // the first four bytes
    std::uint64_t riffSize = 0;
    QString subchunkId; // bytes 12 to 15 as they stand
    std::uint32_t fmtSize = 0;
    qsizetype fmtOffset = 0; // where the fmt chunk's body starts
    std::uint16_t audioFormat = 0;
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t byteRate = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint64_t dataSize = 0;
    qsizetype dataOffset = 0;
};

// Walks the RIFF (or RF64) chunks. A chunk of odd size is followed by a pad
// byte; some writers leave it out, which the byte after the chunk tells
// (a pad is zero, a tag never starts with zero). Empty `error` when the file
// is a WAV with a fmt and a data chunk both whole; otherwise why it is not.
WavHeader scan_wav_header(const QByteArray& bytes, QString& error);

// The response the pedal gets: the first channel at 48 kHz, exactly N
// samples left-aligned in 32 bits (so 24-bit and 32-bit integer samples at
// 48 kHz are taken bit for bit; floats are scaled to 24 bits).
struct ImpulseResponse {
    WavHeader header;
    std::vector<std::int32_t> samples;
    int framesAtPedalRate = 0; // before padding, at most N
    bool resampled = false;
    bool padded = false;
    // Samples beyond full scale, held at it.
    int clipped = 0;
    QString error; // not empty: refused, nothing else is valid
};

// Reads the file's bytes with libsndfile and, when the rate is not 48 kHz,
// resamples with libsamplerate, keeping the response's gain: a response is a
// filter, so its samples are scaled by (file rate / 48000). Only the frames
// that make the N samples are decoded (at other rates, with the resampler's
// reach beyond them). A shorter response is padded with zeros. A sample that
// is not a finite number refuses the file.
ImpulseResponse read_impulse_response(const QByteArray& bytes, int samplesNeeded);

// The bytes of an open file: mapped, so that a large file costs only the
// parts read; read whole where it cannot be mapped. The bytes live as long as
// `file` stays open.
QByteArray file_bytes(QFile& file);

// Bytes as the console shows them: up to kWholeLogBytes as hex text whole,
// a larger file as a summary of its size and its first and last bytes.
constexpr qsizetype kWholeLogBytes = 64 * 1024;
QString bytes_for_log(const QByteArray& bytes);

// The file's sample data (a view into `bytes`, bounded by the file's end).
QByteArray sample_data_of(const QByteArray& bytes, const WavHeader& header);

// The "Audio data: " line's text: the samples as hex text when the file is
// logged whole, otherwise where they stand, as the file's summary shows it once.
QString sample_data_for_log(const QByteArray& bytes, const WavHeader& header);

} // namespace brivo
