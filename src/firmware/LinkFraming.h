#pragma once

#include <QString>

namespace brivo {

class D2XXUnit;
class Log;

// The processor's bootloader frames its bytes 8E1 (even parity), whatever the
// effect firmware's link uses (8N1). At 8N1 the bootloader misframes bytes
// sent back to back, and answer bytes of even weight reach the host as
// framing errors.
enum class FramingChange {
    Set,        // the link runs 8E1 now
    NotCarried, // the port has no line to carry parity (a pseudo-terminal)
    Refused     // the port or bridge refuses even parity
};

// Sets the link to 8E1 for the bootloader; logs a line unless it was set.
FramingChange use_bootloader_framing(D2XXUnit& device, Log& log);
// Sets the link back to the effect firmware's 8N1.
void use_firmware_framing(D2XXUnit& device, Log& log);

inline const char* const kParityRefusedText =
    "This port refuses even parity (8 data bits, even parity, 1 stop bit), which the pedal's "
    "bootloader speaks, so a firmware upgrade cannot run over it. Connect the pedal through its "
    "own USB cable and bridge, and try again.";

} // namespace brivo
