#include "params/StatusDisplay.h"

#include "params/ParamMessages.h"
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

int parameterCount(const ParamState& params) {
    return std::min(static_cast<int>(params.paramCount), kParamSlots);
}

} // namespace

void apply_status_values(TformFXParameters& form, ParamState& params,
                         const std::vector<std::uint8_t>& statusBytes) {
    const StatusRecord record = decode_status_record(statusBytes, params.paramCount);
    const auto quiet = form.quietChanges();
    params.statusValues = record.values;
    const int P = static_cast<int>(params.potCount);
    const int S = static_cast<int>(params.switchCount);
    const int T = parameterCount(params);
    for (int i = 0; i < std::min(P, T); ++i)
        if (QSlider* pot = form.trkPot(i))
            pot->setValue(params.statusValues[i]); // the slider keeps it within 0 to 1023
    for (int i = P; i < std::min(P + S, T); ++i) {
        ToggleSwitch* toggle = form.swtSwitch(i);
        if (toggle == nullptr)
            continue;
        if (params.statusValues[i] == 0)
            toggle->setChecked(false);
        else if (params.statusValues[i] > 0)
            toggle->setChecked(true);
        form.showSwitchState(i);
    }
    for (int i = P + S; i < T; ++i)
        if (QComboBox* multi = form.cmbMultiSwitch(i))
            multi->setCurrentIndex(
                multi_switch_index(params.statusValues[i], params.optionCounts[i]));
}

void apply_status_assignments(TformFXParameters& form, ParamState& params,
                              const std::vector<std::uint8_t>& statusBytes) {
    const StatusRecord record = decode_status_record(statusBytes, params.paramCount);
    const auto quiet = form.quietChanges();
    const int T = parameterCount(params);
    for (auto& row : params.assignMatrix)
        row.fill(0);
    for (int r = 0; r < kControllerCount; ++r) {
        for (int c = 0; c < kParamSlots; ++c) {
            params.assignMatrix[r][c] = record.matrix[r][c];
            if (record.matrix[r][c] == 0 || c >= T)
                continue;
            // The box's change handling rewrites the column to this controller alone.
            if (QComboBox* box = form.boxAssign(c))
                box->setCurrentIndex(r);
            params.assignedFlags[c] = 1;
        }
    }
    for (int c = 0; c < T; ++c) {
        QComboBox* box = form.boxAssign(c);
        if (box != nullptr && box->currentIndex() == kNotAssigned)
            box->setCurrentIndex(-1);
    }
}

void apply_status_reverse_flags(TformFXParameters& form, ParamState& params,
                                const std::vector<std::uint8_t>& statusBytes) {
    const StatusRecord record = decode_status_record(statusBytes, params.paramCount);
    const int T = parameterCount(params);
    for (int c = 0; c < T; ++c) {
        params.reverseFlags[static_cast<std::size_t>(c)] = record.reverse[c] != 0;
        if (QCheckBox* reverse = form.chkReverse(c))
            reverse->setChecked(record.reverse[c] != 0);
    }
}

void apply_status_limits(TformFXParameters& form, ParamState& params,
                         const std::vector<std::uint8_t>& statusBytes) {
    const StatusRecord record = decode_status_record(statusBytes, params.paramCount);
    const int P = std::min(static_cast<int>(params.potCount), parameterCount(params));
    for (int j = 0; j < P; ++j) {
        QPushButton* min = form.btnMin(j);
        QPushButton* max = form.btnMax(j);
        const bool assigned = params.assignedFlags[j] == 1;
        if (assigned) {
            params.minLimits[j] = min_limit_of_byte(record.minLimitBytes[j]);
            params.maxLimits[j] = max_limit_of_byte(record.maxLimitBytes[j]);
        }
        if (min != nullptr)
            min->setText(assigned
                             ? limit_button_text(static_cast<std::int32_t>(params.minLimits[j]))
                             : QStringLiteral("-"));
        if (max != nullptr)
            max->setText(assigned
                             ? limit_button_text(static_cast<std::int32_t>(params.maxLimits[j]))
                             : QStringLiteral("-"));
    }
    form.refreshAccessibleNames();
    form.offerLimits();
}

} // namespace brivo
