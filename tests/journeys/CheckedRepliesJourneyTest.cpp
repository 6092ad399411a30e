// Every answer of the pedal is checked before it is believed: late answers,
// stray lines, garbage, slow or cut answers, and raw program files from disk.
#include "EffectCommandsFixture.h"

#include "app/Editor.h"
#include "link/ReplyRules.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>

namespace brivo::test {
namespace {

const QString kNotARecord = QStringLiteral("The pedal's answer was not a status record: line ");

class CheckedReplies : public EffectCommandsJourney {
  protected:
    // Clean Boost open and read, the pedal's pots then moved to 640 and 100.
    void SetUp() override {
        EffectCommandsJourney::SetUp();
        uploadOpenAndRequest("Gain", "Clean Boost");
        ASSERT_NE(fx().trkPot(1), nullptr);
        pedal->setParameterValue(0, 640);
        pedal->setParameterValue(1, 100);
        h.dialogs.messages.clear();
        clearConsole();
    }
    QString messages() const { return h.dialogs.messages.join('|'); }
    QString console() { return h.consoleLines().join('|'); }
    // What the pots show and what the pedal holds, after a refused answer.
    void expectNothingApplied(int pot0, int pot1) {
        EXPECT_EQ(fx().trkPot(0)->value(), pot0);
        EXPECT_EQ(fx().trkPot(1)->value(), pot1);
        EXPECT_EQ(pedal->parameterValue(0), 640);
        EXPECT_EQ(pedal->parameterValue(1), 100);
        EXPECT_TRUE(main().btnRequest->isEnabled());
        EXPECT_FALSE(editor().session.busy());
    }
    void expectRequestWorks() {
        h.dialogs.messages.clear();
        h.click(main().btnRequest);
        EXPECT_TRUE(h.dialogs.messages.isEmpty()) << messages().toStdString();
        EXPECT_EQ(fx().trkPot(0)->value(), 640);
        EXPECT_EQ(fx().trkPot(1)->value(), 100);
    }
};

TEST_F(CheckedReplies, LateOpenFXAnswerIsDroppedAndCannotShiftTheNextStatus) {
    pedal->setReplyDelayMs(3100);
    h.click(main().btnOpenEffect);
    ASSERT_EQ(h.dialogs.messages, QStringList{kNoReplyText});
    pedal->setReplyDelayMs(0);
    h.dialogs.messages.clear();

    h.click(main().btnRequest);

    // The answer came just after the time-out: it is dropped before the
    // request, which reads its own record.
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << messages().toStdString();
    EXPECT_EQ(fx().trkPot(0)->value(), 640);
    EXPECT_EQ(fx().trkPot(1)->value(), 100);
    EXPECT_EQ(h.consoleLines()
                  .filter(QRegularExpression("^late bytes from the pedal dropped: \\d+$"))
                  .size(),
              1)
        << console().toStdString();
}

TEST_F(CheckedReplies, StrayBytesBeforeTheRecordAreRefusedWithOneMessage) {
    const int pot0 = fx().trkPot(0)->value();
    const int pot1 = fx().trkPot(1)->value();
    struct Case {
        const char* name;
        QByteArray garbage;
        const char* message;
    };
    const Case cases[] = {
        {"one stray line", "5\r\n", "301 is more than the 300 lines of a record."},
        {"a letter", "Q\r\n", "1 is not a decimal number."},
        {"two numbers on a line", "1=2\r\n", "1 is not a decimal number."},
        {"200 kB of lines", QByteArray("7\r\n").repeated(200 * 1024 / 3),
         "301 is more than the 300 lines of a record."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pedal->injectGarbage(std::vector<std::uint8_t>(c.garbage.begin(), c.garbage.end()));
        h.dialogs.messages.clear();
        clearConsole();
        const std::size_t from = mark();

        h.click(main().btnRequest);

        ASSERT_EQ(h.dialogs.messages.size(), 1) << messages().toStdString();
        EXPECT_EQ(h.dialogs.messages[0], kNotARecord + c.message + " Click Request to try again.");
        EXPECT_EQ(h.consoleLines().filter(QRegularExpression("^status reply refused ")).size(), 1)
            << console().toStdString();
        expectNothingApplied(pot0, pot1);
        // A read never writes: only the request itself went to the pedal.
        EXPECT_EQ(writesSince(from), QStringList{"0203"});
        // What is still on its way is dropped before the next request.
        h.clock.advanceMs(20000);
    }
    expectRequestWorks();
    EXPECT_EQ(
        h.consoleLines().filter(QRegularExpression("^late bytes from the pedal dropped: ")).size(),
        1)
        << console().toStdString();
}

TEST_F(CheckedReplies, SlowStatusAnswerIsCalledSlowNotEndless) {
    pedal->setSplitReplies(1, 40);
    h.click(main().btnRequest);
    EXPECT_EQ(h.dialogs.messages, QStringList{kSlowReplyText});
    EXPECT_EQ(h.consoleLines().filter("too slow or incomplete").size(), 1)
        << console().toStdString();
    pedal->setSplitReplies(0, 0);
    h.clock.advanceMs(60000);
    expectRequestWorks();
}

TEST_F(CheckedReplies, CutOrGarbledIdentityIsSaidInWordsWithTheBytesInTheConsole) {
    struct Case {
        const char* name;
        int splitBytes;
        QByteArray garbage;
        const char* message;
    };
    const Case cases[] = {
        {"cut after 8 bytes", 8, {}, "The pedal's answer to Open FX was incomplete."},
        {"garbled in front", 0,
         ":A\xff"
         "345\r\n",
         "The pedal's answer to Open FX was not understood."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        pedal->setSplitReplies(c.splitBytes, 5000);
        pedal->injectGarbage(std::vector<std::uint8_t>(c.garbage.begin(), c.garbage.end()));
        h.dialogs.messages.clear();
        clearConsole();

        h.click(main().btnOpenEffect);

        ASSERT_EQ(h.dialogs.messages.size(), 1) << messages().toStdString();
        EXPECT_TRUE(h.dialogs.messages[0].startsWith(QString::fromLatin1(c.message)))
            << messages().toStdString();
        // The raw bytes go to the console only, as hex.
        EXPECT_FALSE(h.dialogs.messages[0].contains("345"));
        EXPECT_EQ(h.consoleLines()
                      .filter(QRegularExpression("^identity reply refused \\(\\d+ "
                                                 "bytes, hex\\): [0-9A-F]+$"))
                      .size(),
                  1)
            << console().toStdString();
        EXPECT_TRUE(h.consoleLines().filter("effect number DEC: ").isEmpty());
        EXPECT_EQ(main().lblFirmwareVersion->text(), "Firmware Version: 5");
        pedal->setSplitReplies(0, 0);
        h.clock.advanceMs(20000);
    }
}

TEST_F(CheckedReplies, UnplugDuringTheIdentityAnswerGivesOneReport) {
    pedal->setSplitReplies(4, 60);
    const std::int64_t start = h.clock.nowMs();
    QTimer hook;
    hook.setInterval(0);
    QObject::connect(&hook, &QTimer::timeout, [&] {
        if (h.clock.nowMs() - start >= 250 && pedal->isPlugged())
            pedal->unplug();
    });
    hook.start();

    h.click(main().btnOpenEffect);

    ASSERT_EQ(h.dialogs.messages.size(), 1) << messages().toStdString();
    // The unplug lands in a pause between reads: the next driver call is the one that fails.
    EXPECT_TRUE(h.dialogs.messages[0].endsWith(" - General IO error..."))
        << messages().toStdString();
    EXPECT_TRUE(h.consoleLines().filter("effect number DEC: ").isEmpty());
    EXPECT_FALSE(editor().session.busy());
}

TEST_F(CheckedReplies, UnplugDuringTheUploadAnswerGivesOneReportAndKeepsTheLimits) {
    editor().session.params().minLimits[0] = 100;
    pedal->setSplitReplies(6, 30);
    QTimer hook;
    hook.setInterval(0);
    QObject::connect(&hook, &QTimer::timeout, [&] {
        // Unplugged once the first piece of the answer is shown.
        if (main().lblStatus->text().startsWith("Upload ") && pedal->isPlugged())
            pedal->unplug();
    });
    hook.start();

    h.click(main().btnUpload);

    ASSERT_EQ(h.dialogs.messages.size(), 1) << messages().toStdString();
    EXPECT_TRUE(h.dialogs.messages[0].startsWith("FT_")) << messages().toStdString();
    // What came before the unplug shows; the answer never completed.
    EXPECT_TRUE(main().lblStatus->text().startsWith("Upload "));
    EXPECT_NE(main().lblStatus->text(), "Upload Completed");
    EXPECT_EQ(editor().session.params().minLimits[0], 100u);
    EXPECT_FALSE(editor().session.busy());
}

using RawProgramFile = RawUpload;

TEST_F(RawProgramFile, FileTooLargeOrWithAWrongLengthFieldIsRefusedUnsent) {
    const QByteArray program = resources::load_resource_lines("CLEAN_BOOST").value(0).toLatin1();
    QByteArray longer = program;
    longer.replace(0, 6, "000501"); // says 1281 bytes
    // 64 KB, its length field right: the pedal would read its first byte as
    // a set-parameter command, and the rest as whatever follows.
    QByteArray sixtyFourK = "010000" + program.mid(6);
    sixtyFourK.append(QByteArray(2 * 65536 - sixtyFourK.size(), '0'));
    struct Case {
        const char* name;
        QByteArray content;
        const char* message;
    };
    const Case cases[] = {
        {"32 MiB", QByteArray(32 * 1024 * 1024, '0'),
         "The file is too large for a program: 33554432 bytes. A program holds at most 65536 "
         "bytes, written as at most 131072 characters of hex digits."},
        {"length field one more", longer,
         "The program's length field says 1281 bytes, but the program is 1280 bytes long. It was "
         "not sent."},
        {"64 KB", sixtyFourK,
         "The program is 65536 bytes long; the pedal takes at most 65535, as its length field "
         "starts with the upload command (00). It was not sent."},
        {"a byte left over", program + "00",
         "The program's length field says 1280 bytes, but the program is 1281 bytes long. It was "
         "not sent."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        h.dialogs.files.push_back(writeFile(c.content));
        h.dialogs.messages.clear();
        clearConsole();
        const std::size_t from = mark();

        h.trigger(main().menuUploadFile);

        EXPECT_EQ(h.dialogs.messages, QStringList{QString::fromLatin1(c.message)});
        EXPECT_EQ(mark(), from);
        EXPECT_FALSE(editor().session.busy());
        // Never the whole text: at most a summary line.
        for (const QString& line : h.consoleLines())
            EXPECT_LT(line.size(), 200);
    }
    // The pedal waits for no missing bytes: a right program goes up as it stands.
    h.dialogs.files.push_back(writeFile(program));
    h.dialogs.messages.clear();
    h.trigger(main().menuUploadFile);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(pedal->lastUpload(), programOf("CLEAN_BOOST"));
}

} // namespace
} // namespace brivo::test
