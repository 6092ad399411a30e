#include "config/ConfigOfStatus.h"

#include "params/ParamMessages.h"
#include "params/ParamState.h"
#include "params/StatusRecord.h"

#include <algorithm>

namespace brivo {

namespace {
int parameterCount(const ParamState& params) {
    return std::min(static_cast<int>(params.paramCount), kParamSlots);
}
int potCount(const ParamState& params) {
    return std::min(static_cast<int>(params.potCount), parameterCount(params));
}
int controllerIndex(const QString& name) {
    const auto it = std::find(controllerNames.begin(), controllerNames.end(), name);
    return static_cast<int>(it - controllerNames.begin());
}
} // namespace

std::optional<int> assigned_controller(const StatusRecord& record, int c) {
    std::optional<int> controller;
    for (int r = 0; r < kControllerCount; ++r)
        if (record.matrix[r][c] != 0)
            controller = r;
    return controller;
}

ConfigSettings config_of_status(const ParamState& params, const StatusRecord& record) {
    const int T = parameterCount(params);
    const int P = potCount(params);
    ConfigSettings settings;
    for (int i = 0; i < T; ++i) {
        settings.values.push_back(i < static_cast<int>(record.values.size()) ? record.values[i]
                                                                             : 0);
        const std::optional<int> controller = assigned_controller(record, i);
        settings.assignments.append(controllerNames[controller.value_or(kNotAssigned)]);
        settings.reversed.push_back(record.reverse[i] != 0);
    }
    for (int j = 0; j < P; ++j) {
        const bool assigned = assigned_controller(record, j).has_value();
        const std::uint32_t min =
            assigned ? min_limit_of_byte(record.minLimitBytes[j]) : params.minLimits[j];
        const std::uint32_t max =
            assigned ? max_limit_of_byte(record.maxLimitBytes[j]) : params.maxLimits[j];
        settings.minPercents.push_back(limit_percent(min));
        settings.maxPercents.push_back(limit_percent(max));
    }
    return settings;
}

std::vector<ConfigSend> config_values_to_send(const ParamState& params,
                                              const ConfigSettings& settings,
                                              const std::vector<std::int32_t>& shown) {
    const int T = std::min(parameterCount(params), static_cast<int>(settings.values.size()));
    const int P = static_cast<int>(params.potCount);
    const int S = static_cast<int>(params.switchCount);
    std::vector<ConfigSend> sends;
    for (int i = 0; i < T; ++i) {
        const std::int32_t value = settings.values[i];
        const auto slot = static_cast<std::size_t>(i);
        const auto showing = [&shown, slot](std::int32_t control) {
            return slot < shown.size() && shown[slot] == control;
        };
        if (i < P) {
            const std::int32_t position = std::clamp(value, 0, kValueMax);
            if (!showing(position))
                sends.push_back({i, position});
        } else if (i < P + S) {
            if (!showing(value > 0 ? 1 : 0))
                sends.push_back({i, switch_value(value > 0)});
        } else {
            const std::uint32_t options = params.optionCounts[slot];
            const int index = multi_switch_index(value, options);
            if (index >= 0 && !showing(index))
                sends.push_back({i, multi_switch_value(index, options)});
        }
    }
    return sends;
}

ConfigAssignment apply_config_assignments(ParamState& params, const ConfigSettings& settings) {
    ConfigAssignment result;
    const int T = std::min(parameterCount(params), static_cast<int>(settings.assignments.size()));
    for (int i = 0; i < T; ++i) {
        apply_assignment_choice(params, i, controllerIndex(settings.assignments[i]));
        result.reversed[i] = i < static_cast<int>(settings.reversed.size()) && settings.reversed[i];
        params.reverseFlags[static_cast<std::size_t>(i)] = result.reversed[i];
    }
    const int P = std::min(potCount(params), static_cast<int>(settings.minPercents.size()));
    for (int j = 0; j < P; ++j) {
        if (params.assignedFlags[j] != 1)
            continue;
        params.minLimits[j] = limit_of_percent(settings.minPercents[j], LimitKind::Minimum);
        params.maxLimits[j] = limit_of_percent(settings.maxPercents[j], LimitKind::Maximum);
        result.limitedPots.push_back(j);
    }
    return result;
}

} // namespace brivo
