// Effect commands when the pedal or the link misbehaves: silence, cut-off
// replies, unplugging, a second command inside a wait, programs that cannot go.
#include "EffectCommandsFixture.h"

#include "app/Editor.h"
#include "link/ReplyRules.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>

namespace brivo::test {
namespace {

using EffectCommandsFaults = EffectCommandsJourney;

TEST_F(EffectCommandsFaults, PedalSilentDuringARequestTimesOutAndRequestStaysUsable) {
    uploadOpenAndRequest("Gain", "Clean Boost");
    pedal->setParameterValue(0, 640);
    pedal->setSilent(true);
    clearConsole();
    const std::int64_t before = h.clock.nowMs();

    h.click(main().btnRequest);

    EXPECT_EQ(h.dialogs.messages, QStringList{kNoReplyText});
    EXPECT_LT(h.clock.nowMs() - before, 10000);
    EXPECT_TRUE(h.consoleLines().last().startsWith("no reply from the pedal within"))
        << h.consoleLines().join('|').toStdString();
    EXPECT_TRUE(main().btnRequest->isEnabled());
    EXPECT_FALSE(editor().session.busy());
    EXPECT_EQ(fx().trkPot(0)->value(), 0);

    pedal->setSilent(false);
    h.dialogs.messages.clear();
    h.click(main().btnRequest);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(fx().trkPot(0)->value(), 640);
}

TEST_F(EffectCommandsFaults, CutOffStatusRecordIsRefusedAndItsRestIsNotReadLater) {
    uploadOpenAndRequest("Gain", "Clean Boost");
    pedal->setParameterValue(0, 640);
    // The first 120 bytes, then nothing for longer than the link may be quiet.
    pedal->setSplitReplies(120, 2000);
    clearConsole();

    h.click(main().btnRequest);

    // Clean Boost has 3 parameters: a whole record is 4 × 3 + 288 numbers.
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_TRUE(
        h.dialogs.messages[0].startsWith("The pedal's answer was not a status record: line "));
    // Cut in the middle of line 40: that line is not whole.
    EXPECT_EQ(h.dialogs.messages[0], "The pedal's answer was not a status record: line 40 is not "
                                     "ended by CR LF. Click Request to try again.");
    EXPECT_EQ(h.consoleLines()
                  .filter(QRegularExpression("^status reply refused \\(120 bytes\\): line 40 is "
                                             "not ended by CR LF; the line: "))
                  .size(),
              1)
        << h.consoleLines().join('|').toStdString();
    EXPECT_EQ(fx().trkPot(0)->value(), 0);
    EXPECT_TRUE(main().btnRequest->isEnabled());

    // The rest of that reply trickles in; the next request still reads its own.
    pedal->setSplitReplies(0, 0);
    h.clock.advanceMs(20000);
    h.dialogs.messages.clear();
    h.click(main().btnRequest);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(fx().trkPot(0)->value(), 640);
    EXPECT_TRUE(h.consoleLines().contains("num of bytes received: 300"));
}

TEST_F(EffectCommandsFaults, ReplyInSmallPiecesIsCollectedWhole) {
    uploadOpenAndRequest("Other", "Drive + Delay");
    // Let the values the window sent back reach the pedal first.
    settle();
    pedal->setParameterValue(23, 512);
    pedal->setSplitReplies(40, 30); // gaps shorter than the link may be quiet
    h.click(main().btnRequest);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(fx().cmbMultiSwitch(23)->currentIndex(), 1);
}

TEST_F(EffectCommandsFaults, UnpluggingDuringAnUploadEndsTheWaitWithTheDriversReport) {
    h.clickCategory("Gain");
    h.clickEffect("Clean Boost");
    editor().session.params().minLimits[0] = 100;
    QTimer::singleShot(0, [this] { pedal->unplug(); });

    h.click(main().btnUpload);

    ASSERT_FALSE(h.dialogs.messages.isEmpty());
    EXPECT_TRUE(h.dialogs.messages.first().startsWith("FT_GetQueueStatus - "))
        << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(main().lblStatus->text(), "Uploading...");
    EXPECT_FALSE(main().prgUpload->isVisible());
    EXPECT_FALSE(editor().session.busy());
    // Nothing was answered, so the limits stay.
    EXPECT_EQ(editor().session.params().minLimits[0], 100u);
}

TEST_F(EffectCommandsFaults, ASecondCommandWhileOneWaitsIsRefused) {
    upload("Gain", "Clean Boost");
    h.dialogs.questions.clear();
    pedal->setReplyDelayMs(1000);
    const std::size_t from = mark();
    QStringList writesWhenRefused;
    QTimer::singleShot(0, [&] {
        h.click(main().btnUpload);
        writesWhenRefused = writesSince(from);
    });

    h.click(main().btnOpenEffect);

    ASSERT_EQ(h.dialogs.messages, QStringList{kBusyText});
    // Refused before it asked or sent anything.
    EXPECT_TRUE(h.dialogs.questions.isEmpty());
    EXPECT_EQ(writesWhenRefused, QStringList{"0500"});
    // The waiting command went on undisturbed.
    EXPECT_EQ(writesSince(from), QStringList{"0500"});
    EXPECT_EQ(main().lblFirmwareVersion->text(), "Firmware Version: 5");
    EXPECT_EQ(fx().windowTitle(), "Clean Boost v" + QString::number(pedal->runningEffectVersion()));
}

TEST_F(EffectCommandsFaults, OpenFXOnASilentPedalTimesOut) {
    upload("Gain", "Clean Boost");
    pedal->setSilent(true);
    clearConsole();
    const std::int64_t before = h.clock.nowMs();

    h.click(main().btnOpenEffect);

    EXPECT_EQ(h.dialogs.messages, QStringList{kNoReplyText});
    EXPECT_LT(h.clock.nowMs() - before, 10000);
    EXPECT_TRUE(h.consoleLines().last().startsWith("no reply from the pedal within"));
    EXPECT_EQ(main().lblFirmwareVersion->text(), "Firmware Version: ");
    EXPECT_TRUE(main().btnOpenEffect->isEnabled());
    EXPECT_FALSE(main().btnRequest->isEnabled());
    EXPECT_FALSE(editor().session.busy());
}

TEST_F(EffectCommandsFaults, LateIdentityAfterATimeOutIsNotTakenForTheNextOne) {
    upload("Dynamic", "Noise Gate");
    pedal->setReplyDelayMs(5000);
    h.click(main().btnOpenEffect);
    ASSERT_EQ(h.dialogs.messages, QStringList{kNoReplyText});
    h.clock.advanceMs(3000); // the late answer arrives now
    // Another effect meanwhile: the stale answer names the old one.
    pedal->setReplyDelayMs(0);
    upload("Gain", "Clean Boost");
    h.dialogs.messages.clear();

    h.click(main().btnOpenEffect);

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(editor().session.running().runningEffectName, "Clean Boost");
}

TEST_F(EffectCommandsFaults, ImpulseResponseEffectWithoutAResponseIsNotUploaded) {
    h.clickCategory("Impulse Response");
    h.clickEffect("Cabinet IR Basic");
    h.dialogs.messages.clear();
    clearConsole();
    const std::size_t from = mark();

    h.click(main().btnUpload);

    EXPECT_EQ(h.dialogs.messages,
              QStringList{"No impulse response is loaded for this effect. Choose File > Load IR "
                          "first."});
    EXPECT_EQ(mark(), from);
    EXPECT_TRUE(h.consoleLines().isEmpty()) << h.consoleLines().join('|').toStdString();
    EXPECT_EQ(main().lblStatus->text(), "Status: ");
}

TEST_F(RawUpload, AFileOfHexDigitPairsGoesUpAsItStands) {
    const QByteArray program = resources::load_resource_lines("CLEAN_BOOST").value(0).toLatin1();
    const QString path = writeFile(program + "\r\n");
    h.dialogs.files.push_back(path);
    clearConsole();
    const std::size_t from = mark();

    h.trigger(main().menuUploadFile);

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    ASSERT_EQ(mark(), from + 1);
    EXPECT_EQ(pedal->lastUpload(), programOf("CLEAN_BOOST"));
    const QStringList lines = h.consoleLines();
    ASSERT_EQ(lines.size(), 7) << lines.join('|').toStdString();
    EXPECT_EQ(lines[0], path);
    EXPECT_EQ(lines[1], "program.hex");
    // A summary, not the whole text.
    EXPECT_EQ(lines[2],
              "file content: " + QString::fromLatin1(program.left(40)) + "... (2562 characters)");
    EXPECT_EQ(lines[3], "2562");
    EXPECT_EQ(lines[4], "num of bytes: 1280");
    EXPECT_EQ(lines[5], "write to device");
    // Only the bytes read: the answer, not the rest of the receive buffer.
    EXPECT_EQ(lines[6], QStringLiteral("received: Upload Completed\u2400"));
    EXPECT_EQ(main().lblStatus->text(), "Status: ");
}

TEST_F(RawUpload, AFileThatIsNotHexIsRefusedBeforeAnythingIsSent) {
    h.dialogs.files.push_back(writeFile("0005006B7G"));
    const std::size_t from = mark();

    h.trigger(main().menuUploadFile);

    EXPECT_EQ(h.dialogs.messages,
              QStringList{"The effect program is damaged: character 10 is not a hex digit."});
    EXPECT_EQ(mark(), from);
    EXPECT_FALSE(editor().session.busy());
}

} // namespace
} // namespace brivo::test
