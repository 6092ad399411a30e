#include "params/ParameterEvents.h"

#include "base/Dialogs.h"
#include "base/Guard.h"
#include "params/ParamMessages.h"
#include "params/ParamState.h"
#include "params/TformFXParameters.h"
#include "params/ToggleSwitch.h"
#include "session/PedalSession.h"

#include <QComboBox>
#include <QPushButton>
#include <QSlider>

namespace brivo {

namespace {
constexpr int kLimitMinimum = 0;
constexpr int kLimitClear = 2;
const QString kMinAboveMaxText = QStringLiteral("Cannot set a MIN value higher than a MAX value");
const QString kMaxBelowMinText = QStringLiteral("Cannot set a MAX value lower than a MIN value");
} // namespace

ParameterEvents::ParameterEvents(TformFXParameters& window, PedalSession& session, Dialogs& dialogs)
    : QObject(&window), window_(window), session_(session), dialogs_(dialogs) {
    connect(&window, &TformFXParameters::potChanged, this,
            [this](int i) { guarded([this, i] { PotParameterChange(i); }); });
    connect(&window, &TformFXParameters::switchClicked, this,
            [this](int i) { guarded([this, i] { SwitchParameterClick(i); }); });
    connect(&window, &TformFXParameters::multiSwitchChanged, this,
            [this](int i) { guarded([this, i] { MultiSwitchOnChange(i); }); });
    connect(&window, &TformFXParameters::limitClicked, this,
            [this](int j, int code) { guarded([this, j, code] { limitAction(j, code); }); });
}

void ParameterEvents::guarded(const std::function<void()>& handler) {
    runGuarded(dialogs_, handler);
}

void ParameterEvents::PotParameterChange(int i) {
    // While the live loop runs the pedal's own controls drive the window.
    if (session_.liveLoopRunning())
        return;
    session_.sendValue(i, pot_value(window_.trkPot(i)->value()));
}

void ParameterEvents::SwitchParameterClick(int i) {
    if (session_.liveLoopRunning())
        return;
    session_.sendValue(i, switch_value(window_.swtSwitch(i)->isChecked()));
    window_.showSwitchState(i);
}

void ParameterEvents::MultiSwitchOnChange(int i) {
    const auto slot = static_cast<std::size_t>(i);
    session_.sendValue(i, multi_switch_value(window_.cmbMultiSwitch(i)->currentIndex(),
                                             session_.params().optionCounts[slot]));
}

void ParameterEvents::limitAction(int j, int code) {
    const auto slot = static_cast<std::size_t>(j);
    const ParamState& params = session_.params();
    if (code == kLimitClear) {
        window_.btnMin(j)->setText(QStringLiteral("-"));
        window_.btnMax(j)->setText(QStringLiteral("-"));
        session_.clearLimits(j);
        return;
    }
    const std::int32_t v = pot_value(window_.trkPot(j)->value());
    const QString percent = limit_button_text(v);
    if (code == kLimitMinimum) {
        if (v > static_cast<std::int32_t>(params.maxLimits[slot])) {
            dialogs_.showMessage(kMinAboveMaxText);
            return;
        }
        window_.btnMin(j)->setText(percent);
        session_.setLimit(j, false, v);
    } else {
        if (v < static_cast<std::int32_t>(params.minLimits[slot])) {
            dialogs_.showMessage(kMaxBelowMinText);
            return;
        }
        window_.btnMax(j)->setText(percent);
        session_.setLimit(j, true, v);
    }
}

} // namespace brivo
