#include "params/StatusDisplay.h"
#include "FXParametersFixture.h"
#include "params/ToggleSwitch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace brivo::test {
namespace {

// A status record for T parameters; fields are written by offset.
struct StatusBytes {
    explicit StatusBytes(int T) : T(T), bytes(4 * T + 288, 0) {}
    void value(int i, std::uint32_t word) {
        for (int k = 0; k < 4; ++k)
            bytes[4 * i + k] = static_cast<std::uint8_t>(word >> (24 - 8 * k));
    }
    std::uint8_t& matrix(int r, int c) { return bytes[4 * T + 24 * r + c]; }
    std::uint8_t& reverse(int c) { return bytes[4 * T + 168 + c]; }
    std::uint8_t& minLimit(int c) { return bytes[4 * T + 240 + c]; }
    std::uint8_t& maxLimit(int c) { return bytes[4 * T + 264 + c]; }
    int T;
    std::vector<std::uint8_t> bytes;
};

// The example effect (4 pots, 2 switches, 1 multi-switch with 4 options).
class StatusDisplay : public FXParametersFixture {
  protected:
    void SetUp() override {
        FXParametersFixture::SetUp();
        addEffect("Example", example_descriptor());
        ASSERT_TRUE(showEffect("Example", true));
        QObject::connect(form.get(), &TformFXParameters::potChanged,
                         [this](int i) { events.append(QStringLiteral("pot %1").arg(i)); });
        QObject::connect(form.get(), &TformFXParameters::multiSwitchChanged,
                         [this](int i) { events.append(QStringLiteral("multi %1").arg(i)); });
        QObject::connect(form.get(), &TformFXParameters::switchClicked,
                         [this](int i) { events.append(QStringLiteral("switch %1").arg(i)); });
    }
    QStringList events;
};

TEST_F(StatusDisplay, ValuesMoveControlsWithoutRaisingParameterEvents) {
    form->swtSwitch(5)->setChecked(true);
    StatusBytes s(7);
    s.value(0, 0x007FE000); // 1023
    s.value(1, 0xFFFFE000); // -1: a pot goes to 0
    s.value(2, 0x00400000); // 512
    s.value(3, 0x00001FFF); // 0
    s.value(4, 0x007FE000); // switch on
    s.value(5, 0xFFFFE000); // negative: the switch keeps its state
    s.value(6, 0x00600000); // 768 of 4 options: the fourth
    apply_status_values(*form, params, s.bytes);

    EXPECT_EQ(params.statusValues, (std::vector<std::int32_t>{1023, -1, 512, 0, 1023, -1, 768}));
    EXPECT_EQ(form->trkPot(0)->value(), 1023);
    EXPECT_EQ(form->trkPot(1)->value(), 0);
    EXPECT_EQ(form->trkPot(2)->value(), 512);
    EXPECT_TRUE(form->swtSwitch(4)->isChecked());
    EXPECT_EQ(form->lblSwitchState(4)->text(), "ON");
    EXPECT_TRUE(form->swtSwitch(5)->isChecked());
    EXPECT_EQ(form->lblSwitchState(5)->text(), "Hard");
    EXPECT_EQ(form->cmbMultiSwitch(6)->currentIndex(), 3);
    // A read never writes: the window's own moves raise no parameter event.
    EXPECT_TRUE(events.isEmpty()) << events.join('|').toStdString();
    // The player's moves afterwards do.
    form->trkPot(2)->setValue(600);
    form->cmbMultiSwitch(6)->setCurrentIndex(0);
    EXPECT_EQ(events, QStringList({"pot 2", "multi 6"}));
}

TEST_F(StatusDisplay, AssignmentsSelectBoxesAndKeepWhatThePedalDoesNotAssign) {
    form->boxAssign(5)->setCurrentIndex(4); // assigned in the window, not on the pedal
    form->boxAssign(6)->setCurrentIndex(7); // "NA"
    StatusBytes s(7);
    s.matrix(1, 0) = 1;
    s.matrix(3, 0) = 1; // several rows: the box ends on the last
    s.matrix(6, 2) = 5;
    s.matrix(2, 20) = 1; // beyond T: kept in the matrix only
    apply_status_assignments(*form, params, s.bytes);

    EXPECT_EQ(form->boxAssign(0)->currentIndex(), 3);
    EXPECT_EQ(form->boxAssign(2)->currentIndex(), 6);
    EXPECT_EQ(form->boxAssign(1)->currentIndex(), -1);
    EXPECT_EQ(form->boxAssign(5)->currentIndex(), 4);
    EXPECT_EQ(form->boxAssign(6)->currentIndex(), -1);
    EXPECT_EQ(params.assignedFlags[0], 1);
    EXPECT_EQ(params.assignedFlags[2], 1);
    EXPECT_EQ(params.assignedFlags[1], 0);
    EXPECT_EQ(params.assignedFlags[5], 1);
    EXPECT_EQ(params.assignedFlags[20], 0);
    for (int r = 0; r < kControllerCount; ++r) {
        EXPECT_EQ(params.assignMatrix[r][0], r == 3 ? 1u : 0u) << r;
        EXPECT_EQ(params.assignMatrix[r][2], r == 6 ? 1u : 0u) << r;
        // The pedal's zero rows cleared the window's own choice from the matrix.
        EXPECT_EQ(params.assignMatrix[r][5], 0u) << r;
    }
    EXPECT_EQ(params.assignMatrix[2][20], 1u);
}

TEST_F(StatusDisplay, ReverseFlagsBelowTOnly) {
    form->chkReverse(3)->setChecked(true);
    StatusBytes s(7);
    s.reverse(1) = 1;
    s.reverse(6) = 9;
    s.reverse(10) = 1;
    apply_status_reverse_flags(*form, params, s.bytes);
    for (int c = 0; c < 7; ++c)
        EXPECT_EQ(form->chkReverse(c)->isChecked(), c == 1 || c == 6) << c;
}

TEST_F(StatusDisplay, LimitsShowForAssignedPotsOnly) {
    params.assignedFlags[0] = 1;
    params.assignedFlags[2] = 1;
    params.assignedFlags[3] = 1;
    params.minLimits[1] = 77;
    params.maxLimits[1] = 900;
    form->btnMin(1)->setEnabled(true);
    form->btnMin(1)->setText("40%");
    StatusBytes s(7);
    s.minLimit(1) = 20; // pot 1 is not assigned: ignored
    s.minLimit(2) = 63;
    s.maxLimit(2) = 63;
    // Bytes past the scale are held to it: 255 would give 2048 and "200%".
    s.minLimit(3) = 255;
    s.maxLimit(3) = 255;
    apply_status_limits(*form, params, s.bytes);

    const std::tuple<int, const char*, std::uint32_t, const char*, std::uint32_t> expected[] = {
        {0, "1%", 0, "100%", 1023},
        // Read back as when set: the same limit shows the same percentage.
        {2, "51%", 512, "51%", 512},
        {3, "100%", 1023, "100%", 1023},
    };
    for (const auto& [j, minText, min, maxText, max] : expected) {
        EXPECT_EQ(form->btnMin(j)->text(), minText) << j;
        EXPECT_EQ(form->btnMax(j)->text(), maxText) << j;
        EXPECT_EQ(params.minLimits[j], min) << j;
        EXPECT_EQ(params.maxLimits[j], max) << j;
        EXPECT_TRUE(form->btnMin(j)->isEnabled()) << j;
        EXPECT_TRUE(form->btnMax(j)->isEnabled()) << j;
    }
    EXPECT_EQ(form->btnMin(1)->text(), "-");
    EXPECT_EQ(form->btnMax(1)->text(), "-");
    EXPECT_FALSE(form->btnMin(1)->isEnabled());
    EXPECT_FALSE(form->btnMax(1)->isEnabled());
    EXPECT_EQ(params.minLimits[1], 77u);
    EXPECT_EQ(params.maxLimits[1], 900u);
}

TEST_F(StatusDisplay, ShortRecordChangesNothing) {
    StatusBytes s(7);
    s.value(0, 0x007FE000);
    s.matrix(0, 0) = 1;
    s.bytes.pop_back();
    EXPECT_THROW(apply_status_values(*form, params, s.bytes), EditorError);
    EXPECT_THROW(apply_status_assignments(*form, params, s.bytes), EditorError);
    EXPECT_EQ(form->trkPot(0)->value(), 0);
    EXPECT_EQ(form->boxAssign(0)->currentIndex(), -1);
    EXPECT_TRUE(params.statusValues.empty());
}

TEST_F(StatusDisplay, ClosedWindowStillTakesTheValues) {
    form->close();
    StatusBytes s(7);
    s.value(2, 0x00400000);
    s.matrix(4, 1) = 1;
    apply_status_values(*form, params, s.bytes);
    apply_status_assignments(*form, params, s.bytes);
    apply_status_reverse_flags(*form, params, s.bytes);
    apply_status_limits(*form, params, s.bytes);
    EXPECT_EQ(params.statusValues[2], 512);
    EXPECT_EQ(params.assignMatrix[4][1], 1u);
    EXPECT_EQ(params.assignedFlags[1], 1);
}

} // namespace
} // namespace brivo::test
