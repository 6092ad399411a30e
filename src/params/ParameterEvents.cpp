#include "params/ParameterEvents.h"

#include "base/Dialogs.h"
#include "base/Flags.h"
#include "base/Guard.h"
#include "base/Log.h"
#include "link/MessageExchange.h"
#include "params/ParamMessages.h"
#include "params/ParamState.h"
#include "params/TformFXParameters.h"
#include "params/ToggleSwitch.h"

#include <QComboBox>
#include <QPushButton>
#include <QSlider>

namespace brivo {

namespace {
// Set-parameter and limit messages are seven bytes.
constexpr int kParamMessageBytes = 7;
constexpr int kLimitMinimum = 0;
constexpr int kLimitMaximum = 1;
constexpr int kLimitClear = 2;
const QString kMinAboveMaxText = QStringLiteral("Cannot set a MIN value higher than a MAX value");
const QString kMaxBelowMinText = QStringLiteral("Cannot set a MAX value lower than a MIN value");
} // namespace

ParameterEvents::ParameterEvents(TformFXParameters& window, ParamState& params,
                                 MessageExchange& exchange, Log& log, Dialogs& dialogs,
                                 const Flags& flags)
    : QObject(&window), window_(window), params_(params), exchange_(exchange), log_(log),
      dialogs_(dialogs), flags_(flags) {
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
    if (flags_.liveLoopRunning)
        return;
    const QString message = set_parameter_hex(params_.paramAddresses[static_cast<std::size_t>(i)],
                                              pot_value(window_.trkPot(i)->value()));
    log_.log_line(QStringLiteral("data sent pot %1: ").arg(i) + message);
    exchange_.send(message, kParamMessageBytes, false, 0);
}

void ParameterEvents::SwitchParameterClick(int i) {
    if (flags_.liveLoopRunning)
        return;
    const QString message = set_parameter_hex(params_.paramAddresses[static_cast<std::size_t>(i)],
                                              switch_value(window_.swtSwitch(i)->isChecked()));
    log_.append_line(QStringLiteral("data sent switch %1: ").arg(i) + message);
    exchange_.send(message, kParamMessageBytes, false, 0);
    window_.showSwitchState(i);
}

void ParameterEvents::MultiSwitchOnChange(int i) {
    const auto slot = static_cast<std::size_t>(i);
    const QString message = set_parameter_hex(
        params_.paramAddresses[slot],
        multi_switch_value(window_.cmbMultiSwitch(i)->currentIndex(), params_.optionCounts[slot]));
    log_.log_line(QStringLiteral("data sent multiswitch %1: ").arg(i) + message);
    exchange_.send(message, kParamMessageBytes, false, 0);
}

void ParameterEvents::limitAction(int j, int code) {
    const auto slot = static_cast<std::size_t>(j);
    if (code == kLimitClear) {
        window_.btnMin(j)->setText(QStringLiteral("-"));
        window_.btnMax(j)->setText(QStringLiteral("-"));
        params_.minLimits[slot] = 0;
        params_.maxLimits[slot] = kValueMax;
        sendLimit(j, kLimitMinimum, 0);
        sendLimit(j, kLimitMaximum, kValueMax);
        return;
    }
    const std::int32_t v = pot_value(window_.trkPot(j)->value());
    const QString percent = limit_button_text(v);
    if (code == kLimitMinimum) {
        if (v > static_cast<std::int32_t>(params_.maxLimits[slot])) {
            dialogs_.showMessage(kMinAboveMaxText);
            return;
        }
        params_.minLimits[slot] = static_cast<std::uint32_t>(v);
        window_.btnMin(j)->setText(percent);
        sendLimit(j, kLimitMinimum, v);
    } else {
        if (v < static_cast<std::int32_t>(params_.minLimits[slot])) {
            dialogs_.showMessage(kMaxBelowMinText);
            return;
        }
        params_.maxLimits[slot] = static_cast<std::uint32_t>(v);
        window_.btnMax(j)->setText(percent);
        sendLimit(j, kLimitMaximum, v);
    }
}

void ParameterEvents::sendLimit(int j, int which, std::int32_t value) {
    send_limit(exchange_, log_, j, which == kLimitMaximum, value);
}

void send_limit(MessageExchange& exchange, Log& log, int j, bool maximum, std::int32_t value) {
    log.log_line(QStringLiteral("valstr: ") + value_word_hex(value));
    const QString message = limit_hex(j, maximum ? LimitKind::Maximum : LimitKind::Minimum, value);
    exchange.send(message, kParamMessageBytes, true, 0);
}

} // namespace brivo
