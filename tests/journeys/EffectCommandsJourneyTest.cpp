// The typical road with a pedal: upload an effect, open it, read its status,
// change parameters, limits and assignments, store.
#include "EffectCommandsFixture.h"

#include "app/Editor.h"
#include "params/ToggleSwitch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QSlider>

namespace brivo::test {
namespace {

const QString kLimitOrder = QStringLiteral("Cannot set a MIN value higher than a MAX value");
const QString kMaxBelowMin = QStringLiteral("Cannot set a MAX value lower than a MIN value");

TEST_F(EffectCommandsJourney, UploadSendsTheProgramInOneWriteAndShowsThePedalsAnswer) {
    h.clickCategory("Gain");
    h.clickEffect("Clean Boost");
    editor().session.params().minLimits[0] = 100;
    editor().session.params().maxLimits[1] = 200;
    clearConsole();
    const std::size_t from = mark();

    h.click(main().btnUpload);

    EXPECT_EQ(h.dialogs.questions, QStringList{"Upload the selected effect?"});
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    const Bytes program = programOf("CLEAN_BOOST");
    ASSERT_EQ(program.size(), 1280u);
    ASSERT_EQ(pedal->writesReceived().size(), from + 1);
    EXPECT_EQ(pedal->writesReceived().back().bytes, program);
    EXPECT_EQ(pedal->lastUpload(), program);
    EXPECT_EQ(pedal->runningEffectNumber(), 1);

    const QStringList lines = h.consoleLines();
    ASSERT_EQ(lines.size(), 5) << lines.join('|').toStdString();
    EXPECT_EQ(lines.mid(0, 4), (QStringList{"resource name: Clean_Boost", "size: 1280",
                                            "num of bytes: 1280", "write to device"}));
    EXPECT_TRUE(lines[4].startsWith("received: Upload Completed"));

    // The answer's zero byte does not reach the label.
    EXPECT_EQ(main().lblStatus->text(), QStringLiteral("Upload Completed"));
    EXPECT_FALSE(main().prgUpload->isVisible());
    EXPECT_EQ(editor().session.params().minLimits[0], 0u);
    EXPECT_EQ(editor().session.params().maxLimits[1], 1023u);
    EXPECT_FALSE(editor().session.busy());
}

TEST_F(EffectCommandsJourney, AnsweringNoSendsAndLogsNothing) {
    h.clickCategory("Gain");
    h.clickEffect("Clean Boost");
    clearConsole();
    const std::size_t from = mark();
    h.dialogs.answers.push_back(false);

    h.click(main().btnUpload);

    EXPECT_EQ(h.dialogs.questions, QStringList{"Upload the selected effect?"});
    EXPECT_TRUE(h.consoleLines().isEmpty()) << h.consoleLines().join('|').toStdString();
    EXPECT_EQ(mark(), from);
    EXPECT_EQ(main().lblStatus->text(), "Status: ");
    EXPECT_EQ(pedal->runningEffectNumber(), 0);
}

TEST_F(EffectCommandsJourney, OpenFXShowsTheRunningEffectLockedAndSelectsIt) {
    upload("Dynamic", "Noise Gate");
    h.clickCategory("Gain");
    clearConsole();
    const std::size_t from = mark();

    h.click(main().btnOpenEffect);

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(writesSince(from), QStringList{"0500"});
    EXPECT_EQ(main().lblFirmwareVersion->text(), "Firmware Version: 5");
    EXPECT_EQ(pedal->runningEffectVersion(), 2);
    EXPECT_EQ(fx().windowTitle(), "Noise Gate v2");
    EXPECT_TRUE(fx().isVisible());
    EXPECT_EQ(fx().height(), (4 + 2) * 25 + 10);

    const QStringList lines = h.consoleLines();
    const QStringList expected = {
        "effect number DEC: 43", "effect number HEX: 0000002B",
        "effect version: 2",     "firmware version: 5",
        "2B:Noise Gate",         "effetto ottenuto dalla lista: Noise Gate"};
    const qsizetype first = lines.indexOf(expected.first());
    ASSERT_GE(first, 0) << lines.join('|').toStdString();
    EXPECT_EQ(lines.mid(first, expected.size()), expected);

    // Locked until the first status request; Request is the way forward.
    for (int i = 0; i < 4; ++i) {
        EXPECT_FALSE(fx().boxAssign(i)->isEnabled()) << i;
        EXPECT_FALSE(fx().chkReverse(i)->isEnabled()) << i;
    }
    EXPECT_FALSE(fx().trkPot(0)->isEnabled());
    EXPECT_FALSE(fx().swtSwitch(3)->isEnabled());
    EXPECT_FALSE(fx().btnMin(0)->isEnabled());
    EXPECT_TRUE(main().btnRequest->isEnabled());
    EXPECT_FALSE(main().btnAssign->isEnabled());
    EXPECT_FALSE(main().btnStoreSettingsOnPedal->isEnabled());

    EXPECT_EQ(main().lstCategory->currentItem()->text(), "Dynamic");
    EXPECT_EQ(listTexts(main().lstEffects), (QStringList{"Compressor", "Noise Gate"}));
    EXPECT_EQ(main().lstEffects->currentItem()->text(), "Noise Gate");
    EXPECT_EQ(editor().session.running().runningEffectName, "Noise Gate");
    EXPECT_EQ(editor().catalogue.currentEffectName, "Noise Gate");
    // The category shown is the current one: uploads follow the effect's own.
    EXPECT_EQ(editor().catalogue.currentCategory, "Dynamic");
}

TEST_F(EffectCommandsJourney, OpenFXFindsEveryEffectInItsCategory) {
    struct Case {
        const char* category;
        const char* effect;
        int number;
    };
    const Case cases[] = {
        {"Gain", "Clean Boost", 1},       // first list, first row
        {"Gain", "Octave X Fuzz", 55},    // first list, last row
        {"Modulation", "Flux Delay", 54}, // last row of the second list
        {"Filter", "Parametric EQ", 41},  //
        {"Other", "Drive + Delay", 47},   // six lists searched before this one
        {"Other", "Tuner", 58},           // the last line of the effect list
        {"Impulse Response", "Cabinet IR Basic", 46},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.effect);
        if (QString::fromLatin1(c.category) == "Impulse Response") {
            // An impulse-response effect goes up with a response spliced in;
            // its plain program stands in for one here.
            h.clickCategory(c.category);
            h.clickEffect(c.effect);
            editor().session.setIrProgram(
                resources::load_resource_lines("CABINET_IR_BASIC").value(0), c.effect);
            h.click(main().btnUpload);
        } else {
            upload(c.category, c.effect);
        }
        ASSERT_EQ(pedal->runningEffectNumber(), c.number);
        h.clickCategory("Synthesis");
        h.dialogs.messages.clear();

        h.click(main().btnOpenEffect);

        EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
        EXPECT_EQ(fx().windowTitle(), QString::fromLatin1(c.effect) + " v" +
                                          QString::number(pedal->runningEffectVersion()));
        EXPECT_EQ(main().lstCategory->currentItem()->text(), c.category);
        const QString listName = QString::fromLatin1(c.category).toUpper().replace(' ', '_');
        EXPECT_EQ(listTexts(main().lstEffects), resources::load_resource_lines(listName));
        ASSERT_NE(main().lstEffects->currentItem(), nullptr);
        EXPECT_EQ(main().lstEffects->currentItem()->text(), c.effect);
        EXPECT_EQ(editor().session.running().runningEffectNumber, c.number);
        EXPECT_EQ(editor().catalogue.currentCategory, QString::fromLatin1(c.category));
    }
}

TEST_F(EffectCommandsJourney, OpenFXOnAPedalWithoutEffectSaysSo) {
    h.click(main().btnOpenEffect);
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_EQ(h.dialogs.messages[0],
              "The pedal has no effect loaded. Choose an effect, upload it, then click Open FX.");
    EXPECT_TRUE(h.consoleLines().contains("0:empty"));
    EXPECT_FALSE(fx().isVisible());
    EXPECT_FALSE(main().btnRequest->isEnabled());
    EXPECT_TRUE(main().btnOpenEffect->isEnabled());
}

// The pedal's state as another session left it: values, one assignment, a
// reversed parameter and limits on the assigned pot.
void prepareFuzzOctaveOnPedal(Editor& editor, VirtualPedal& pedal) {
    const int values[] = {700, 0, 511, 1023, 1023, 0, 768};
    for (int i = 0; i < 7; ++i)
        pedal.setParameterValue(i, values[i]);
    Bytes table(193, 0);
    table[0] = 0x04;
    table[1 + 16 * 1 + 0] = 1; // "EXP" drives parameter 0
    table[1 + 112 + 1] = 1;    // parameter 1 reversed
    writeRaw(editor, table);
    writeRaw(editor, QStringLiteral("06000000400000")); // pot 0 minimum 512
    writeRaw(editor, QStringLiteral("06010000600000")); // pot 0 maximum 768
    editor.clock.sleepUs(200'000);
}

TEST_F(EffectCommandsJourney, RequestUnlocksTheWindowAndShowsExactlyWhatThePedalHolds) {
    uploadAndOpen("Gain", "Fuzz+Octave");
    prepareFuzzOctaveOnPedal(editor(), *pedal);
    ASSERT_EQ(pedal->minLimit(0), 512);
    clearConsole();
    const std::size_t from = mark();

    h.click(main().btnRequest);

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    ASSERT_FALSE(writesSince(from).isEmpty());
    EXPECT_EQ(writesSince(from).first(), "0207");
    EXPECT_TRUE(h.consoleLines().contains("num of bytes received: 316"));

    EXPECT_EQ(fx().trkPot(0)->value(), 700);
    EXPECT_EQ(fx().trkPot(1)->value(), 0);
    EXPECT_EQ(fx().trkPot(2)->value(), 511);
    EXPECT_EQ(fx().trkPot(3)->value(), 1023);
    EXPECT_TRUE(fx().swtSwitch(4)->isChecked());
    EXPECT_EQ(fx().lblSwitchState(4)->text(), "ON");
    EXPECT_FALSE(fx().swtSwitch(5)->isChecked());
    EXPECT_EQ(fx().lblSwitchState(5)->text(), "Soft");
    EXPECT_EQ(fx().cmbMultiSwitch(6)->currentIndex(), 3);

    EXPECT_EQ(fx().boxAssign(0)->currentText(), "EXP");
    for (int c = 1; c < 7; ++c)
        EXPECT_EQ(fx().boxAssign(c)->currentIndex(), -1) << c;
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(fx().chkReverse(c)->isChecked(), c == 1) << c;
    EXPECT_EQ(fx().btnMin(0)->text(), "51%");
    // 768 reads back as it would show when set there.
    EXPECT_EQ(fx().btnMax(0)->text(), "76%");
    EXPECT_TRUE(fx().btnMin(0)->isEnabled());
    EXPECT_TRUE(fx().btnMax(0)->isEnabled());
    EXPECT_TRUE(fx().btnClearMinMax(0)->isEnabled());
    for (int j = 1; j < 4; ++j) {
        EXPECT_EQ(fx().btnMin(j)->text(), "-") << j;
        EXPECT_FALSE(fx().btnMin(j)->isEnabled()) << j;
        EXPECT_FALSE(fx().btnMax(j)->isEnabled()) << j;
    }
    EXPECT_EQ(editor().session.params().minLimits[0], 512u);
    EXPECT_EQ(editor().session.params().maxLimits[0], 768u);

    // Unlocked: every value control, box and reverse box.
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(fx().boxAssign(i)->isEnabled()) << i;
        EXPECT_TRUE(fx().chkReverse(i)->isEnabled()) << i;
    }
    EXPECT_TRUE(fx().trkPot(0)->isEnabled());
    EXPECT_TRUE(fx().swtSwitch(4)->isEnabled());
    EXPECT_TRUE(fx().cmbMultiSwitch(6)->isEnabled());
    EXPECT_TRUE(main().btnRequest->isEnabled());
    EXPECT_TRUE(main().btnAssign->isEnabled());
    EXPECT_TRUE(main().btnStoreSettingsOnPedal->isEnabled());
    EXPECT_FALSE(editor().session.busy());

    // A read never writes: the request is all the pedal received.
    settle();
    EXPECT_EQ(writesSince(from), QStringList{"0207"});
    EXPECT_EQ(pedal->parameterValue(0), 700);
    EXPECT_EQ(pedal->parameterValue(6), 768);
}

TEST_F(EffectCommandsJourney, ParameterControlsSendTheirValues) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    const auto& addresses = editor().session.params().paramAddresses;
    clearConsole();

    std::size_t from = mark();
    fx().trkPot(0)->setValue(512);
    settle();
    const QString potMessage = "01" + addresses[0] + "00400000";
    EXPECT_EQ(writesSince(from), QStringList{potMessage});
    EXPECT_EQ(pedal->parameterValue(0), 512);
    EXPECT_TRUE(h.consoleLines().contains("data sent pot 0: " + potMessage));

    from = mark();
    h.click(fx().swtSwitch(4));
    settle();
    EXPECT_EQ(writesSince(from), QStringList{"01" + addresses[4] + "007FE000"});
    EXPECT_EQ(fx().lblSwitchState(4)->text(), "ON");
    EXPECT_EQ(pedal->parameterValue(4), 1023);

    from = mark();
    fx().cmbMultiSwitch(6)->setCurrentIndex(2); // "3" of four options: 2 × 256
    settle();
    EXPECT_EQ(writesSince(from), QStringList{"01" + addresses[6] + "00400000"});
    EXPECT_EQ(pedal->parameterValue(6), 512);
    EXPECT_TRUE(pedal->unknownAddressWrites().empty());
}

TEST_F(EffectCommandsJourney, LimitsGoToThePedalAndShowOnTheButtons) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    // Limits apply to pots bound to a controller: bind pot 3, send, read back.
    fx().boxAssign(3)->setCurrentIndex(1);
    h.click(main().btnAssign);
    h.click(main().btnRequest);
    ASSERT_TRUE(fx().btnMin(3)->isEnabled());
    EXPECT_EQ(fx().btnMin(3)->text(), "1%");
    EXPECT_EQ(fx().btnMax(3)->text(), "100%");
    clearConsole();

    fx().trkPot(3)->setValue(512);
    std::size_t from = mark();
    h.click(fx().btnMin(3));
    settle();
    EXPECT_EQ(writesSince(from), QStringList{"06000300400000"});
    EXPECT_EQ(fx().btnMin(3)->text(), "51%");
    EXPECT_EQ(pedal->minLimit(3), 512);
    EXPECT_EQ(editor().session.params().minLimits[3], 512u);
    EXPECT_TRUE(h.consoleLines().contains("valstr: 00400000"));

    // A maximum below the minimum changes nothing anywhere.
    fx().trkPot(3)->setValue(300);
    from = mark();
    h.click(fx().btnMax(3));
    EXPECT_EQ(h.dialogs.messages, QStringList{kMaxBelowMin});
    EXPECT_TRUE(writesSince(from).isEmpty());
    EXPECT_EQ(fx().btnMax(3)->text(), "100%");
    EXPECT_EQ(pedal->maxLimit(3), 1023);

    // Equal limits are fine; a minimum one step above the maximum is not.
    fx().trkPot(3)->setValue(512);
    from = mark();
    h.click(fx().btnMax(3));
    EXPECT_EQ(writesSince(from), QStringList{"06010300400000"});
    EXPECT_EQ(fx().btnMax(3)->text(), "51%");
    fx().trkPot(3)->setValue(513);
    from = mark();
    h.click(fx().btnMin(3));
    EXPECT_EQ(h.dialogs.messages, (QStringList{kMaxBelowMin, kLimitOrder}));
    EXPECT_TRUE(writesSince(from).isEmpty());
    EXPECT_EQ(pedal->minLimit(3), 512);

    from = mark();
    h.click(fx().btnClearMinMax(3));
    settle();
    EXPECT_EQ(writesSince(from), (QStringList{"06000300000000", "060103007FE000"}));
    EXPECT_EQ(fx().btnMin(3)->text(), "-");
    EXPECT_EQ(fx().btnMax(3)->text(), "-");
    EXPECT_TRUE(fx().btnMin(3)->isEnabled());
    EXPECT_EQ(pedal->minLimit(3), 0);
    EXPECT_EQ(pedal->maxLimit(3), 1023);
}

TEST_F(EffectCommandsJourney, AssignSendsTheTableAndTheConsoleShowsIt) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    fx().boxAssign(0)->setCurrentIndex(1); // EXP
    fx().boxAssign(4)->setCurrentIndex(6); // SW
    fx().boxAssign(6)->setCurrentIndex(3); // III
    h.click(fx().chkReverse(0));
    h.click(fx().chkReverse(6));
    clearConsole();
    const std::size_t from = mark();

    h.click(main().btnAssign);

    ASSERT_EQ(pedal->writesReceived().size(), from + 1);
    const Bytes& message = pedal->writesReceived().back().bytes;
    ASSERT_EQ(message.size(), 193u);
    EXPECT_EQ(message[0], 0x04);
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 7; ++c)
            EXPECT_EQ(pedal->isAssigned(r, c),
                      (r == 1 && c == 0) || (r == 6 && c == 4) || (r == 3 && c == 6))
                << r << "/" << c;
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(pedal->isReversed(c), c == 0 || c == 6) << c;
    EXPECT_TRUE(main().btnAssign->isEnabled());

    const QStringList names = {"I", "EXP", "II", "III", "SWT", "SWR", "SW"};
    QStringList expected = {"ASSIGNMENTS SENT from 0 to 15:"};
    for (int r = 0; r < 7; ++r) {
        expected.append("CONTROL NUM " + names[r] + ":");
        for (int c = 0; c < 16; ++c) {
            const bool on = (r == 1 && c == 0) || (r == 6 && c == 4) || (r == 3 && c == 6);
            expected.append(QStringLiteral("p%1: %2").arg(c).arg(on ? 1 : 0));
        }
    }
    for (int i = 0; i < 7; ++i)
        expected.append(i == 0 || i == 6 ? QStringLiteral("param %1 REVERSED").arg(i)
                                         : QStringLiteral("param %1...").arg(i));
    expected.append("ASSIGNMENTS SENT from 16 to 23:");
    for (int r = 0; r < 7; ++r) {
        expected.append("CONTROL NUM " + names[r] + ":");
        for (int c = 16; c < 24; ++c)
            expected.append(QStringLiteral("p%1: 0").arg(c));
    }
    EXPECT_EQ(h.consoleLines(), expected);

    // Read back, the window shows the same bindings.
    h.click(main().btnRequest);
    EXPECT_EQ(fx().boxAssign(0)->currentText(), "EXP");
    EXPECT_EQ(fx().boxAssign(4)->currentText(), "SW");
    EXPECT_EQ(fx().boxAssign(6)->currentText(), "III");
    EXPECT_TRUE(fx().chkReverse(0)->isChecked());
    EXPECT_TRUE(fx().chkReverse(6)->isChecked());
    EXPECT_FALSE(fx().chkReverse(1)->isChecked());
}

TEST_F(EffectCommandsJourney, StoreKeepsThePedalsSettings) {
    uploadOpenAndRequest("Gain", "Fuzz+Octave");
    fx().trkPot(2)->setValue(640);
    settle();
    fx().boxAssign(2)->setCurrentIndex(0);
    h.click(main().btnAssign);
    EXPECT_FALSE(pedal->storedSettings().has_value());
    clearConsole();
    const std::size_t from = mark();

    h.click(main().btnStoreSettingsOnPedal);

    EXPECT_EQ(writesSince(from), QStringList{"0307"});
    EXPECT_EQ(h.consoleLines(), QStringList{"Store settings message (HEX): 0307"});
    ASSERT_TRUE(pedal->storedSettings().has_value());
    EXPECT_EQ(*pedal->storedSettings(), pedal->settings());
    EXPECT_EQ(pedal->storedSettings()->value(2), 640);
    EXPECT_TRUE(pedal->storedSettings()->assigned[0][2]);

    // Loading the effect again brings the stored settings back.
    upload("Gain", "Fuzz+Octave");
    EXPECT_EQ(pedal->parameterValue(2), 640);
}

TEST_F(EffectCommandsJourney, TestButtonLogsTheCountConversion) {
    clearConsole();
    const std::size_t from = mark();
    main().btnTestClick();
    EXPECT_EQ(h.consoleLines(), (QStringList{"0000000A", "0A"}));
    EXPECT_EQ(mark(), from);
    EXPECT_FALSE(main().btnTest->isVisible());
}

} // namespace
} // namespace brivo::test
