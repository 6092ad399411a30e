#pragma once

// Callers check the record's length with status_record_bytes first.
#include "params/StatusRecord.h"

#include <cstdint>
#include <vector>

namespace brivo {

struct ParamState;
class TformFXParameters;

// Puts the pedal's status record into the parameter state and the FX
// Parameters window as it is built now. Each throws EditorError when the
// record is shorter than 4T + 288 bytes, before changing anything. A read
// never writes: positions and selections are set with the window's parameter
// events quiet, so nothing goes to the pedal; assignment boxes still update
// the matrix as a user's choice would.

// The values: pots, switches (0 off, above 0 on, negative unchanged, then the
// state label) and multi-switches; statusValues holds the T values.
void apply_status_values(TformFXParameters& form, ParamState& params,
                         const std::vector<std::uint8_t>& statusBytes);

// The assignment matrix; every non-zero entry of a parameter below T selects
// its controller in the box and sets the flag; a box left on "NA" is cleared.
void apply_status_assignments(TformFXParameters& form, ParamState& params,
                              const std::vector<std::uint8_t>& statusBytes);

// The reverse boxes of parameters below T.
void apply_status_reverse_flags(TformFXParameters& form, ParamState& params,
                                const std::vector<std::uint8_t>& statusBytes);

// The limits of assigned pots with their button texts, both buttons enabled;
// unassigned pots show "-" on disabled buttons and keep their limits.
void apply_status_limits(TformFXParameters& form, ParamState& params,
                         const std::vector<std::uint8_t>& statusBytes);

} // namespace brivo
