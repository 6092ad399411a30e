// Edges of the everyday road: disconnecting with the window open, clicking
// effects after Open FX, impulse responses left behind, live mode, the
// largest effect, and a start-up that finds two bridges.
#include "EffectCommandsFixture.h"

#include "app/Editor.h"
#include "catalogue/ResourceName.h"
#include "params/ToggleSwitch.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QSlider>

namespace brivo::test {
namespace {

using EdgeCaseJourney = EffectCommandsJourney;

// The window's controls that are enabled, by object name.
QStringList enabledControlsOf(QWidget& window) {
    QStringList names;
    for (const QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->isEnabled())
            names.append(child->objectName());
    return names;
}

TEST_F(EdgeCaseJourney, DisconnectWithTheWindowOpenLocksItAndTheCommands) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    ASSERT_TRUE(fx().trkPot(0)->isEnabled());
    ASSERT_TRUE(main().btnAssign->isEnabled());
    ASSERT_TRUE(main().btnStoreSettingsOnPedal->isEnabled());

    h.trigger(main().menuDisconnect);

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_FALSE(pedal->isOpen());
    // The window stays, showing what the pedal held, but nothing in it works.
    EXPECT_TRUE(fx().isVisible());
    EXPECT_EQ(fx().trkPot(0)->value(), 0);
    EXPECT_EQ(enabledControlsOf(fx()), QStringList{});
    EXPECT_FALSE(main().btnRequest->isEnabled());
    EXPECT_FALSE(main().btnAssign->isEnabled());
    EXPECT_FALSE(main().btnStoreSettingsOnPedal->isEnabled());
    EXPECT_FALSE(main().btnOpenEffect->isEnabled());
    EXPECT_FALSE(main().btnUpload->isEnabled());
}

TEST_F(EdgeCaseJourney, AfterDisconnectNothingOfTheWindowTalksToTheClosedDevice) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    fx().boxAssign(0)->setCurrentIndex(1); // "EXP" drives pot 0
    h.click(main().btnRequest);
    ASSERT_TRUE(fx().btnMin(0)->isEnabled());

    h.trigger(main().menuDisconnect);
    // An assigned pot's limit buttons are locked too.
    EXPECT_EQ(enabledControlsOf(fx()), QStringList{});

    // The running effect clicked again: no pedal runs it now.
    fx().close();
    h.clickEffect("Fuzz+Octave");
    EXPECT_FALSE(fx().trkPot(0)->isEnabled());
    EXPECT_FALSE(main().btnRequest->isEnabled());
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
}

TEST_F(EdgeCaseJourney, AfterOpenFXTheRunningEffectsClickUnlocksItAnotherOneLocksEverything) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    // Open FX again: the window comes back locked until the next request.
    h.click(main().btnOpenEffect);
    ASSERT_FALSE(fx().trkPot(0)->isEnabled());
    const QPointer<QSlider> lockedPot = fx().trkPot(0);

    h.clickEffect("Fuzz+Octave");

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_TRUE(lockedPot.isNull()) << "the window was not rebuilt";
    EXPECT_EQ(fx().windowTitle(), "Fuzz+Octave");
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(fx().boxAssign(i)->isEnabled()) << i;
        EXPECT_TRUE(fx().chkReverse(i)->isEnabled()) << i;
    }
    EXPECT_TRUE(fx().trkPot(0)->isEnabled());
    EXPECT_TRUE(fx().swtSwitch(4)->isEnabled());
    EXPECT_TRUE(fx().cmbMultiSwitch(6)->isEnabled());

    // With the window closed first, the click offers Request as well.
    fx().close();
    h.clickEffect("Fuzz+Octave");
    EXPECT_TRUE(fx().trkPot(0)->isEnabled());
    ASSERT_TRUE(main().btnRequest->isEnabled());
    h.click(main().btnRequest);
    ASSERT_TRUE(main().btnAssign->isEnabled());
    ASSERT_TRUE(main().btnStoreSettingsOnPedal->isEnabled());

    // Another effect of the list is not what the pedal runs.
    const std::size_t from = mark();
    h.clickEffect("Clean Boost");

    EXPECT_EQ(fx().windowTitle(), "Clean Boost");
    EXPECT_TRUE(fx().isVisible());
    for (int i = 0; i < static_cast<int>(editor().session.params().paramCount); ++i) {
        EXPECT_FALSE(fx().boxAssign(i)->isEnabled()) << i;
        EXPECT_FALSE(fx().chkReverse(i)->isEnabled()) << i;
    }
    EXPECT_FALSE(fx().trkPot(0)->isEnabled());
    EXPECT_FALSE(main().btnRequest->isEnabled());
    EXPECT_FALSE(main().btnAssign->isEnabled());
    EXPECT_FALSE(main().btnStoreSettingsOnPedal->isEnabled());
    // Browsing says nothing to the pedal.
    settle();
    EXPECT_EQ(writesSince(from), QStringList{});
    EXPECT_EQ(editor().session.running().runningEffectName, "Fuzz+Octave");
}

TEST_F(EdgeCaseJourney, AnImpulseResponseIsNotSentOnceAnotherCategoryIsChosen) {
    h.clickCategory("Impulse Response");
    h.clickEffect("Cabinet IR Basic");
    const QString resource = resource_name_of("Cabinet IR Basic");
    const QString plain = resources::load_resource_lines(resource).value(0);
    ASSERT_GT(plain.size(), 80);
    // A response spliced in: the tail of the program differs from the plain one.
    QString spliced = plain;
    spliced.replace(spliced.size() - 8, 8, plain.right(8) == "7FFF7FFF" ? "00010001" : "7FFF7FFF");
    editor().session.setIrProgram(spliced, "Cabinet IR Basic");
    h.click(main().btnUpload);
    ASSERT_EQ(pedal->lastUpload(), bytesOfHex(spliced));

    // A category click alone: the effect stays current, the category changes.
    h.clickCategory("Gain");
    clearConsole();
    h.dialogs.messages.clear();
    const std::size_t from = mark();

    h.click(main().btnUpload);

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    ASSERT_EQ(mark(), from + 1);
    EXPECT_EQ(pedal->lastUpload(), programOf(resource));
    const QStringList lines = h.consoleLines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), "resource name: " + resource);
    EXPECT_TRUE(lines.filter("file content size: ").isEmpty());
    EXPECT_EQ(main().lblStatus->text(), QStringLiteral("Upload Completed"));
    EXPECT_EQ(pedal->runningEffectNumber(), 46);
}

// Pots and switches are muted only while a live loop really runs: live mode
// switched on with no loop must not make them silently send nothing.
TEST_F(EdgeCaseJourney, LiveModeWithoutALoopLeavesSwitchesAndPotsSpeaking) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    ASSERT_EQ(fx().lblSwitchState(4)->text(), "OFF");
    // Live on without a loop running: the menu item only sets the mode.
    h.trigger(main().menuLiveEnable);
    ASSERT_TRUE(main().menuLiveEnable->isChecked());
    ASSERT_FALSE(editor().session.liveLoopRunning());
    clearConsole();
    const auto& addresses = editor().session.params().paramAddresses;
    const std::size_t from = mark();

    h.click(fx().swtSwitch(4));
    fx().trkPot(1)->setValue(512);

    EXPECT_EQ(fx().lblSwitchState(4)->text(), "ON");
    settle();
    EXPECT_EQ(writesSince(from),
              (QStringList{"01" + addresses[4] + "007FE000", "01" + addresses[1] + "00400000"}));
    EXPECT_EQ(pedal->parameterValue(4), 1023);
    EXPECT_EQ(pedal->parameterValue(1), 512);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
}

TEST_F(EdgeCaseJourney, TwentyFourParametersGoOutAsHex18) {
    uploadAndOpen("Other", "Drive + Delay");
    ASSERT_EQ(editor().session.params().paramCount, 24u);
    settle();
    std::size_t from = mark();

    h.click(main().btnRequest);

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    ASSERT_FALSE(writesSince(from).isEmpty());
    EXPECT_EQ(writesSince(from).first(), "0218");
    EXPECT_TRUE(
        h.consoleLines().contains("num of bytes received: " + QString::number(4 * 24 + 288)))
        << h.consoleLines().join('|').toStdString();

    settle();
    clearConsole();
    from = mark();
    h.click(main().btnStoreSettingsOnPedal);

    EXPECT_EQ(writesSince(from), QStringList{"0318"});
    EXPECT_EQ(h.consoleLines(), QStringList{"Store settings message (HEX): 0318"});
    EXPECT_TRUE(pedal->storedSettings().has_value());
}

TEST(StartUpEdge, WithTwoBridgesListsBothQuietlyAndTakesTheSecond) {
    EditorHarness h;
    h.plugPedal("DVIRT001");
    h.plugPedal("DOTHER02", "USB Serial Cable");

    h.start();

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_TRUE(h.consoleLines().isEmpty()) << h.consoleLines().join('|').toStdString();
    EXPECT_EQ(h.main().lblSerialNumber->text(), "Serial Number: DVIRT001DOTHER02");
    EXPECT_EQ(h.main().lblDeviceName->text(), "USB Serial Cable");
    EXPECT_EQ(h.editor().session.link().deviceSerialNumber, "DOTHER02");

    // Connect straight away opens the device the listing took.
    h.trigger(h.main().menuConnect);
    EXPECT_TRUE(h.driver->pedal("DOTHER02")->isOpen());
    EXPECT_FALSE(h.driver->pedal("DVIRT001")->isOpen());
}

} // namespace
} // namespace brivo::test
