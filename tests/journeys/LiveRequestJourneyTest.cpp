// Live Request: the window follows the pedal's controls until switched off.
#include "EffectCommandsFixture.h"

#include "app/Editor.h"
#include "params/ToggleSwitch.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QSlider>
#include <QTimer>
#include <functional>

namespace brivo::test {
namespace {

class LiveRequestJourney : public EffectCommandsJourney {
  protected:
    // Status requests the pedal took since `from`.
    int statusRequestsSince(std::size_t from) const {
        return static_cast<int>(writesSince(from).filter(QRegularExpression("^02..$")).size());
    }
    // Runs `step` with the number of status requests so far, whenever the
    // editor processes events inside its waits, until `step` answers true.
    void duringTheLoop(std::size_t from, std::function<bool(int)> step) {
        hook.setInterval(0);
        hook.disconnect();
        QObject::connect(&hook, &QTimer::timeout, [this, from, step] {
            if (step(statusRequestsSince(from)))
                hook.stop();
        });
        hook.start();
    }

    QTimer hook;
};

TEST_F(LiveRequestJourney, TheWindowFollowsThePedalUntilLiveIsSwitchedOff) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    fx().boxAssign(0)->setCurrentIndex(0); // controller "I" drives pot 0
    h.click(main().btnAssign);
    // Ticked in the window only: live statuses leave reverse boxes alone.
    h.click(fx().chkReverse(1));
    ASSERT_TRUE(main().chkLiveRequest->isVisible());
    ASSERT_TRUE(main().chkLiveRequest->isEnabled());
    clearConsole();
    const std::size_t from = mark();

    bool played = false;
    bool reverseKeptWhileLive = false;
    duringTheLoop(from, [&](int requests) {
        if (requests == 2)
            reverseKeptWhileLive = fx().chkReverse(1)->isChecked();
        if (requests >= 1 && !played) {
            // The player works the pedal's controls...
            pedal->moveController(0, 800);
            pedal->setParameterValue(6, 512);
            // ...and the window's: pots and switches say nothing while live.
            fx().trkPot(2)->setValue(321);
            h.click(fx().swtSwitch(4));
            played = true;
        }
        if (requests >= 3) {
            h.click(main().chkLiveRequest);
            return true;
        }
        return false;
    });

    // Ticking the box with Request available starts watching at once.
    h.click(main().chkLiveRequest);

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    // The loop ends with the request during which the box was unticked.
    EXPECT_EQ(statusRequestsSince(from), 3);
    EXPECT_FALSE(editor().session.liveLoopRunning());
    EXPECT_FALSE(main().chkLiveRequest->isChecked());

    EXPECT_EQ(pedal->parameterValue(0), 800);
    EXPECT_EQ(fx().trkPot(0)->value(), 800);
    EXPECT_EQ(fx().cmbMultiSwitch(6)->currentIndex(), 2);
    // The pedal's values win over the window's silent moves.
    EXPECT_EQ(fx().trkPot(2)->value(), 0);
    EXPECT_FALSE(fx().swtSwitch(4)->isChecked());
    EXPECT_EQ(fx().lblSwitchState(4)->text(), "OFF");
    EXPECT_TRUE(reverseKeptWhileLive);
    // The request during which live was switched off applies everything.
    EXPECT_FALSE(fx().chkReverse(1)->isChecked());
    EXPECT_EQ(fx().boxAssign(0)->currentText(), "I");

    // Watching never writes: no value went back to the pedal.
    QStringList parameterMessages = writesSince(from).filter(QRegularExpression("^01"));
    EXPECT_EQ(parameterMessages, QStringList{});
    EXPECT_EQ(pedal->parameterValue(6), 512);
    const QStringList lines = h.consoleLines();
    EXPECT_TRUE(lines.filter("data sent pot").isEmpty());
    EXPECT_TRUE(lines.filter("data sent switch").isEmpty());
    EXPECT_TRUE(lines.filter("data sent multiswitch").isEmpty());
    EXPECT_EQ(lines.filter("num of bytes received: 316").size(), 3);

    EXPECT_TRUE(main().btnRequest->isEnabled());
    EXPECT_FALSE(editor().session.busy());
}

TEST_F(LiveRequestJourney, TheLoopEndsWhenTheLinkFails) {
    uploadOpenAndRequest("Gain", "Clean Boost");
    const std::size_t from = mark();
    duringTheLoop(from, [&](int requests) {
        if (requests >= 2) {
            pedal->unplug();
            return true;
        }
        return false;
    });

    h.click(main().chkLiveRequest);

    EXPECT_EQ(statusRequestsSince(from), 2);
    ASSERT_FALSE(h.dialogs.messages.isEmpty());
    EXPECT_TRUE(h.dialogs.messages.first().startsWith("FT_GetQueueStatus - "))
        << h.dialogs.messages.join('|').toStdString();
    // Ended on its own, the loop unticks the box; the port went with the
    // cable, so the connection ends and nothing offers to ask the pedal.
    EXPECT_FALSE(editor().session.liveLoopRunning());
    EXPECT_FALSE(main().chkLiveRequest->isChecked());
    EXPECT_FALSE(editor().session.isConnected());
    EXPECT_FALSE(main().chkLiveRequest->isEnabled());
    EXPECT_FALSE(main().btnRequest->isEnabled());
    EXPECT_FALSE(editor().session.busy());
}

// A pedal that stops answering ends the loop too, but the port is still
// there: Request and the box stay at hand for another try.
TEST_F(LiveRequestJourney, TheLoopEndsWhenThePedalFallsSilentAndRequestStaysAtHand) {
    uploadOpenAndRequest("Gain", "Clean Boost");
    const std::size_t from = mark();
    duringTheLoop(from, [&](int requests) {
        if (requests >= 2) {
            pedal->setSilent(true);
            return true;
        }
        return false;
    });

    h.click(main().chkLiveRequest);

    EXPECT_EQ(h.dialogs.messages.size(), 1) << h.dialogs.messages.join('|').toStdString();
    EXPECT_FALSE(editor().session.liveLoopRunning());
    EXPECT_FALSE(main().chkLiveRequest->isChecked());
    EXPECT_TRUE(editor().session.isConnected());
    EXPECT_TRUE(main().chkLiveRequest->isEnabled());
    EXPECT_TRUE(main().btnRequest->isEnabled());
}

TEST_F(LiveRequestJourney, TheLoopEndsWhenTheMainWindowCloses) {
    uploadOpenAndRequest("Gain", "Clean Boost");
    const std::size_t from = mark();
    duringTheLoop(from, [&](int requests) {
        if (requests >= 2) {
            main().hide();
            return true;
        }
        return false;
    });

    h.click(main().chkLiveRequest);

    EXPECT_EQ(statusRequestsSince(from), 2);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
}

// The box is offered only while Request is (or a loop runs), so it can never
// be ticked with nothing to watch.
TEST_F(LiveRequestJourney, TheBoxIsOfferedOnlyWhileRequestIs) {
    EXPECT_FALSE(main().chkLiveRequest->isEnabled());
    uploadAndOpen("Gain", "Clean Boost");
    EXPECT_TRUE(main().btnRequest->isEnabled());
    EXPECT_TRUE(main().chkLiveRequest->isEnabled());
    // Another effect is not what the pedal runs: no Request, no Live Request.
    h.clickEffect("Overdrive");
    EXPECT_FALSE(main().btnRequest->isEnabled());
    EXPECT_FALSE(main().chkLiveRequest->isEnabled());
    h.click(main().chkLiveRequest);
    EXPECT_FALSE(main().chkLiveRequest->isChecked());
    EXPECT_FALSE(editor().session.liveLoopRunning());
    h.clickEffect("Clean Boost");
    EXPECT_TRUE(main().chkLiveRequest->isEnabled());
    h.trigger(main().menuDisconnect);
    EXPECT_FALSE(main().chkLiveRequest->isEnabled());
}

// Upload and Open FX during a loop end it first and then go on: the player
// asked for them, and "try again in a moment" would never come true.
TEST_F(LiveRequestJourney, UploadOrOpenFXDuringTheLoopEndItAndGoOn) {
    uploadOpenAndRequest("Gain", "Clean Boost");
    for (QPushButton* command : {main().btnUpload, main().btnOpenEffect}) {
        SCOPED_TRACE(command->objectName().toStdString());
        h.dialogs.questions.clear();
        const std::size_t from = mark();
        bool offeredWhileLive = true;
        duringTheLoop(from, [&](int requests) {
            if (requests < 2)
                return false;
            offeredWhileLive =
                main().chkLiveRequest->isEnabled() && !main().menuUploadFile->isEnabled();
            h.click(command);
            return true;
        });

        h.click(main().chkLiveRequest);

        EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
        EXPECT_TRUE(offeredWhileLive);
        EXPECT_EQ(statusRequestsSince(from), 2);
        EXPECT_FALSE(main().chkLiveRequest->isChecked());
        EXPECT_FALSE(editor().session.liveLoopRunning());
        EXPECT_FALSE(editor().session.busy());
        const QStringList writes = writesSince(from);
        ASSERT_FALSE(writes.isEmpty());
        if (command == main().btnUpload) {
            EXPECT_EQ(h.dialogs.questions, QStringList{"Upload the selected effect?"});
            EXPECT_EQ(pedal->lastUpload(), programOf("CLEAN_BOOST"));
            EXPECT_TRUE(main().lblStatus->text().startsWith("Upload Completed"));
        } else {
            EXPECT_EQ(writes.last(), "0500");
            EXPECT_EQ(fx().windowTitle(),
                      "Clean Boost v" + QString::number(pedal->runningEffectVersion()));
        }
        EXPECT_TRUE(main().menuUploadFile->isEnabled());
        // Open FX leaves the window locked until a Request; ready for the next round.
        h.click(main().btnRequest);
    }
}

} // namespace
} // namespace brivo::test
