#pragma once

#include "config/ConfigFile.h"

#include <cstdint>
#include <vector>

namespace brivo {

struct ParamState;
class TformFXParameters;

// What a configuration file keeps of the window as it is built now: the
// values of statusValues, the controller of each parameter (its first row in
// assignMatrix, "NA" when none), the reverse boxes, and each pot's limits as
// the percentage its button shows.
ConfigSettings gather_config(const TformFXParameters& form, const ParamState& params);


// Puts checked settings into the window and the state, through the controls'
// change handling as a player's changes would go (pots and multi-switches send
// their values, switches their state; assignments and reverse flags wait for
// "Assign"). "NA" clears a parameter's assignment and empties its box. Assigned pots take their
// limits, shown on enabled buttons; unassigned pots show "-" and keep theirs.
// Returns the pots whose limits were set, for the caller to send.
std::vector<int> apply_config(TformFXParameters& form, ParamState& params,
                              const ConfigSettings& settings);

} // namespace brivo
