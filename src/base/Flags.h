#pragma once

namespace brivo {

// Program-wide mode flags; all off at start.
struct Flags {
    // Status requests repeat; pots and switches send nothing meanwhile.
    bool liveRequest = false;
    // The link talks to the processor's bootloader: replies are raw bytes.
    bool upgradeMode = false;
};

} // namespace brivo
