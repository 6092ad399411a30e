// The everyday road keeps the windows true to what the pedal can do: menus
// offer only what works, a read never writes, a pedal that runs nothing
// known leaves nothing editable, and the limit buttons agree with themselves.
#include "EffectCommandsFixture.h"

#include "app/Editor.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QSlider>

namespace brivo::test {
namespace {

using SoundStateJourney = EffectCommandsJourney;

TEST(SoundStateMenus, OnlyWhatWorksIsOffered) {
    EditorHarness h;
    h.plugPedal();
    h.start();
    TformMain& main = h.main();
    // Settings files are read from and written to the running effect: none runs here.
    const auto expectUnbuiltItemsDisabled = [&] {
        for (QAction* item : {main.menuLoadConfiguration, main.menuSaveConfiguration})
            EXPECT_FALSE(item->isEnabled()) << item->text().toStdString();
    };
    EXPECT_FALSE(main.menuLoadIR->isEnabled()) << "no effect with a response region chosen";
    expectUnbuiltItemsDisabled();
    // Disconnected, a raw upload could only fail.
    EXPECT_FALSE(main.menuUploadFile->isEnabled());
    h.dialogs.files.push_back(QStringLiteral("/nonexistent.hex"));
    h.trigger(main.menuUploadFile);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_TRUE(h.dialogs.fileFilters.isEmpty());

    h.connect();
    EXPECT_TRUE(main.menuUploadFile->isEnabled());
    expectUnbuiltItemsDisabled();
    h.clickCategory("Impulse Response");
    h.clickEffect("Cabinet IR Basic");
    expectUnbuiltItemsDisabled();
    EXPECT_TRUE(main.menuLoadIR->isEnabled());

    h.trigger(main.menuDisconnect);
    EXPECT_FALSE(main.menuUploadFile->isEnabled());
    expectUnbuiltItemsDisabled();
}

// Applying a status sends nothing: the pedal keeps a multi-switch value that
// the window can only show re-quantised, and live polls stay silent too.
TEST_F(SoundStateJourney, ARequestWritesNothingBack) {
    uploadAndOpen("Gain", "Fuzz+Octave");
    pedal->setParameterValue(6, 1000);
    pedal->setParameterValue(0, 333);
    const std::size_t from = mark();

    h.click(main().btnRequest);

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(fx().cmbMultiSwitch(6)->currentIndex(), 3);
    EXPECT_EQ(fx().trkPot(0)->value(), 333);
    settle();
    EXPECT_EQ(writesSince(from), QStringList{"0207"});
    EXPECT_EQ(pedal->parameterValue(6), 1000);
    EXPECT_TRUE(h.consoleLines().filter("data sent").isEmpty());
}

// A pedal that runs nothing the catalogue knows: the old effect is no longer
// running, its window goes and its commands are disabled before the message.
TEST_F(SoundStateJourney, AnUnknownRunningEffectLeavesNothingEditable) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    ASSERT_TRUE(main().btnAssign->isEnabled());
    // Another tool loads a program from a newer catalogue (effect number 59).
    QString program = resources::load_resource_lines("CABINET_IR_BASIC").value(0);
    program.replace(2 * 35, 2, "3B");
    writeRaw(editor(), program);
    h.clock.advanceMs(2000);
    ASSERT_EQ(pedal->runningEffectNumber(), 59);

    bool lockedWhenTold = false;
    h.dialogs.onMessage = [&](const QString&) {
        lockedWhenTold = !fx().isVisible() && !main().btnRequest->isEnabled() &&
                         !main().btnAssign->isEnabled() &&
                         !main().btnStoreSettingsOnPedal->isEnabled();
    };
    h.click(main().btnOpenEffect);
    h.dialogs.onMessage = nullptr;

    EXPECT_EQ(h.dialogs.messages, QStringList{"List index out of bounds (59)"});
    EXPECT_TRUE(lockedWhenTold);
    EXPECT_EQ(editor().session.running().runningEffectName, "");
    EXPECT_FALSE(main().chkLiveRequest->isEnabled());

    // The old effect, clicked again, is shown locked: it is not running.
    h.clickEffect("Fuzz+Octave");
    EXPECT_TRUE(fx().isVisible());
    EXPECT_FALSE(fx().trkPot(0)->isEnabled());
    EXPECT_FALSE(fx().boxAssign(0)->isEnabled());
    EXPECT_FALSE(main().btnRequest->isEnabled());
}

// A pedal swapped for one that runs nothing: Open FX reports effect 0, and
// the effect the editor knew is no longer offered as running.
TEST_F(SoundStateJourney, APedalRunningNothingClearsTheRunningEffect) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    h.driver->removePedal("DVIRT001");
    pedal = h.plugPedal("DVIRT001");
    h.trigger(main().menuDisconnect);
    h.trigger(main().menuConnect);
    h.dialogs.messages.clear();

    h.click(main().btnOpenEffect);

    EXPECT_EQ(
        h.dialogs.messages,
        QStringList{
            "The pedal has no effect loaded. Choose an effect, upload it, then click Open FX."});
    EXPECT_EQ(editor().session.running().runningEffectName, "");
    EXPECT_FALSE(fx().isVisible());
    h.clickEffect("Fuzz+Octave");
    EXPECT_FALSE(fx().trkPot(0)->isEnabled());
    EXPECT_FALSE(main().btnRequest->isEnabled());
    EXPECT_FALSE(main().btnAssign->isEnabled());
    EXPECT_FALSE(main().btnStoreSettingsOnPedal->isEnabled());
}

// Open FX makes the effect's own category the current one: an impulse-response
// effect found this way is not uploaded as its plain program.
TEST_F(SoundStateJourney, OpenFXMakesTheEffectsCategoryCurrent) {
    h.clickCategory("Impulse Response");
    h.clickEffect("Cabinet IR Basic");
    editor().session.setIrProgram(resources::load_resource_lines("CABINET_IR_BASIC").value(0),
                                  "Cabinet IR Basic");
    h.click(main().btnUpload);
    editor().session.setIrProgram(QString(), QString());
    h.clickCategory("Gain");
    h.clickEffect("Clean Boost");
    h.dialogs.messages.clear();

    h.click(main().btnOpenEffect);
    EXPECT_EQ(editor().catalogue.currentCategory, "Impulse Response");
    EXPECT_EQ(main().lstCategory->currentItem()->text(), "Impulse Response");

    const std::size_t from = mark();
    h.click(main().btnUpload);
    EXPECT_EQ(
        h.dialogs.messages,
        QStringList{"No impulse response is loaded for this effect. Choose File > Load IR first."});
    EXPECT_EQ(writesSince(from), QStringList{});
}

// Clicking the running effect while its window is open rebuilds the window
// with the last status shown and its commands enabled, sending nothing.
TEST_F(SoundStateJourney, ClickingTheRunningEffectAgainKeepsItsCommands) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    pedal->setParameterValue(2, 600);
    h.click(main().btnRequest);
    fx().boxAssign(1)->setCurrentIndex(2);
    h.click(main().btnAssign);
    h.click(main().btnRequest);
    ASSERT_TRUE(fx().isVisible());
    const std::size_t from = mark();

    h.clickEffect("Fuzz+Octave");

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_TRUE(main().btnRequest->isEnabled());
    EXPECT_TRUE(main().btnAssign->isEnabled());
    EXPECT_TRUE(main().btnStoreSettingsOnPedal->isEnabled());
    EXPECT_TRUE(main().chkLiveRequest->isEnabled());
    EXPECT_TRUE(fx().trkPot(2)->isEnabled());
    EXPECT_EQ(fx().trkPot(2)->value(), 600);
    EXPECT_EQ(fx().boxAssign(1)->currentText(), "II");
    EXPECT_TRUE(fx().btnMin(1)->isEnabled());
    settle();
    EXPECT_EQ(writesSince(from), QStringList{});
}

// The limit buttons follow an assignment at once and read back as they were
// set; a minimum at 0 does not block a low maximum afterwards.
TEST_F(SoundStateJourney, LimitButtonsAgreeWithThemselves) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    ASSERT_FALSE(fx().btnMin(3)->isEnabled());
    fx().boxAssign(3)->setCurrentIndex(1);
    EXPECT_TRUE(fx().btnMin(3)->isEnabled());
    EXPECT_TRUE(fx().btnMax(3)->isEnabled());
    EXPECT_TRUE(fx().btnClearMinMax(3)->isEnabled());
    h.click(main().btnAssign);

    fx().trkPot(3)->setValue(512);
    h.click(fx().btnMax(3));
    fx().trkPot(3)->setValue(0);
    h.click(fx().btnMin(3));
    const QString maxText = fx().btnMax(3)->text();
    const QString minText = fx().btnMin(3)->text();
    EXPECT_EQ(maxText, "51%");
    h.click(main().btnRequest);
    EXPECT_EQ(fx().btnMax(3)->text(), maxText);
    EXPECT_EQ(fx().btnMin(3)->text(), minText);
    EXPECT_EQ(editor().session.params().minLimits[3], 0u);

    fx().trkPot(3)->setValue(5);
    const std::size_t from = mark();
    h.click(fx().btnMax(3));
    settle();
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(writesSince(from), QStringList{"0601030000A000"});

    // "NA" takes the buttons away at once.
    fx().boxAssign(3)->setCurrentIndex(7);
    EXPECT_FALSE(fx().btnMin(3)->isEnabled());
    EXPECT_FALSE(fx().btnMax(3)->isEnabled());
    EXPECT_EQ(fx().btnMax(3)->text(), "-");
}

} // namespace
} // namespace brivo::test
