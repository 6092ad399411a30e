// Reading impulse responses from WAV files as people have them.
#include "ir/WavImpulse.h"
#include "RiffWriter.h"
#include "ir/IrSplice.h"

#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace brivo::test {
namespace {

constexpr int kN = 912;

QStringList firstWords(const ImpulseResponse& r, int count) {
    QStringList words;
    for (int i = 0; i < count && i < static_cast<int>(r.samples.size()); ++i)
        words.append(ir_word_of(r.samples[i]));
    return words;
}

QByteArray zeros(int bytes) {
    return QByteArray(bytes, '\0');
}

const QByteArray kSamples24 = QByteArray::fromHex("000080"
                                                  "01007F"
                                                  "FFFFFF") +
                              zeros(3 * kN);
const QStringList kWords24 = {"FF800000", "007F0001", "FFFFFFFF", "00000000"};

TEST(WavImpulse, IntegerSamplesAt48kHzAreTakenBitForBitWhereverTheChunksStand) {
    struct Case {
        const char* name;
        QByteArray file;
        QStringList words;
    };
    const QByteArray samples32 = QByteArray::fromHex("12345678"
                                                     "00000080") +
                                 zeros(4 * kN);
    const Case cases[] = {
        {"canonical 24-bit", wav(fmtChunk(1, 1, 48000, 24) + chunk("data", kSamples24)), kWords24},
        {"canonical 32-bit",
         wav(fmtChunk(1, 1, 48000, 32) + chunk("data", samples32)),
         {"00785634", "FF800000", "00000000"}},
        {"LIST after fmt",
         wav(fmtChunk(1, 1, 48000, 24) +
             chunk("LIST", "INFOISFT" + le(3, 4) + QByteArray("ab\0\0", 4)) +
             chunk("data", kSamples24)),
         kWords24},
        {"JUNK before fmt",
         wav(chunk("JUNK", zeros(28)) + fmtChunk(1, 1, 48000, 24) + chunk("data", kSamples24)),
         kWords24},
        {"extensible fmt", wav(fmtChunk(1, 1, 48000, 24, true) + chunk("data", kSamples24)),
         kWords24},
        {"16-bit",
         wav(fmtChunk(1, 1, 48000, 16) + chunk("data", QByteArray::fromHex("0040"
                                                                           "0080"
                                                                           "FFFF") +
                                                           zeros(2 * kN))),
         {"00400000", "FF800000", "FFFFFF00"}},
        {"stereo: the first channel",
         wav(fmtChunk(1, 2, 48000, 24) + chunk("data", QByteArray::fromHex("000080"
                                                                           "111111"
                                                                           "01007F"
                                                                           "222222") +
                                                           zeros(6 * kN))),
         {"FF800000", "007F0001", "00000000"}},
    };
    for (const Case& c : cases) {
        const ImpulseResponse r = read_impulse_response(c.file, kN);
        ASSERT_TRUE(r.error.isEmpty()) << c.name << ": " << r.error.toStdString();
        EXPECT_EQ(r.samples.size(), static_cast<std::size_t>(kN)) << c.name;
        EXPECT_EQ(firstWords(r, static_cast<int>(c.words.size())), c.words) << c.name;
        EXPECT_FALSE(r.resampled) << c.name;
    }
}

TEST(WavImpulse, FloatSamplesAreScaledAndClippedToTheTwentyFourBitWordAndCounted) {
    QByteArray data;
    for (const float f : {0.5f, -1.0f, 2.0f, -3.0f, 0.0f, 1.0f})
        data += floatBytes(f);
    data += zeros(4 * kN);
    const ImpulseResponse r =
        read_impulse_response(wav(fmtChunk(3, 1, 48000, 32) + chunk("data", data)), kN);
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(firstWords(r, 6), (QStringList{"00400000", "FF800000", "007FFFFF", "FF800000",
                                             "00000000", "007FFFFF"}));
    // 2.0 and -3.0 lie beyond full scale; 1.0 is full scale itself.
    EXPECT_EQ(r.clipped, 2);
}

TEST(WavImpulse, OtherRatesAreResampledTo48kHz) {
    // A 44.1 kHz impulse of half full scale at frame 100 of a file of one
    // second: the impulse stays at its time, its gain (the sum of its
    // samples, the response at 0 Hz) stays 0.5, and only the N samples used
    // are made.
    QByteArray data = zeros(3 * 100) + le(0x400000, 3) + zeros(3 * 43999);
    const ImpulseResponse r =
        read_impulse_response(wav(fmtChunk(1, 1, 44100, 24) + chunk("data", data)), kN);
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_TRUE(r.resampled);
    EXPECT_FALSE(r.padded);
    EXPECT_EQ(r.framesAtPedalRate, kN);
    const auto peak = std::max_element(r.samples.begin(), r.samples.end());
    EXPECT_NEAR(peak - r.samples.begin(), 100 * 48000 / 44100, 1);
    EXPECT_GT(*peak, (0x400000 << 8) / 2);
    double sum = 0;
    for (const std::int32_t sample : r.samples)
        sum += sample / 2147483648.0;
    EXPECT_NEAR(sum, 0.5, 0.005);
    EXPECT_EQ(r.clipped, 0);
}

QByteArray floats(const std::vector<float>& values) {
    QByteArray data;
    for (const float f : values)
        data += floatBytes(f);
    return data;
}

TEST(WavImpulse, ASampleThatIsNoFiniteNumberRefusesTheFileNamingIt) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr float inf = std::numeric_limits<float>::infinity();
    std::vector<float> ramp(2000, 0.01f);
    const auto with = [&ramp](std::size_t at, float bad) {
        std::vector<float> v = ramp;
        v[at] = bad;
        return v;
    };
    QByteArray doubles;
    for (int i = 0; i < kN; ++i)
        doubles += doubleBytes(i == 40 ? std::numeric_limits<double>::quiet_NaN() : 0.01);
    struct Case {
        const char* name;
        QByteArray file;
        const char* reason; // empty: loaded
    };
    const Case cases[] = {
        {"NaN first", wav(fmtChunk(3, 1, 48000, 32) + chunk("data", floats(with(0, nan)))),
         "its sample 1 is not a number (NaN)"},
        {"+inf", wav(fmtChunk(3, 1, 48000, 32) + chunk("data", floats(with(4, inf)))),
         "its sample 5 is infinite (+inf)"},
        {"-inf in the last sample used",
         wav(fmtChunk(3, 1, 48000, 32) + chunk("data", floats(with(kN - 1, -inf)))),
         "its sample 912 is infinite (-inf)"},
        {"64-bit NaN", wav(fmtChunk(3, 1, 48000, 64) + chunk("data", doubles)),
         "its sample 41 is not a number"},
        {"NaN at 44.1 kHz", wav(fmtChunk(3, 1, 44100, 32) + chunk("data", floats(with(699, nan)))),
         "its sample 700 is not a number"},
        {"NaN at 96 kHz in the resampler's reach",
         wav(fmtChunk(3, 1, 96000, 32) + chunk("data", floats(with(2 * kN + 2, nan)))),
         "its sample 1827 is not a number"},
        {"NaN after the samples used",
         wav(fmtChunk(3, 1, 48000, 32) + chunk("data", floats(with(kN, nan)))), ""},
        {"NaN in the second channel, which is not used",
         wav(fmtChunk(3, 2, 48000, 32) + chunk("data", floats(with(7, nan)))), ""},
    };
    for (const Case& c : cases) {
        const ImpulseResponse r = read_impulse_response(c.file, kN);
        if (QByteArray(c.reason).isEmpty()) {
            EXPECT_TRUE(r.error.isEmpty()) << c.name << ": " << r.error.toStdString();
            continue;
        }
        EXPECT_TRUE(r.error.startsWith(c.reason)) << c.name << ": " << r.error.toStdString();
        EXPECT_TRUE(r.samples.empty()) << c.name;
    }
}

// A decaying 1 kHz response as a file at `rate` would carry it: the same
// filter, so each sample holds the response's area over 1 / rate.
QByteArray sameResponseAt(int rate, double level, int seconds100 = 10) {
    QByteArray data;
    const int frames = rate * seconds100 / 100;
    for (int n = 0; n < frames; ++n) {
        const double t = static_cast<double>(n) / rate;
        const double h = std::exp(-t / 0.003) * std::sin(2 * M_PI * 1000 * t);
        data += floatBytes(static_cast<float>(level * h * 48000 / rate));
    }
    return wav(fmtChunk(3, 1, rate, 32) + chunk("data", data));
}

double energyOf(const std::vector<std::int32_t>& samples) {
    double sum = 0;
    for (const std::int32_t s : samples)
        sum += (s / 2147483648.0) * (s / 2147483648.0);
    return sum;
}

TEST(WavImpulse, TheSameResponseHasTheSameLevelAtEveryRate) {
    const ImpulseResponse reference = read_impulse_response(sameResponseAt(48000, 0.5), kN);
    ASSERT_TRUE(reference.error.isEmpty());
    ASSERT_FALSE(reference.resampled);
    for (const int rate : {22050, 44100, 88200, 96000, 192000}) {
        const ImpulseResponse r = read_impulse_response(sameResponseAt(rate, 0.5), kN);
        ASSERT_TRUE(r.error.isEmpty()) << rate << ": " << r.error.toStdString();
        EXPECT_TRUE(r.resampled);
        const double dB = 10 * std::log10(energyOf(r.samples) / energyOf(reference.samples));
        EXPECT_NEAR(dB, 0.0, 0.2) << rate;
        EXPECT_EQ(r.clipped, 0) << rate;
    }
}

TEST(WavImpulse, SamplesThatClipAfterTheLevelIsKeptAreCounted) {
    // At 96 kHz a peak of 0.8 is one of 1.6 at 48 kHz.
    QByteArray data = floats({0.0f, 0.8f, 0.8f, 0.8f, 0.0f}) + zeros(4 * 4000);
    const ImpulseResponse r =
        read_impulse_response(wav(fmtChunk(3, 1, 96000, 32) + chunk("data", data)), kN);
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_GT(r.clipped, 0);
    EXPECT_LT(r.clipped, 5);
    EXPECT_EQ(*std::max_element(r.samples.begin(), r.samples.end()), 0x7FFFFF00);
    // Integer samples at 48 kHz are taken as they are: nothing clips.
    EXPECT_EQ(read_impulse_response(wav(fmtChunk(1, 1, 48000, 24) + chunk("data", kSamples24)), kN)
                  .clipped,
              0);
}

TEST(WavImpulse, FramesAfterTheResponsesReachNeverMatter) {
    // Two 96 kHz files alike for the frames the N samples need and the
    // resampler's reach, then different: the same response.
    const auto file = [](float tail) {
        std::vector<float> v(8 * kN, 0.0f);
        for (std::size_t i = 0; i < v.size(); ++i)
            v[i] = static_cast<float>(0.3 * std::sin(i * 0.05) * std::exp(-(i / 800.0)));
        for (std::size_t i = 2 * kN + 1000; i < v.size(); ++i)
            v[i] = tail;
        return wav(fmtChunk(3, 1, 96000, 32) + chunk("data", floats(v)));
    };
    const ImpulseResponse quiet = read_impulse_response(file(0.0f), kN);
    const ImpulseResponse loud = read_impulse_response(file(0.9f), kN);
    const ImpulseResponse broken =
        read_impulse_response(file(std::numeric_limits<float>::quiet_NaN()), kN);
    ASSERT_TRUE(quiet.error.isEmpty());
    ASSERT_TRUE(broken.error.isEmpty()) << broken.error.toStdString();
    EXPECT_EQ(loud.samples, quiet.samples);
    EXPECT_EQ(broken.samples, quiet.samples);
}

TEST(WavImpulse, RF64FilesAndOddChunksWithoutTheirPadByteAreRead) {
    const QByteArray list = chunkWithoutPad("LIST", "INFOISFT" + le(5, 4) + "Brivo");
    struct Case {
        const char* name;
        QByteArray file;
    };
    const Case cases[] = {
        {"RF64", rf64(fmtChunk(1, 1, 48000, 24), kSamples24)},
        {"odd LIST without pad after fmt",
         wav(fmtChunk(1, 1, 48000, 24) + list + chunk("data", kSamples24))},
        {"odd chunk without pad before fmt",
         wav(chunkWithoutPad("JUNK", zeros(3)) + fmtChunk(1, 1, 48000, 24) +
             chunk("data", kSamples24))},
        {"odd LIST with its pad",
         wav(fmtChunk(1, 1, 48000, 24) + chunk("LIST", "INFOISFT" + le(5, 4) + "Brivo") +
             chunk("data", kSamples24))},
    };
    for (const Case& c : cases) {
        const ImpulseResponse r = read_impulse_response(c.file, kN);
        ASSERT_TRUE(r.error.isEmpty()) << c.name << ": " << r.error.toStdString();
        EXPECT_EQ(firstWords(r, 4), kWords24) << c.name;
        EXPECT_EQ(r.header.dataSize, static_cast<std::uint64_t>(kSamples24.size())) << c.name;
    }
    QString error;
    EXPECT_EQ(scan_wav_header(cases[0].file, error).id, "RF64");
}

TEST(WavImpulse, LargeFilesAreLoggedAsASummary) {
    const QByteArray small = wav(fmtChunk(1, 1, 48000, 24) + chunk("data", kSamples24));
    EXPECT_EQ(bytes_for_log(small), QString::fromLatin1(small.toHex().toUpper()));
    QString error;
    EXPECT_EQ(sample_data_for_log(small, scan_wav_header(small, error)),
              QString::fromLatin1(kSamples24.toHex().toUpper()));
    const QByteArray large =
        wav(fmtChunk(1, 1, 48000, 24) + chunk("data", QByteArray(kWholeLogBytes, '\x11') + "END"));
    const QString summary = bytes_for_log(large);
    EXPECT_LT(summary.size(), 300);
    EXPECT_TRUE(summary.startsWith(QStringLiteral("%1 bytes").arg(large.size())));
    EXPECT_TRUE(summary.contains(QString::fromLatin1(large.left(32).toHex().toUpper())));
    EXPECT_TRUE(summary.endsWith(QString::fromLatin1(large.right(32).toHex().toUpper())));
    EXPECT_EQ(sample_data_for_log(large, scan_wav_header(large, error)),
              QStringLiteral("%1 bytes from byte 44").arg(kWholeLogBytes + 3));
}

TEST(WavImpulse, ShortResponsesArePaddedWithSilence) {
    const ImpulseResponse r = read_impulse_response(
        wav(fmtChunk(1, 1, 48000, 24) + chunk("data", QByteArray::fromHex("000080"
                                                                          "01007F"))),
        kN);
    ASSERT_TRUE(r.error.isEmpty());
    EXPECT_TRUE(r.padded);
    EXPECT_EQ(r.framesAtPedalRate, 2);
    EXPECT_EQ(r.samples.size(), static_cast<std::size_t>(kN));
    EXPECT_EQ(firstWords(r, 3), (QStringList{"FF800000", "007F0001", "00000000"}));
}

TEST(WavImpulse, FilesThatAreNoWholeWavAreRefusedWithTheReason) {
    const QByteArray good = wav(fmtChunk(1, 1, 48000, 24) + chunk("data", kSamples24));
    struct Case {
        const char* name;
        QByteArray file;
        const char* reason;
    };
    const Case cases[] = {
        {"text", "512\r\n0\r\n", "not a WAV"},
        {"empty", QByteArray(), "not a WAV"},
        {"cut in the samples", good.left(good.size() - 10), "cut short"},
        {"cut in the header", good.left(30), "format chunk"},
        {"no data chunk", wav(fmtChunk(1, 1, 48000, 24)), "no sample data"},
        {"no samples", wav(fmtChunk(1, 1, 48000, 24) + chunk("data", {})), "no samples"},
    };
    for (const Case& c : cases) {
        const ImpulseResponse r = read_impulse_response(c.file, kN);
        EXPECT_TRUE(r.error.contains(c.reason)) << c.name << ": " << r.error.toStdString();
    }
}

TEST(IrSplice, TheRegionOfEachEffectIsReplacedWhole) {
    struct Case {
        const char* effect;
        int n, before;
    };
    for (const Case c : {Case{"Overdrive + Cabinet IR", 703, 724},
                         Case{"Fuzz + Cabinet IR", 703, 740}, Case{"Cabinet IR Basic", 912, 460}}) {
        const auto layout = ir_layout_of(c.effect);
        ASSERT_TRUE(layout) << c.effect;
        EXPECT_EQ(layout->samples, c.n);
        const QString program = QString(c.before, 'A') + QString(c.n * 8, '0') + "BBBB";
        std::vector<std::int32_t> samples(static_cast<std::size_t>(c.n), 0x7F000100);
        samples.front() = static_cast<std::int32_t>(0x80000000);
        const QString spliced = splice_ir(program, *layout, samples);
        EXPECT_EQ(spliced.size(), program.size());
        EXPECT_EQ(spliced.left(c.before), QString(c.before, 'A'));
        EXPECT_EQ(spliced.mid(c.before, 16), "FF800000007F0001");
        EXPECT_EQ(spliced.mid(c.before + c.n * 8 - 8), "007F0001BBBB");
        EXPECT_TRUE(splice_ir(program.left(c.before + 8), *layout, samples).isEmpty());
    }
    EXPECT_FALSE(ir_layout_of("Cabinet IR + EQ"));
}

} // namespace
} // namespace brivo::test
