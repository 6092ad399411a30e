#include "ir/WavImpulse.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <samplerate.h>
#include <sndfile.h>

namespace brivo {

namespace {

constexpr qsizetype kRiffHeaderBytes = 12;
constexpr qsizetype kChunkHeaderBytes = 8;
constexpr qsizetype kFmtMinBytes = 16;
// Full scale of the pedal's 24-bit sample, left-aligned in 32 bits.
constexpr double kFullScale = 2147483648.0;
constexpr double kLargest = 2147483392.0; // 0x7FFFFF00

std::uint32_t u32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
std::uint16_t u16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}

// libsndfile reads from the bytes already in memory.
struct Memory {
    const QByteArray* bytes;
    sf_count_t at = 0;
};
sf_count_t memLength(void* user) {
    return static_cast<Memory*>(user)->bytes->size();
}
sf_count_t memSeek(sf_count_t offset, int whence, void* user) {
    auto* m = static_cast<Memory*>(user);
    const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->at : m->bytes->size();
    m->at = std::clamp<sf_count_t>(base + offset, 0, m->bytes->size());
    return m->at;
}
sf_count_t memRead(void* to, sf_count_t count, void* user) {
    auto* m = static_cast<Memory*>(user);
    const sf_count_t n = std::min<sf_count_t>(count, m->bytes->size() - m->at);
    std::memcpy(to, m->bytes->constData() + m->at, static_cast<std::size_t>(n));
    m->at += n;
    return n;
}
sf_count_t memWrite(const void*, sf_count_t, void*) {
    return 0;
}
sf_count_t memTell(void* user) {
    return static_cast<Memory*>(user)->at;
}

std::int32_t scaled(double x) {
    const double v = std::clamp(std::round(x * (1 << 23)) * 256.0, -kFullScale, kLargest);
    return static_cast<std::int32_t>(v);
}

} // namespace

WavHeader scan_wav_header(const QByteArray& bytes, QString& error) {
    WavHeader h;
    error.clear();
    if (bytes.size() < kRiffHeaderBytes || !bytes.startsWith("RIFF") || bytes.mid(8, 4) != "WAVE") {
        error = QStringLiteral("it is not a WAV file");
        return h;
    }
    h.id = QString::fromLatin1(bytes.left(4));
    h.riffSize = u32(bytes, 4);
    h.subchunkId = QString::fromLatin1(bytes.mid(12, 4));
    bool fmt = false;
    for (qsizetype at = kRiffHeaderBytes; at + kChunkHeaderBytes <= bytes.size();) {
        const QByteArray tag = bytes.mid(at, 4);
        const std::uint32_t size = u32(bytes, at + 4);
        const qsizetype body = at + kChunkHeaderBytes;
        if (tag == "fmt ") {
            if (size < kFmtMinBytes || body + size > bytes.size())
                break;
            h.fmtSize = size;
            h.audioFormat = u16(bytes, body);
            h.channels = u16(bytes, body + 2);
            h.sampleRate = u32(bytes, body + 4);
            h.byteRate = u32(bytes, body + 8);
            h.blockAlign = u16(bytes, body + 12);
            h.bitsPerSample = u16(bytes, body + 14);
            fmt = true;
        } else if (tag == "data") {
            if (!fmt) {
                error = QStringLiteral("its sample data comes before its format");
                return h;
            }
            h.dataSize = size;
            h.dataOffset = body;
            if (body + static_cast<qsizetype>(size) > bytes.size())
                error = QStringLiteral("it is cut short: its sample data should hold %1 bytes, "
                                       "the file has %2")
                            .arg(size)
                            .arg(bytes.size() - body);
            return h;
        }
        at = body + size + (size & 1U);
    }
    error = fmt ? QStringLiteral("it is cut short: it has no sample data")
                : QStringLiteral("it is cut short or damaged: it has no whole format chunk");
    return h;
}

ImpulseResponse read_impulse_response(const QByteArray& bytes, int samplesNeeded) {
    ImpulseResponse r;
    r.header = scan_wav_header(bytes, r.error);
    if (!r.error.isEmpty())
        return r;
    Memory memory{&bytes};
    SF_VIRTUAL_IO io{memLength, memSeek, memRead, memWrite, memTell};
    SF_INFO info{};
    SNDFILE* file = sf_open_virtual(&io, SFM_READ, &info, &memory);
    if (file == nullptr) {
        r.error = QStringLiteral("its samples cannot be read (%1)")
                      .arg(QString::fromUtf8(sf_strerror(nullptr)));
        return r;
    }
    const int channels = std::max(1, info.channels);
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    const bool integer = subtype == SF_FORMAT_PCM_16 || subtype == SF_FORMAT_PCM_24 ||
                         subtype == SF_FORMAT_PCM_32 || subtype == SF_FORMAT_PCM_S8 ||
                         subtype == SF_FORMAT_PCM_U8;
    const auto frames = static_cast<std::size_t>(std::max<sf_count_t>(0, info.frames));
    if (info.samplerate == kPedalRateHz && integer) {
        // Taken bit for bit: libsndfile gives integers left-aligned.
        std::vector<int> all(frames * channels);
        const sf_count_t got = sf_readf_int(file, all.data(), static_cast<sf_count_t>(frames));
        for (sf_count_t f = 0; f < got; ++f)
            r.samples.push_back(all[static_cast<std::size_t>(f) * channels]);
    } else {
        std::vector<float> all(frames * channels);
        const sf_count_t got = sf_readf_float(file, all.data(), static_cast<sf_count_t>(frames));
        std::vector<float> first(static_cast<std::size_t>(got));
        for (sf_count_t f = 0; f < got; ++f)
            first[static_cast<std::size_t>(f)] = all[static_cast<std::size_t>(f) * channels];
        if (info.samplerate != kPedalRateHz && !first.empty()) {
            const double ratio = static_cast<double>(kPedalRateHz) / info.samplerate;
            std::vector<float> out(static_cast<std::size_t>(std::ceil(first.size() * ratio)) + 16);
            SRC_DATA data{};
            data.data_in = first.data();
            data.input_frames = static_cast<long>(first.size());
            data.data_out = out.data();
            data.output_frames = static_cast<long>(out.size());
            data.src_ratio = ratio;
            if (const int fault = src_simple(&data, SRC_SINC_MEDIUM_QUALITY, 1); fault != 0) {
                sf_close(file);
                r.error = QStringLiteral("it cannot be resampled (%1)")
                              .arg(QString::fromUtf8(src_strerror(fault)));
                return r;
            }
            out.resize(static_cast<std::size_t>(data.output_frames_gen));
            first = std::move(out);
            r.resampled = true;
        }
        for (const float x : first)
            r.samples.push_back(scaled(x));
    }
    sf_close(file);
    r.framesAtPedalRate = static_cast<int>(r.samples.size());
    if (r.samples.empty()) {
        r.error = QStringLiteral("it holds no samples");
        return r;
    }
    r.padded = static_cast<int>(r.samples.size()) < samplesNeeded;
    r.samples.resize(static_cast<std::size_t>(samplesNeeded), 0);
    return r;
}

} // namespace brivo
