#pragma once

#include "config/ConfigFile.h"
#include "params/ParamState.h"

#include <array>

#include <cstdint>
#include <optional>
#include <vector>

namespace brivo {

struct StatusRecord;

// The controller the pedal's matrix assigns parameter `c` to: the last row
// with a non-zero entry (a window reading the status selects each such row
// in turn, so the last one stays), or none.
std::optional<int> assigned_controller(const StatusRecord& record, int c);

// What a configuration file keeps of the pedal's status, without any window:
// the T values, each parameter's controller ("NA" when none), the reverse
// flags, and each pot's limits as percentages: the pedal's limits for an
// assigned pot, the ones `params` holds for the others (as the window shows
// "-" and keeps them).
ConfigSettings config_of_status(const ParamState& params, const StatusRecord& record);

// One value to send for a parameter of a loaded file, as the window's
// control would send it: a pot held within 0 to 1023, a switch 1023 when
// its value is above 0 and 0 otherwise, a multi-switch the value of the
// option it selects. A multi-switch that selects no option sends nothing.
// With `shown` (per parameter what its control shows: a pot's position, a
// switch's 1 or 0, a multi-switch's index), a value the control already
// shows is not sent, as an unchanged control sends nothing.
struct ConfigSend {
    int slot;
    std::int32_t value;
};
std::vector<ConfigSend> config_values_to_send(const ParamState& params,
                                              const ConfigSettings& settings,
                                              const std::vector<std::int32_t>& shown = {});

// The assignment matrix, flags, reverse flags and limits the settings ask
// for, put into `params` as a load into the window would put them: "NA"
// clears a parameter's assignment; assigned pots take the file's limits.
// Returns the pots whose limits were set, and the reverse flags to send with
// the assignment table.
struct ConfigAssignment {
    std::vector<int> limitedPots;
    std::array<bool, kParamSlots> reversed{};
};
ConfigAssignment apply_config_assignments(ParamState& params, const ConfigSettings& settings);

} // namespace brivo
