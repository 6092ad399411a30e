// Live Request: the window follows the pedal's controls until switched off.
#include "EffectCommandsFixture.h"

#include "app/Editor.h"
#include "params/ToggleSwitch.h"

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
    EXPECT_FALSE(editor().flags.liveRequest);
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
    EXPECT_FALSE(editor().exchange.exchangeInProgress());
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
    // Ended on its own, the loop unticks the box: the window no longer
    // follows the pedal and the pots speak again. Request stays at hand.
    EXPECT_FALSE(editor().flags.liveRequest);
    EXPECT_FALSE(editor().flags.liveLoopRunning);
    EXPECT_FALSE(main().chkLiveRequest->isChecked());
    EXPECT_TRUE(main().chkLiveRequest->isEnabled());
    EXPECT_TRUE(main().btnRequest->isEnabled());
    EXPECT_FALSE(editor().exchange.exchangeInProgress());
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

} // namespace
} // namespace brivo::test
