// Reading impulse responses from WAV files as people have them.
#include "ir/WavImpulse.h"
#include "RiffWriter.h"
#include "ir/IrSplice.h"

#include <QStringList>
#include <gtest/gtest.h>

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

TEST(WavImpulse, FloatSamplesAreScaledAndClippedToTheTwentyFourBitWord) {
    QByteArray data;
    for (const float f : {0.5f, -1.0f, 2.0f, -3.0f, 0.0f})
        data += floatBytes(f);
    data += zeros(4 * kN);
    const ImpulseResponse r =
        read_impulse_response(wav(fmtChunk(3, 1, 48000, 32) + chunk("data", data)), kN);
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_EQ(firstWords(r, 5),
              (QStringList{"00400000", "FF800000", "007FFFFF", "FF800000", "00000000"}));
}

TEST(WavImpulse, OtherRatesAreResampledTo48kHz) {
    // A 44.1 kHz impulse of one second: the pedal's rate gives 48000 samples
    // with the energy of the impulse near its start.
    QByteArray data = le(0x400000, 3) + zeros(3 * 44099);
    const ImpulseResponse r =
        read_impulse_response(wav(fmtChunk(1, 1, 44100, 24) + chunk("data", data)), kN);
    ASSERT_TRUE(r.error.isEmpty()) << r.error.toStdString();
    EXPECT_TRUE(r.resampled);
    EXPECT_NEAR(r.framesAtPedalRate, 48000, 2);
    const auto peak = std::max_element(r.samples.begin(), r.samples.end());
    EXPECT_LT(peak - r.samples.begin(), 4);
    EXPECT_GT(*peak, 0x400000 << 8 / 2);
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
