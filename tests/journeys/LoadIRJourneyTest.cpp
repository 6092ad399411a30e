// Loading an impulse response into an effect and uploading it.
#include "EffectCommandsFixture.h"

#include "../ir/RiffWriter.h"
#include "app/Editor.h"
#include "ir/TformIRResponse.h"

#include <QLineSeries>

#include <QAction>
#include <QDir>
#include <QFile>
#include <limits>
#include <vector>

namespace brivo::test {
namespace {

class LoadIRJourney : public EffectCommandsJourney {
  protected:
    QString writeFile(const QString& name, const QByteArray& bytes) {
        const QString path = QDir(h.documents.path()).filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    // A mono 24-bit 48 kHz file whose every sample is `first`, `first` + 1, ...
    QString rampFile(const QString& name, int first, int count) {
        QByteArray data;
        for (int i = 0; i < count; ++i)
            data += le(static_cast<std::uint32_t>(first + i), 3);
        return writeFile(name, wav(fmtChunk(1, 1, 48000, 24) + chunk("data", data)));
    }
    static QString rampWords(int first, int count) {
        QString words;
        for (int i = 0; i < count; ++i)
            words += QStringLiteral("%1").arg(first + i, 8, 16, QLatin1Char('0')).toUpper();
        return words;
    }
    void load(const QString& path) {
        h.dialogs.files.push_back(path);
        h.trigger(main().menuLoadIR);
    }
};

TEST_F(LoadIRJourney, EachEffectGetsItsResponseInItsRegionAndTheUploadSendsIt) {
    struct Case {
        const char* effect;
        const char* resource;
        int n, before;
    };
    h.clickCategory("Impulse Response");
    for (const Case c : {Case{"Overdrive + Cabinet IR", "OVERDRIVE_PLUS_CABINET_IR", 703, 724},
                         Case{"Fuzz + Cabinet IR", "FUZZ_PLUS_CABINET_IR", 703, 740},
                         Case{"Cabinet IR Basic", "CABINET_IR_BASIC", 912, 460}}) {
        h.clickEffect(c.effect);
        EXPECT_TRUE(main().menuLoadIR->isEnabled()) << c.effect;
        const QString program = resources::load_resource_lines(c.resource).value(0);
        // Two loads in a row: the second response replaces the first whole.
        load(rampFile("first.wav", 0x100, c.n + 50));
        load(rampFile("second.wav", 0x200, c.n));
        const QString expected =
            program.left(c.before) + rampWords(0x200, c.n) + program.mid(c.before + c.n * 8);
        EXPECT_EQ(editor().session.irProgram(), expected) << c.effect;
        EXPECT_EQ(h.dialogs.messages.last(),
                  QStringLiteral("Selected file data:\r\nName: second.wav\r\nSize: %1\r\n"
                                 "Sample rate: 48000\r\nBits per sample: 24")
                      .arg(44 + 3 * c.n + (c.n % 2))) // with the pad byte of an odd chunk
            << h.dialogs.messages.last().toStdString();
        // The picture shows the N samples used and the audible range.
        ASSERT_NE(main().irResponse(), nullptr);
        EXPECT_TRUE(main().irResponse()->isVisible());
        EXPECT_EQ(main().irResponse()->waveform->count(), c.n);
        EXPECT_GE(main().irResponse()->magnitude->at(0).x(), 20.0);
        EXPECT_LE(main().irResponse()->magnitude->points().last().x(), 20000.0);
        const std::size_t from = mark();
        h.click(main().btnUpload);
        ASSERT_EQ(writesSince(from).size(), 1) << c.effect;
        EXPECT_EQ(pedal->lastUpload(), bytesOfHex(expected)) << c.effect;
    }
}

TEST_F(LoadIRJourney, ABrokenFileIsRefusedAndTheResponseStaysAsItWas) {
    h.clickCategory("Impulse Response");
    h.clickEffect("Cabinet IR Basic");
    load(rampFile("good.wav", 0x300, 912));
    const QString prepared = editor().session.irProgram();
    QByteArray cut = wav(fmtChunk(1, 1, 48000, 24) + chunk("data", QByteArray(3 * 912, 'x')));
    cut.chop(100);
    for (const auto& [name, bytes] : {std::pair{QString("cut.wav"), cut},
                                      std::pair{QString("notes.wav"), QByteArray("hello")}}) {
        h.dialogs.messages.clear();
        load(writeFile(name, bytes));
        ASSERT_EQ(h.dialogs.messages.size(), 1) << name.toStdString();
        EXPECT_TRUE(h.dialogs.messages.first().startsWith(name + " was not loaded: "))
            << h.dialogs.messages.first().toStdString();
        EXPECT_EQ(editor().session.irProgram(), prepared);
    }
}

TEST_F(LoadIRJourney, TheBoxSaysWhatWasClippedOrWhichSampleIsBroken) {
    h.clickCategory("Impulse Response");
    h.clickEffect("Cabinet IR Basic");
    load(rampFile("good.wav", 0x300, 912));
    const QString prepared = editor().session.irProgram();
    const auto floatFile = [](int rate, const std::vector<float>& values) {
        QByteArray data;
        for (const float f : values)
            data += floatBytes(f);
        return wav(fmtChunk(3, 1, rate, 32) + chunk("data", data));
    };
    std::vector<float> loud(3000, 0.0f);
    loud[10] = loud[11] = 0.9f; // 1.8 at 48 kHz
    std::vector<float> broken(3000, 0.1f);
    broken[57] = std::numeric_limits<float>::quiet_NaN();

    h.dialogs.messages.clear();
    load(writeFile("loud96k.wav", floatFile(96000, loud)));
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    const QStringList box = h.dialogs.messages.first().split("\r\n");
    EXPECT_TRUE(box.contains("Resampled from 96000 Hz to 48000 Hz."))
        << box.join('|').toStdString();
    const QStringList clipped = box.filter("beyond full scale");
    ASSERT_EQ(clipped.size(), 1) << box.join('|').toStdString();
    EXPECT_TRUE(clipped.first().endsWith(" of the 912 samples were beyond full scale and are "
                                         "clipped."));
    EXPECT_NE(editor().session.irProgram(), prepared);

    const QString loaded = editor().session.irProgram();
    h.dialogs.messages.clear();
    load(writeFile("broken.wav", floatFile(48000, broken)));
    EXPECT_EQ(h.dialogs.messages,
              QStringList{"broken.wav was not loaded: its sample 58 is not a number (NaN). The "
                          "impulse response stays as it was."});
    EXPECT_EQ(editor().session.irProgram(), loaded);
}

TEST_F(LoadIRJourney, ALargeFileIsLoggedOnceAsASummary) {
    h.clickCategory("Impulse Response");
    h.clickEffect("Cabinet IR Basic");
    clearConsole();
    h.dialogs.messages.clear();
    const int frames = 40000; // 120 kB of samples
    const QString path = rampFile("long.wav", 0x100, frames);
    load(path);
    ASSERT_EQ(h.dialogs.messages.size(), 1) << h.dialogs.messages.join('|').toStdString();
    EXPECT_TRUE(h.dialogs.messages.first().startsWith("Selected file data:"));
    const QStringList lines = h.consoleLines();
    const int size = 44 + 3 * frames;
    const QStringList summaries = lines.filter(QStringLiteral("%1 bytes, too many").arg(size));
    EXPECT_EQ(summaries.size(), 1) << lines.join('\n').left(2000).toStdString();
    EXPECT_TRUE(
        lines.contains(QStringLiteral("Audio data: %1 bytes from byte 44").arg(3 * frames)));
    // No line holds the file, nor its samples, as hex text.
    for (const QString& line : lines)
        EXPECT_LT(line.size(), 2 * 3 * frames) << line.left(60).toStdString();
    EXPECT_EQ(editor().session.irProgram().mid(460, 16), "0000010000000101");
}

TEST_F(LoadIRJourney, CabinetIRPlusEQTakesNoResponse) {
    h.clickCategory("Impulse Response");
    h.clickEffect("Cabinet IR Basic");
    EXPECT_TRUE(main().menuLoadIR->isEnabled());
    h.clickEffect("Cabinet IR + EQ");
    EXPECT_FALSE(main().menuLoadIR->isEnabled());
    main().load_ir_from_wav(); // even when reached another way
    EXPECT_TRUE(h.dialogs.messages.last().contains("no place for an impulse response"));
    EXPECT_TRUE(editor().session.irProgram().isEmpty());
}

} // namespace
} // namespace brivo::test
