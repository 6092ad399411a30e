#include "config/ConfigWindow.h"

#include "params/ParamMessages.h"
#include "params/ParamState.h"
#include "params/StatusRecord.h"
#include "params/TformFXParameters.h"
#include "params/ToggleSwitch.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSlider>
#include <algorithm>

namespace brivo {

namespace {
int controller_index(const QString& name) {
    const auto it = std::find(controllerNames.begin(), controllerNames.end(), name);
    return static_cast<int>(it - controllerNames.begin());
}
} // namespace

ConfigSettings gather_config(const TformFXParameters& form, const ParamState& params) {
    const int T = std::min(static_cast<int>(params.paramCount), kParamSlots);
    const int P = std::min(static_cast<int>(params.potCount), T);
    ConfigSettings settings;
    for (int i = 0; i < T; ++i) {
        settings.values.push_back(
            i < static_cast<int>(params.statusValues.size()) ? params.statusValues[i] : 0);
        QString name = controllerNames[kNotAssigned];
        for (int r = 0; r < kControllerCount; ++r) {
            if (params.assignMatrix[r][i] != 0) {
                name = controllerNames[r];
                break;
            }
        }
        settings.assignments.append(name);
        settings.reversed.push_back(params.reverseFlags[static_cast<std::size_t>(i)]);
    }
    for (int j = 0; j < P; ++j) {
        const QPushButton* min = form.btnMin(j);
        const QPushButton* max = form.btnMax(j);
        settings.minPercents.push_back(
            shown_limit_percent(min != nullptr ? min->text() : QString(), params.minLimits[j]));
        settings.maxPercents.push_back(
            shown_limit_percent(max != nullptr ? max->text() : QString(), params.maxLimits[j]));
    }
    return settings;
}

std::vector<int> apply_config(TformFXParameters& form, ParamState& params,
                              const ConfigSettings& settings) {
    const int T = static_cast<int>(settings.values.size());
    const int P = static_cast<int>(settings.minPercents.size());
    if (static_cast<int>(params.statusValues.size()) < T)
        params.statusValues.resize(static_cast<std::size_t>(T));
    for (int i = 0; i < T; ++i) {
        const std::int32_t value = settings.values[i];
        params.statusValues[i] = value;
        if (QSlider* pot = form.trkPot(i)) {
            pot->setValue(value); // the slider keeps it within 0 to 1023
        } else if (ToggleSwitch* toggle = form.swtSwitch(i)) {
            toggle->setChecked(value > 0);
            form.showSwitchState(i);
        } else if (QComboBox* multi = form.cmbMultiSwitch(i)) {
            multi->setCurrentIndex(multi_switch_index(value, params.optionCounts[i]));
        }
    }
    for (int i = 0; i < T; ++i) {
        // "NA" shows as an empty box, as after a status from the pedal.
        const int controller = controller_index(settings.assignments[i]);
        if (QComboBox* box = form.boxAssign(i))
            box->setCurrentIndex(controller == kNotAssigned ? -1 : controller);
        // A box already on this entry raises no change, and an emptied box
        // keeps the flag: the column and flag must still say what the file says.
        apply_assignment_choice(params, i, controller);
        params.reverseFlags[static_cast<std::size_t>(i)] = settings.reversed[i];
        if (QCheckBox* reverse = form.chkReverse(i))
            reverse->setChecked(settings.reversed[i]);
    }
    std::vector<int> limited;
    for (int j = 0; j < P; ++j) {
        const bool assigned = params.assignedFlags[j] == 1;
        if (assigned) {
            params.minLimits[j] = limit_of_percent(settings.minPercents[j], LimitKind::Minimum);
            params.maxLimits[j] = limit_of_percent(settings.maxPercents[j], LimitKind::Maximum);
            limited.push_back(j);
        }
        // What the pedal will hold: the file's percentage, but for a maximum
        // of 1%, which it cannot hold.
        const std::array<std::pair<QPushButton*, int>, 2> buttons = {
            std::pair{form.btnMin(j), limit_percent(params.minLimits[j])},
            std::pair{form.btnMax(j), limit_percent(params.maxLimits[j])}};
        for (const auto& [button, percent] : buttons) {
            if (button == nullptr)
                continue;
            button->setText(assigned ? QString::number(percent) + QStringLiteral("%")
                                     : QStringLiteral("-"));
        }
    }
    form.offerLimits();
    form.refreshAccessibleNames();
    return limited;
}

ShownSettings shown_settings(const TformFXParameters& form, const ParamState& params) {
    ShownSettings shown;
    shown.statusValues = params.statusValues;
    shown.minLimits = params.minLimits;
    shown.maxLimits = params.maxLimits;
    for (int i = 0; i < kParamSlots; ++i) {
        std::int32_t control = 0;
        if (const QSlider* pot = form.trkPot(i))
            control = pot->value();
        else if (const ToggleSwitch* toggle = form.swtSwitch(i))
            control = toggle->isChecked() ? 1 : 0;
        else if (const QComboBox* multi = form.cmbMultiSwitch(i))
            control = multi->currentIndex();
        shown.controls.push_back(control);
        const QPushButton* min = form.btnMin(i);
        const QPushButton* max = form.btnMax(i);
        shown.minTexts.push_back(min != nullptr ? min->text() : QString());
        shown.maxTexts.push_back(max != nullptr ? max->text() : QString());
    }
    return shown;
}

void restore_unsent(TformFXParameters& form, ParamState& params, const ShownSettings& held,
                    const std::vector<ParamChange>& unsent) {
    const auto quiet = form.quietChanges();
    for (const ParamChange& change : unsent) {
        const int i = change.slot;
        const auto slot = static_cast<std::size_t>(i);
        if (i < 0 || i >= kParamSlots)
            continue;
        switch (change.kind) {
        case ParamChange::Kind::Value:
            if (slot < params.statusValues.size())
                params.statusValues[slot] =
                    slot < held.statusValues.size() ? held.statusValues[slot] : 0;
            if (QSlider* pot = form.trkPot(i)) {
                pot->setValue(held.controls[slot]);
            } else if (ToggleSwitch* toggle = form.swtSwitch(i)) {
                toggle->setChecked(held.controls[slot] != 0);
                form.showSwitchState(i);
            } else if (QComboBox* multi = form.cmbMultiSwitch(i)) {
                multi->setCurrentIndex(held.controls[slot]);
            }
            break;
        case ParamChange::Kind::Minimum:
            params.minLimits[slot] = held.minLimits[slot];
            if (QPushButton* button = form.btnMin(i))
                button->setText(held.minTexts[slot]);
            break;
        case ParamChange::Kind::Maximum:
            params.maxLimits[slot] = held.maxLimits[slot];
            if (QPushButton* button = form.btnMax(i))
                button->setText(held.maxTexts[slot]);
            break;
        }
    }
    form.refreshAccessibleNames();
}

QString partial_load_text(const ParamState& params, const std::vector<ParamChange>& sent,
                          const std::vector<ParamChange>& unsent, const QString& failure) {
    const auto names = [&params](const std::vector<ParamChange>& changes) {
        QStringList list;
        for (const ParamChange& change : changes) {
            const QString name = change.slot >= 0 && change.slot < kParamSlots
                                     ? params.paramNames[static_cast<std::size_t>(change.slot)]
                                     : QString::number(change.slot);
            switch (change.kind) {
            case ParamChange::Kind::Value:
                list.append(name);
                break;
            case ParamChange::Kind::Minimum:
                list.append(name + QStringLiteral(" minimum"));
                break;
            case ParamChange::Kind::Maximum:
                list.append(name + QStringLiteral(" maximum"));
                break;
            }
        }
        return list.join(QStringLiteral(", "));
    };
    const QString none = QStringLiteral("nothing");
    return QStringLiteral("The configuration file was loaded only in part: the link failed (%1). "
                          "Sent to the pedal: %2. Not sent: %3. The window shows the settings as "
                          "sent; load the file again once the pedal is connected.")
        .arg(failure, sent.empty() ? none : names(sent), unsent.empty() ? none : names(unsent));
}

} // namespace brivo
