#include "FXParametersFixture.h"
#include "params/ToggleSwitch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>

namespace brivo::test {
namespace {

// The example effect (4 pots, 2 switches, 1 multi-switch) shown editable.
class Events : public FXParametersFixture {
  protected:
    void SetUp() override {
        FXParametersFixture::SetUp();
        addEffect("Example", example_descriptor());
        ASSERT_TRUE(showEffect("Example", true));
        QObject::connect(form.get(), &TformFXParameters::potChanged,
                         [this](int i) { events.append(QStringLiteral("pot %1").arg(i)); });
        QObject::connect(form.get(), &TformFXParameters::switchClicked,
                         [this](int i) { events.append(QStringLiteral("switch %1").arg(i)); });
        QObject::connect(form.get(), &TformFXParameters::multiSwitchChanged,
                         [this](int i) { events.append(QStringLiteral("multi %1").arg(i)); });
        QObject::connect(form.get(), &TformFXParameters::assignChanged,
                         [this](int i) { events.append(QStringLiteral("assign %1").arg(i)); });
        QObject::connect(form.get(), &TformFXParameters::limitClicked, [this](int i, int code) {
            events.append(QStringLiteral("limit %1 %2").arg(i).arg(code));
        });
    }

    QStringList events;
};

TEST_F(Events, ControlsReportTheirParameterIndex) {
    form->trkPot(2)->setValue(512);
    form->trkPot(2)->setValue(512); // no change, no event
    form->swtSwitch(5)->click();
    form->swtSwitch(4)->setChecked(true); // from code: no click
    form->cmbMultiSwitch(6)->setCurrentIndex(2);
    form->cmbMultiSwitch(6)->setCurrentIndex(-1); // the program's own changes count too
    form->btnMin(3)->setEnabled(true);
    form->btnMax(3)->setEnabled(true);
    form->btnClearMinMax(0)->setEnabled(true);
    form->btnMin(3)->click();
    form->btnMax(3)->click();
    form->btnClearMinMax(0)->click();
    form->btnMin(1)->click(); // disabled: nothing
    EXPECT_EQ(events, QStringList({"pot 2", "switch 5", "multi 6", "multi 6", "limit 3 0",
                                   "limit 3 1", "limit 0 2"}));
}

TEST_F(Events, FindParameterComparesIdentityWithinEachKindsRange) {
    using Kind = TformFXParameters::Kind;
    const std::tuple<QObject*, Kind, int> cases[] = {
        {form->trkPot(0), Kind::Pot, 0},
        {form->trkPot(3), Kind::Pot, 3},
        {form->swtSwitch(4), Kind::Switch, 4},
        {form->swtSwitch(5), Kind::Switch, 5},
        {form->cmbMultiSwitch(6), Kind::MultiSwitch, 6},
        {form->boxAssign(0), Kind::Assign, 0},
        {form->boxAssign(6), Kind::Assign, 6},
        {form->btnMin(2), Kind::MinButton, 2},
        {form->btnMax(1), Kind::MaxButton, 1},
        {form->btnClearMinMax(3), Kind::ClearButton, 3},
        // Another kind's control, a label, nothing: not found.
        {form->trkPot(1), Kind::Assign, -1},
        {form->btnMin(2), Kind::MaxButton, -1},
        {form->cmbMultiSwitch(6), Kind::Assign, -1},
        {form->lblName(0), Kind::Pot, -1},
        {nullptr, Kind::Pot, -1},
    };
    for (const auto& [sender, kind, index] : cases)
        EXPECT_EQ(form->findParameter(sender, kind), index) << index;
}

TEST_F(Events, AssignmentBoxRewritesTheColumnAndTheLimitButtonsFollowAtOnce) {
    params.assignMatrix[4][3] = 1;
    form->boxAssign(3)->setCurrentIndex(2); // "II"
    EXPECT_EQ(params.assignMatrix[2][3], 1u);
    EXPECT_EQ(params.assignMatrix[4][3], 0u);
    EXPECT_EQ(params.assignedFlags[3], 1);
    // A newly assigned pot gets working limit buttons.
    EXPECT_TRUE(form->btnMin(3)->isEnabled());
    EXPECT_TRUE(form->btnMax(3)->isEnabled());
    EXPECT_TRUE(form->btnClearMinMax(3)->isEnabled());
    form->btnMax(3)->setText("80%");

    form->boxAssign(3)->setCurrentIndex(-1); // nothing: column cleared, flag kept
    EXPECT_EQ(params.assignMatrix[2][3], 0u);
    EXPECT_EQ(params.assignedFlags[3], 1);

    form->boxAssign(3)->setCurrentIndex(6); // "SW"
    EXPECT_EQ(params.assignMatrix[6][3], 1u);
    form->boxAssign(3)->setCurrentIndex(7); // "NA": column and flag cleared
    for (int r = 0; r < kControllerCount; ++r)
        EXPECT_EQ(params.assignMatrix[r][3], 0u) << r;
    EXPECT_EQ(params.assignedFlags[3], 0);
    // A pot set to "NA" loses them.
    EXPECT_FALSE(form->btnMin(3)->isEnabled());
    EXPECT_FALSE(form->btnMax(3)->isEnabled());
    EXPECT_FALSE(form->btnClearMinMax(3)->isEnabled());
    EXPECT_EQ(form->btnMax(3)->text(), "-");
    EXPECT_EQ(events, QStringList({"assign 3", "assign 3", "assign 3", "assign 3"}));

    // A locked window's boxes change only by the program: the buttons stay
    // as the next status or EnableDisableControls leaves them.
    form->EnableDisableControls(false);
    form->boxAssign(3)->setCurrentIndex(1);
    EXPECT_FALSE(form->btnMin(3)->isEnabled());
}

TEST_F(Events, EnableDisableControlsLetsLimitButtonsFollowTheAssignment) {
    params.assignedFlags[1] = 1;
    for (const bool enable : {false, true}) {
        form->EnableDisableControls(enable);
        EXPECT_EQ(form->trkPot(0)->isEnabled(), enable);
        EXPECT_EQ(form->swtSwitch(4)->isEnabled(), enable);
        EXPECT_EQ(form->cmbMultiSwitch(6)->isEnabled(), enable);
        EXPECT_EQ(form->boxAssign(6)->isEnabled(), enable);
        EXPECT_EQ(form->chkReverse(6)->isEnabled(), enable);
        EXPECT_EQ(form->lblName(0)->isEnabled(), enable);
        EXPECT_EQ(form->lblSwitchState(4)->isEnabled(), enable);
        EXPECT_EQ(form->lnSeparator()->isEnabled(), enable);
        for (int i = 0; i < 4; ++i) {
            const bool assigned = i == 1;
            EXPECT_EQ(form->btnMin(i)->isEnabled(), assigned) << i << enable;
            EXPECT_EQ(form->btnMax(i)->isEnabled(), assigned) << i << enable;
            EXPECT_EQ(form->btnClearMinMax(i)->isEnabled(), assigned) << i << enable;
        }
    }
}

TEST_F(Events, SwitchStateLabelAndReverseFlagsReadTheControls) {
    form->swtSwitch(4)->setChecked(true);
    form->showSwitchState(4);
    EXPECT_EQ(form->lblSwitchState(4)->text(), "ON");
    form->swtSwitch(4)->setChecked(false);
    form->showSwitchState(4);
    EXPECT_EQ(form->lblSwitchState(4)->text(), "OFF");
    form->showSwitchState(0); // a pot: nothing to show, no crash

    form->chkReverse(2)->setChecked(true);
    form->chkReverse(6)->setChecked(true);
    const auto& flags = params.reverseFlags;
    for (int i = 0; i < kParamSlots; ++i)
        EXPECT_EQ(flags[i], i == 2 || i == 6) << i;
}

TEST(ToggleSwitch, ClicksOnlyWhenTheUserClicks) {
    ToggleSwitch toggle;
    toggle.resize(40, 20);
    QList<bool> clicks;
    QObject::connect(&toggle, &ToggleSwitch::clicked,
                     [&](bool checked) { clicks.append(checked); });
    toggle.setChecked(true);
    toggle.setChecked(false);
    EXPECT_TRUE(clicks.isEmpty());

    const QPointF inside(20, 10);
    QMouseEvent press(QEvent::MouseButtonPress, inside, inside, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, inside, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(&toggle, &press);
    QCoreApplication::sendEvent(&toggle, &release);
    EXPECT_TRUE(toggle.isChecked());
    EXPECT_EQ(clicks, QList<bool>{true}); // the new state is taken before the click

    // Its two states look different.
    const QImage on = toggle.grab().toImage();
    toggle.setChecked(false);
    const QImage off = toggle.grab().toImage();
    EXPECT_NE(on, off);
}

// The assignment table carries reverse flags for parameters 0 to 15 only:
// the boxes of 16 to 23 would reach nothing on the pedal, so they stay
// locked, with a hint saying why, whatever unlocks the window.
TEST_F(FXParametersFixture, ReverseBoxesBeyondTheSixteenthStayLockedWithAHint) {
    addEffect("Wide", counted_descriptor(10, 12, 2));
    ASSERT_TRUE(showEffect("Wide", true));
    ASSERT_EQ(params.paramCount, 24u);
    for (const bool enable : {true, false, true}) {
        form->EnableDisableControls(enable);
        for (int i = 0; i < 24; ++i) {
            QCheckBox* reverse = form->chkReverse(i);
            ASSERT_NE(reverse, nullptr) << i;
            EXPECT_EQ(reverse->isEnabled(), enable && i < 16) << i;
            EXPECT_EQ(reverse->toolTip().contains("first 16 parameters only"), i >= 16) << i;
            EXPECT_EQ(reverse->geometry(), QRect(360, 25 * i + 10, 20, 20)) << i;
        }
    }
}

} // namespace
} // namespace brivo::test
