#include "ir/WavImpulse.h"

#include <QFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <samplerate.h>
#include <sndfile.h>

namespace brivo {

namespace {

constexpr qsizetype kRiffHeaderBytes = 12;
constexpr qsizetype kChunkHeaderBytes = 8;
constexpr qsizetype kFmtMinBytes = 16;
constexpr qsizetype kDs64MinBytes = 28;
// An RF64 chunk size that points at the ds64 chunk.
constexpr std::uint32_t kSizeInDs64 = 0xFFFFFFFF;
// The largest data size the canonical header handed to libsndfile can carry.
constexpr std::uint64_t kLargestDataBytes = 0x7FFFFFF0;
// The pedal's 24-bit sample, left-aligned in 32 bits.
constexpr double kSampleSteps = 8388608.0; // 2^23
constexpr double kHighestStep = kSampleSteps - 1;
constexpr int kLeftAlign = 256;
// Frames read from libsndfile at a time while resampling.
constexpr sf_count_t kBlockFrames = 1024;
constexpr qsizetype kLogEndBytes = 32;

std::uint32_t u32(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint32>(b.constData() + at);
}
std::uint16_t u16(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint16>(b.constData() + at);
}
std::uint64_t u64(const QByteArray& b, qsizetype at) {
    return qFromLittleEndian<quint64>(b.constData() + at);
}

bool printable_tag(const QByteArray& bytes, qsizetype at) {
    if (at + 4 > bytes.size())
        return false;
    for (qsizetype i = at; i < at + 4; ++i)
        if (bytes[i] < 0x20 || bytes[i] > 0x7E)
            return false;
    return true;
}

QByteArray le32(std::uint32_t v) {
    QByteArray out(4, '\0');
    qToLittleEndian<quint32>(v, out.data());
    return out;
}

// libsndfile reads a canonical WAV: "RIFF", the file's own fmt chunk, and a
// data chunk whose samples are read in place from the file's bytes. Chunks it
// need not see, an RF64 layout and missing pad bytes never reach it.
struct CanonicalWav {
    QByteArray head;
    const char* data = nullptr;
    sf_count_t dataBytes = 0;
    sf_count_t at = 0;

    sf_count_t length() const { return head.size() + dataBytes; }
};
sf_count_t memLength(void* user) {
    return static_cast<CanonicalWav*>(user)->length();
}
sf_count_t memSeek(sf_count_t offset, int whence, void* user) {
    auto* m = static_cast<CanonicalWav*>(user);
    const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->at : m->length();
    m->at = std::clamp<sf_count_t>(base + offset, 0, m->length());
    return m->at;
}
sf_count_t memRead(void* to, sf_count_t count, void* user) {
    auto* m = static_cast<CanonicalWav*>(user);
    auto* out = static_cast<char*>(to);
    sf_count_t done = 0;
    const sf_count_t headBytes = m->head.size();
    if (m->at < headBytes) {
        const sf_count_t n = std::min(count, headBytes - m->at);
        std::memcpy(out, m->head.constData() + m->at, static_cast<std::size_t>(n));
        m->at += n;
        done = n;
    }
    const sf_count_t n =
        std::clamp<sf_count_t>(std::min(count - done, m->length() - m->at), 0, m->length());
    if (n > 0)
        std::memcpy(out + done, m->data + (m->at - headBytes), static_cast<std::size_t>(n));
    m->at += n;
    return done + n;
}
sf_count_t memWrite(const void*, sf_count_t, void*) {
    return 0;
}
sf_count_t memTell(void* user) {
    return static_cast<CanonicalWav*>(user)->at;
}

CanonicalWav canonical_wav(const QByteArray& bytes, const WavHeader& h) {
    CanonicalWav wav;
    const auto present = static_cast<std::uint64_t>(bytes.size() - h.dataOffset);
    std::uint64_t dataBytes = std::min({h.dataSize, present, kLargestDataBytes});
    if (h.blockAlign > 0)
        dataBytes -= dataBytes % h.blockAlign;
    const QByteArray fmt =
        bytes.mid(h.fmtOffset - kChunkHeaderBytes, kChunkHeaderBytes + h.fmtSize);
    wav.head = QByteArrayLiteral("RIFF") +
               le32(static_cast<std::uint32_t>(4 + fmt.size() + (fmt.size() & 1) +
                                               kChunkHeaderBytes + dataBytes)) +
               QByteArrayLiteral("WAVE") + fmt;
    if (fmt.size() % 2 != 0)
        wav.head.append('\0');
    wav.head += QByteArrayLiteral("data") + le32(static_cast<std::uint32_t>(dataBytes));
    wav.data = bytes.constData() + h.dataOffset;
    wav.dataBytes = static_cast<sf_count_t>(dataBytes);
    return wav;
}

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};
struct ResamplerDeleter {
    void operator()(SRC_STATE* state) const { src_delete(state); }
};

// A sample in -1.0..1.0 as the pedal's word; beyond full scale it is held
// there and counted. +1.0 itself is the highest word and not counted.
std::int32_t pedal_sample(double x, int& clipped) {
    double step = std::round(x * kSampleSteps);
    if (step > kSampleSteps || step < -kSampleSteps)
        ++clipped;
    step = std::clamp(step, -kSampleSteps, kHighestStep);
    return static_cast<std::int32_t>(step) * kLeftAlign;
}

// Empty when every sample is a finite number; otherwise what the first bad
// one is, counted from 1.
QString first_bad_sample(const float* samples, std::size_t count, std::size_t stride,
                         sf_count_t firstFrame) {
    for (std::size_t f = 0; f < count; ++f) {
        const float x = samples[f * stride];
        if (std::isfinite(x))
            continue;
        const QString what = std::isnan(x) ? QStringLiteral("not a number (NaN)")
                             : x > 0       ? QStringLiteral("infinite (+inf)")
                                           : QStringLiteral("infinite (-inf)");
        return QStringLiteral("its sample %1 is %2")
            .arg(firstFrame + static_cast<sf_count_t>(f) + 1)
            .arg(what);
    }
    return {};
}

bool integer_subtype(int format) {
    const int subtype = format & SF_FORMAT_SUBMASK;
    return subtype == SF_FORMAT_PCM_16 || subtype == SF_FORMAT_PCM_24 ||
           subtype == SF_FORMAT_PCM_32 || subtype == SF_FORMAT_PCM_S8 ||
           subtype == SF_FORMAT_PCM_U8;
}

// The first channel of the first `frames` frames, bit for bit.
void read_integers(SNDFILE* file, int channels, int frames, ImpulseResponse& r) {
    std::vector<int> all(static_cast<std::size_t>(frames) * channels);
    const sf_count_t got = sf_readf_int(file, all.data(), frames);
    for (sf_count_t f = 0; f < got; ++f)
        r.samples.push_back(all[static_cast<std::size_t>(f) * channels]);
}

// The first channel of the first `frames` frames, as floats at their rate.
void read_floats(SNDFILE* file, int channels, int frames, ImpulseResponse& r) {
    std::vector<float> all(static_cast<std::size_t>(frames) * channels);
    const sf_count_t got = sf_readf_float(file, all.data(), frames);
    r.error = first_bad_sample(all.data(), static_cast<std::size_t>(got),
                               static_cast<std::size_t>(channels), 0);
    if (!r.error.isEmpty())
        return;
    for (sf_count_t f = 0; f < got; ++f)
        r.samples.push_back(pedal_sample(all[static_cast<std::size_t>(f) * channels], r.clipped));
}

// Feeds the first channel through the resampler block by block until N
// samples at 48 kHz are made or the file ends, so the frames after the
// response's reach are never decoded.
void read_resampled(SNDFILE* file, int channels, int rate, int samplesNeeded, ImpulseResponse& r) {
    int fault = 0;
    const std::unique_ptr<SRC_STATE, ResamplerDeleter> resampler(
        src_new(SRC_SINC_MEDIUM_QUALITY, 1, &fault));
    if (!resampler) {
        r.error = QStringLiteral("it cannot be resampled (%1)")
                      .arg(QString::fromUtf8(src_strerror(fault)));
        return;
    }
    const double ratio = static_cast<double>(kPedalRateHz) / rate;
    std::vector<float> block(static_cast<std::size_t>(kBlockFrames) * channels);
    std::vector<float> first(static_cast<std::size_t>(kBlockFrames));
    std::vector<float> out(static_cast<std::size_t>(samplesNeeded));
    long made = 0;
    sf_count_t framesRead = 0;
    bool ended = false;
    while (made < samplesNeeded && !ended) {
        const sf_count_t got = sf_readf_float(file, block.data(), kBlockFrames);
        r.error = first_bad_sample(block.data(), static_cast<std::size_t>(got),
                                   static_cast<std::size_t>(channels), framesRead);
        if (!r.error.isEmpty())
            return;
        framesRead += got;
        ended = got < kBlockFrames;
        for (sf_count_t f = 0; f < got; ++f)
            first[static_cast<std::size_t>(f)] = block[static_cast<std::size_t>(f) * channels];
        SRC_DATA data{};
        data.data_in = first.data();
        data.input_frames = static_cast<long>(got);
        data.src_ratio = ratio;
        data.end_of_input = ended ? 1 : 0;
        // One block may make several outputs' worth; at the end the
        // resampler's held samples come out over further calls.
        do {
            data.data_out = out.data() + made;
            data.output_frames = samplesNeeded - made;
            fault = src_process(resampler.get(), &data);
            if (fault != 0) {
                r.error = QStringLiteral("it cannot be resampled (%1)")
                              .arg(QString::fromUtf8(src_strerror(fault)));
                return;
            }
            made += data.output_frames_gen;
            data.data_in += data.input_frames_used;
            data.input_frames -= data.input_frames_used;
        } while (made < samplesNeeded &&
                 (data.input_frames > 0 || (ended && data.output_frames_gen > 0)));
    }
    // The response keeps its gain: at a higher rate each sample stands for
    // less time, and fewer samples must carry the same energy.
    const double gain = static_cast<double>(rate) / kPedalRateHz;
    for (long i = 0; i < made; ++i)
        r.samples.push_back(pedal_sample(out[static_cast<std::size_t>(i)] * gain, r.clipped));
    r.resampled = true;
}

} // namespace

WavHeader scan_wav_header(const QByteArray& bytes, QString& error) {
    WavHeader h;
    error.clear();
    const QByteArray id = bytes.left(4);
    const bool rf64 = id == "RF64" || id == "BW64";
    if (bytes.size() < kRiffHeaderBytes || (id != "RIFF" && !rf64) || bytes.mid(8, 4) != "WAVE") {
        error = QStringLiteral("it is not a WAV file");
        return h;
    }
    h.id = QString::fromLatin1(id);
    h.riffSize = u32(bytes, 4);
    h.subchunkId = QString::fromLatin1(bytes.mid(12, 4));
    bool fmt = false;
    std::uint64_t ds64DataSize = 0;
    for (qsizetype at = kRiffHeaderBytes; at + kChunkHeaderBytes <= bytes.size();) {
        const QByteArray tag = bytes.mid(at, 4);
        const std::uint32_t size = u32(bytes, at + 4);
        const qsizetype body = at + kChunkHeaderBytes;
        if (tag == "ds64" && rf64) {
            if (size < kDs64MinBytes || body + size > bytes.size())
                break;
            h.riffSize = u64(bytes, body);
            ds64DataSize = u64(bytes, body + 8);
        } else if (tag == "fmt ") {
            if (size < kFmtMinBytes || body + size > bytes.size())
                break;
            h.fmtSize = size;
            h.fmtOffset = body;
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
            h.dataSize = rf64 && size == kSizeInDs64 ? ds64DataSize : size;
            h.dataOffset = body;
            const auto present = static_cast<std::uint64_t>(bytes.size() - body);
            if (h.dataSize > present)
                error = QStringLiteral("it is cut short: its sample data should hold %1 bytes, "
                                       "the file has %2")
                            .arg(h.dataSize)
                            .arg(present);
            return h;
        }
        at = body + size;
        // The pad byte after an odd chunk is zero; where the next tag starts
        // at once, its writer left the pad out.
        if ((size & 1U) != 0 && !(at < bytes.size() && bytes[at] != 0 && printable_tag(bytes, at)))
            ++at;
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
    CanonicalWav wav = canonical_wav(bytes, r.header);
    SF_VIRTUAL_IO io{memLength, memSeek, memRead, memWrite, memTell};
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open_virtual(&io, SFM_READ, &info, &wav));
    if (!file) {
        r.error = QStringLiteral("its samples cannot be read (%1)")
                      .arg(QString::fromUtf8(sf_strerror(nullptr)));
        return r;
    }
    const int channels = std::max(1, info.channels);
    if (info.samplerate <= 0) {
        r.error = QStringLiteral("its sample rate is %1 Hz").arg(info.samplerate);
        return r;
    }
    if (info.samplerate != kPedalRateHz)
        read_resampled(file.get(), channels, info.samplerate, samplesNeeded, r);
    else if (integer_subtype(info.format))
        // Taken bit for bit: libsndfile gives integers left-aligned.
        read_integers(file.get(), channels, samplesNeeded, r);
    else
        read_floats(file.get(), channels, samplesNeeded, r);
    if (!r.error.isEmpty()) {
        r.samples.clear();
        return r;
    }
    r.framesAtPedalRate = static_cast<int>(r.samples.size());
    if (r.samples.empty()) {
        r.error = QStringLiteral("it holds no samples");
        return r;
    }
    r.padded = static_cast<int>(r.samples.size()) < samplesNeeded;
    r.samples.resize(static_cast<std::size_t>(samplesNeeded), 0);
    return r;
}

QByteArray file_bytes(QFile& file) {
    const qint64 size = file.size();
    if (size > 0) {
        if (uchar* mapped = file.map(0, size))
            return QByteArray::fromRawData(reinterpret_cast<const char*>(mapped),
                                           static_cast<qsizetype>(size));
    }
    return file.readAll();
}

QString bytes_for_log(const QByteArray& bytes) {
    const auto hex = [](const QByteArray& part) {
        return QString::fromLatin1(part.toHex().toUpper());
    };
    if (bytes.size() <= kWholeLogBytes)
        return hex(bytes);
    return QStringLiteral("%1 bytes, too many to show whole; the first %2: %3; the last %2: %4")
        .arg(bytes.size())
        .arg(kLogEndBytes)
        .arg(hex(bytes.left(kLogEndBytes)), hex(bytes.right(kLogEndBytes)));
}

QByteArray sample_data_of(const QByteArray& bytes, const WavHeader& header) {
    const qsizetype from = std::clamp<qsizetype>(header.dataOffset, 0, bytes.size());
    const auto size = static_cast<qsizetype>(
        std::min<std::uint64_t>(header.dataSize, static_cast<std::uint64_t>(bytes.size() - from)));
    return QByteArray::fromRawData(bytes.constData() + from, size);
}

QString sample_data_for_log(const QByteArray& bytes, const WavHeader& header) {
    const QByteArray data = sample_data_of(bytes, header);
    if (bytes.size() <= kWholeLogBytes)
        return QString::fromLatin1(data.toHex().toUpper());
    return QStringLiteral("%1 bytes from byte %2").arg(data.size()).arg(header.dataOffset);
}

} // namespace brivo
