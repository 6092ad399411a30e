#pragma once

#include "config/ConfigFile.h"
#include "params/ParamState.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace brivo {

class TformFXParameters;

// What a configuration file keeps of the window as it is built now: the
// values of statusValues, the controller of each parameter (its first row in
// assignMatrix, "NA" when none), the reverse boxes, and each pot's limits as
// the percentage its button shows.
ConfigSettings gather_config(const TformFXParameters& form, const ParamState& params);

// What the window shows of each parameter's value (a pot's position, a
// switch's 1 or 0, a multi-switch's index) and of each pot's limits, with
// the state behind it: enough to put back a setting that never reached the
// pedal.
struct ShownSettings {
    std::vector<std::int32_t> controls;
    std::vector<QString> minTexts;
    std::vector<QString> maxTexts;
    std::vector<std::int32_t> statusValues;
    std::array<std::uint32_t, kParamSlots> minLimits{};
    std::array<std::uint32_t, kParamSlots> maxLimits{};
};
ShownSettings shown_settings(const TformFXParameters& form, const ParamState& params);

// After a load that failed part-way: each setting in `unsent` goes back, in
// the window and the state, to what `held` shows, so the window shows what
// the pedal holds. Raises no parameter event: nothing is sent.
void restore_unsent(TformFXParameters& form, ParamState& params, const ShownSettings& held,
                    const std::vector<ParamChange>& unsent);

// The message of such a load: the link's failure, and what was sent to the
// pedal and what was not, by the parameters' names.
QString partial_load_text(const ParamState& params, const std::vector<ParamChange>& sent,
                          const std::vector<ParamChange>& unsent, const QString& failure);

// Shows checked settings in the window and puts them into the state; it
// sends nothing (the caller holds the window's changes quiet and sends what
// config_values_to_send and the limits give; assignments and reverse flags
// wait for "Assign"). "NA" clears a parameter's assignment and empties its
// box. Assigned pots take their limits, shown on enabled buttons; unassigned
// pots show "-" and keep theirs. Returns the pots whose limits were set.
std::vector<int> apply_config(TformFXParameters& form, ParamState& params,
                              const ConfigSettings& settings);

} // namespace brivo
