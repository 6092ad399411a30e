#include "FXParametersFixture.h"
#include "base/Guard.h"
#include "params/ToggleSwitch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace brivo::test {
namespace {

using Build = FXParametersFixture;

TEST_F(Build, ExampleEffectBuildsRowsStateAndConsoleTrace) {
    addEffect("Drive + Delay", example_descriptor());
    ASSERT_TRUE(showEffect("Drive + Delay", false));

    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Drive + Delay");
    EXPECT_EQ(form->size(), QSize(499, (7 + 2) * 25 + 10));
    EXPECT_EQ(form->frameGeometry().topLeft(),
              QPoint(mainWindow.frameGeometry().x() + mainWindow.frameGeometry().width(),
                     mainWindow.frameGeometry().y()));
    EXPECT_EQ(loadedNames, QStringList({"Drive_plus_Delay_ctrls", "Drive_plus_Delay"}));
    const QString program = program_text(numbered_addresses());
    EXPECT_EQ(catalogue.resourceLines, QStringList{program});

    EXPECT_EQ(params.potCount, 4u);
    EXPECT_EQ(params.switchCount, 2u);
    EXPECT_EQ(params.multiCount, 1u);
    EXPECT_EQ(params.paramCount, 7u);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(params.paramNames[i], example_descriptor()[i + 1]);
    EXPECT_EQ(params.paramAddresses, numbered_addresses());
    EXPECT_EQ(params.switchTexts[0][4], "OFF");
    EXPECT_EQ(params.switchTexts[1][4], "ON");
    EXPECT_EQ(params.switchTexts[0][5], "Soft");
    EXPECT_EQ(params.switchTexts[1][5], "Hard");
    EXPECT_EQ(params.optionCounts[6], 4u);

    QStringList expected = {"num of pots: 4",
                            "num of switches: 2",
                            "num of multi switch: 1",
                            "Gain",
                            "Tone",
                            "Level",
                            "Dry",
                            "Boost:OFF:ON",
                            "Clip:Soft:Hard",
                            "Tracking;1;2;3;4",
                            "resource name: Drive_plus_Delay",
                            "content: " + program,
                            "file content size: " + QString::number(program.size() / 2)};
    for (const QString& address : numbered_addresses())
        expected.append("parameter address: " + address);
    expected += QStringList{"OFF", "ON", "Soft", "Hard", "1;2;3;4", "1", "2", "3", "4"};
    EXPECT_EQ(log.lines, expected);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(Build, ControlsSitAtTheirPlacesWithTheirTexts) {
    addEffect("Example", example_descriptor());
    ASSERT_TRUE(showEffect("Example", true));

    const std::pair<const char*, QRect> places[] = {
        {"lblName0", {10, 10, 150, 20}},          {"trkPot0", {160, 10, 100, 20}},
        {"trkPot3", {160, 85, 100, 20}},          {"lblName3", {10, 85, 150, 20}},
        {"swtSwitch4", {190, 110, 40, 20}},       {"lblName4", {10, 110, 150, 20}},
        {"lblSwitchState4", {120, 110, 100, 20}}, {"swtSwitch5", {190, 135, 40, 20}},
        {"cmbMultiSwitch6", {160, 160, 100, 20}}, {"boxAssign0", {300, 10, 50, 20}},
        {"boxAssign6", {300, 160, 50, 20}},       {"chkReverse0", {360, 10, 20, 20}},
        {"chkReverse6", {360, 160, 20, 20}},      {"btnMin3", {385, 85, 40, 20}},
        {"btnMax3", {430, 85, 40, 20}},           {"btnClearMinMax3", {475, 85, 20, 20}},
        {"lnSeparator", {280, 10, 1, 171}}, // 7 × 24.5 = 171.5
    };
    for (const auto& [name, rect] : places) {
        auto* control = form->findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(control, nullptr) << name;
        EXPECT_EQ(control->geometry(), rect) << name;
    }
    // 4 pots × 5, 2 switches × 3, 1 multi-switch × 2, 7 boxes, 7 reverse boxes, the line.
    EXPECT_EQ(controls().size(), 20 + 6 + 2 + 7 + 7 + 1);

    // Pot labels show the whole line and carry it as hint; the others carry none.
    EXPECT_EQ(form->lblName(0)->text(), "Gain");
    EXPECT_EQ(form->lblName(0)->toolTip(), "Gain");
    EXPECT_EQ(form->lblName(4)->text(), "Boost");
    EXPECT_TRUE(form->lblName(4)->toolTip().isEmpty());
    EXPECT_EQ(form->lblSwitchState(4)->text(), "OFF");
    EXPECT_EQ(form->lblSwitchState(5)->text(), "Soft");
    EXPECT_FALSE(form->swtSwitch(4)->isChecked());

    QLabel* multiName = form->lblName(6);
    EXPECT_EQ(multiName->text(), "Tracking");
    EXPECT_TRUE(multiName->toolTip().isEmpty());
    EXPECT_TRUE(multiName->wordWrap());
    EXPECT_EQ(multiName->geometry().topLeft(), QPoint(10, 160));
    EXPECT_EQ(multiName->width(), 100);

    QComboBox* multi = form->cmbMultiSwitch(6);
    ASSERT_EQ(multi->count(), 4);
    EXPECT_EQ(multi->itemText(0), "1");
    EXPECT_EQ(multi->itemText(3), "4");
    EXPECT_EQ(multi->currentIndex(), -1);

    QSlider* pot = form->trkPot(2);
    EXPECT_EQ(pot->orientation(), Qt::Horizontal);
    EXPECT_EQ(pot->minimum(), 0);
    EXPECT_EQ(pot->maximum(), 1023);

    for (int i = 0; i < 7; ++i) {
        QComboBox* box = form->boxAssign(i);
        ASSERT_EQ(box->count(), 8);
        for (int k = 0; k < 8; ++k)
            EXPECT_EQ(box->itemText(k), controllerNames[k]);
        EXPECT_EQ(box->currentIndex(), -1);
        QCheckBox* reverse = form->chkReverse(i);
        EXPECT_TRUE(reverse->text().isEmpty());
        EXPECT_FALSE(reverse->isChecked());
        EXPECT_EQ(reverse->toolTip(), "toggle the Reverse function for the current parameter");
    }
    // A screen reader hears the parameter and the limit; the hint describes.
    const QString name = form->lblName(1)->text();
    const std::tuple<QPushButton*, const char*, const char*, QString> buttons[] = {
        {form->btnMin(1), "-", "set min value for this parameter", name + " minimum not set"},
        {form->btnMax(1), "-", "set max value for this parameter", name + " maximum not set"},
        {form->btnClearMinMax(1), "C", "clear min and max", name + " clear limits"},
    };
    for (const auto& [button, text, hint, accessible] : buttons) {
        EXPECT_EQ(button->text(), text);
        EXPECT_EQ(button->toolTip(), hint);
        EXPECT_EQ(button->accessibleDescription(), hint);
        EXPECT_EQ(button->accessibleName(), accessible);
    }

    // Slots of other kinds hold nothing.
    EXPECT_EQ(form->trkPot(4), nullptr);
    EXPECT_EQ(form->swtSwitch(3), nullptr);
    EXPECT_EQ(form->cmbMultiSwitch(5), nullptr);
    EXPECT_EQ(form->btnMin(4), nullptr);
    EXPECT_EQ(form->boxAssign(7), nullptr);
    EXPECT_EQ(form->lblSwitchState(6), nullptr);
}

TEST_F(Build, EditableFlagDecidesWhichControlsStartEnabled) {
    addEffect("Example", example_descriptor());
    for (const bool editable : {false, true}) {
        ASSERT_TRUE(showEffect("Example", editable));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(form->trkPot(i)->isEnabled(), editable) << i;
        EXPECT_EQ(form->swtSwitch(4)->isEnabled(), editable);
        EXPECT_EQ(form->swtSwitch(5)->isEnabled(), editable);
        EXPECT_EQ(form->cmbMultiSwitch(6)->isEnabled(), editable);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(form->boxAssign(i)->isEnabled(), editable) << i;
            EXPECT_EQ(form->chkReverse(i)->isEnabled(), editable) << i;
            EXPECT_TRUE(form->lblName(i)->isEnabled()) << i;
        }
        EXPECT_TRUE(form->lblSwitchState(4)->isEnabled());
        for (int i = 0; i < 4; ++i) {
            EXPECT_FALSE(form->btnMin(i)->isEnabled()) << i;
            EXPECT_FALSE(form->btnMax(i)->isEnabled()) << i;
            EXPECT_FALSE(form->btnClearMinMax(i)->isEnabled()) << i;
        }
    }
}

TEST_F(Build, WindowHeightRowsAndSeparatorFollowTheParameterCount) {
    struct Case {
        QStringList descriptor;
        int height;
        int lastRowY;
        int separator;
    };
    const Case cases[] = {
        {counted_descriptor(3, 0, 0), 135, 60, 73}, // 3 × 24.5 = 73.5
        {counted_descriptor(10, 12, 2), 660, 585, 588},
        {counted_descriptor(1, 0, 0), 85, 10, 24},
    };
    for (const Case& c : cases) {
        addEffect("Sized", c.descriptor);
        ASSERT_TRUE(showEffect("Sized", false));
        const int T = static_cast<int>(params.paramCount);
        EXPECT_EQ(form->height(), c.height) << T;
        EXPECT_EQ(form->width(), 499);
        for (int i = 0; i < T; ++i)
            EXPECT_EQ(form->boxAssign(i)->y(), 25 * i + 10) << i;
        EXPECT_EQ(form->lblName(T - 1)->y(), c.lastRowY);
        EXPECT_EQ(form->chkReverse(T - 1)->y(), c.lastRowY);
        EXPECT_EQ(form->lnSeparator()->height(), c.separator) << T;
    }
}

TEST_F(Build, RebuildWithFewerParametersKeepsHigherSlotsAndMakesNoControlsForThem) {
    addEffect("Big", counted_descriptor(10, 12, 2));
    addEffect("Small", {"300", "A", "B", "C", "", ""});
    ASSERT_TRUE(showEffect("Big", true));
    params.minLimits[0] = 100;
    params.assignedFlags[2] = 1;
    params.statusValues = {1, 2, 3};

    ASSERT_TRUE(showEffect("Small", true));
    EXPECT_EQ(closedCount, 1); // the visible window was closed first
    EXPECT_EQ(params.paramCount, 3u);
    EXPECT_EQ(params.paramNames[0], "A");
    EXPECT_EQ(params.paramNames[2], "C");
    EXPECT_EQ(params.paramNames[3], "Pot 3");
    EXPECT_EQ(params.paramNames[23], "Multi 23;a;b;c");
    EXPECT_EQ(params.switchTexts[0][10], "Off 10");
    EXPECT_EQ(params.switchTexts[1][21], "On 21");
    EXPECT_EQ(params.optionCounts[22], 3u);
    // A build leaves the status, assignments and limits alone.
    EXPECT_EQ(params.minLimits[0], 100u);
    EXPECT_EQ(params.assignedFlags[2], 1);
    EXPECT_EQ(params.statusValues, (std::vector<std::int32_t>{1, 2, 3}));

    EXPECT_EQ(controls().size(), 3 * 5 + 3 + 3 + 1);
    for (int i = 3; i < kParamSlots; ++i) {
        EXPECT_EQ(form->lblName(i), nullptr) << i;
        EXPECT_EQ(form->boxAssign(i), nullptr) << i;
        EXPECT_EQ(form->chkReverse(i), nullptr) << i;
        EXPECT_EQ(form->trkPot(i), nullptr) << i;
        EXPECT_EQ(form->swtSwitch(i), nullptr) << i;
        EXPECT_EQ(form->cmbMultiSwitch(i), nullptr) << i;
    }
}

TEST_F(Build, RefusedDescriptorLeavesNoWindowAndNoStateChange) {
    addEffect("Good", example_descriptor());
    ASSERT_TRUE(showEffect("Good", true));
    const QStringList faulty[] = {
        {"3a0", "A", "B", "C"},
        {"30", "A", "B", "C"},
        {"021", "Boost", "Clip", "Mode;x"},
        {"AC3"},
        {"300", "A", "B"},
        {"111", "A", "Boost", "Tracking"},
        {},
    };
    for (const QStringList& descriptor : faulty) {
        for (const bool shownBefore : {false, true}) {
            form->close();
            closedCount = 0;
            if (shownBefore) {
                ASSERT_TRUE(showEffect("Good", true));
            }
            dialogs.messages.clear();
            addEffect("Bad One", descriptor);

            EXPECT_FALSE(showEffect("Bad One", true));
            const QString context = descriptor.join('|');
            EXPECT_FALSE(form->isVisible()) << context.toStdString();
            EXPECT_FALSE(form->isBuilt());
            EXPECT_TRUE(controls().isEmpty()) << context.toStdString();
            EXPECT_EQ(closedCount, shownBefore ? 1 : 0);
            ASSERT_EQ(dialogs.messages.size(), 1) << context.toStdString();
            EXPECT_TRUE(
                dialogs.messages[0].startsWith("Control descriptor Bad_One_ctrls refused: "))
                << dialogs.messages[0].toStdString();
            EXPECT_EQ(log.lines.last(), dialogs.messages[0]);
            // The state still describes the good effect.
            EXPECT_EQ(params.paramCount, 7u);
            EXPECT_EQ(params.paramNames[0], "Gain");
        }
    }
}

TEST_F(Build, RefusedProgramLeavesNoWindow) {
    addEffect("Good", example_descriptor());
    resources.insert("SHORT_CTRLS", {"100", "Gain"});
    resources.insert("SHORT", {program_text(numbered_addresses(), 0).left(120)});
    ASSERT_TRUE(showEffect("Good", true));

    EXPECT_FALSE(showEffect("Short", true));
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(controls().isEmpty());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].startsWith("Effect program Short refused: "));
    EXPECT_EQ(log.lines.last(), dialogs.messages[0]);
    EXPECT_EQ(params.paramCount, 7u);
    EXPECT_EQ(params.paramAddresses, numbered_addresses());
}

TEST_F(Build, MissingResourceEndsTheCommandThroughTheGeneralErrorReport) {
    addEffect("Good", example_descriptor());
    resources.insert("HALF_CTRLS", {"100", "Gain"}); // descriptor without a program
    const std::pair<const char*, const char*> cases[] = {
        {"Nowhere", "Resource Nowhere_ctrls not found"},
        {"Half", "Resource Half not found"},
        {"", "Resource _ctrls not found"},
    };
    for (const auto& [effect, message] : cases) {
        ASSERT_TRUE(showEffect("Good", true));
        dialogs.messages.clear();
        // A structured binding is not captured by a lambda before C++20 compilers caught up.
        const QString name = QString::fromLatin1(effect);
        runGuarded(dialogs, [&] { showEffect(name, true); });
        EXPECT_EQ(dialogs.messages, QStringList{QString::fromLatin1(message)});
        EXPECT_FALSE(form->isVisible()) << effect;
        EXPECT_TRUE(controls().isEmpty()) << effect;
        EXPECT_EQ(params.paramCount, 7u) << effect;
        EXPECT_EQ(params.paramNames[0], "Gain") << effect;
    }
}

TEST_F(Build, ClosingDestroysControlsKeepsArraysAndTellsTheMainWindow) {
    addEffect("Example", example_descriptor());
    ASSERT_TRUE(showEffect("Example", true));
    form->close(); // as the window's close button does
    EXPECT_EQ(closedCount, 1);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->isBuilt());
    EXPECT_TRUE(controls().isEmpty());
    EXPECT_EQ(form->trkPot(0), nullptr);
    EXPECT_EQ(form->lnSeparator(), nullptr);
    EXPECT_EQ(params.paramCount, 7u);
    EXPECT_EQ(params.switchTexts[1][4], "ON");
    EXPECT_EQ(params.optionCounts[6], 4u);

    // Showing again rebuilds everything from the descriptor.
    ASSERT_TRUE(showEffect("Example", true));
    EXPECT_EQ(controls().size(), 43);
}

} // namespace
} // namespace brivo::test
