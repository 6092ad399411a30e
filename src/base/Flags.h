#pragma once

namespace brivo {

// Program-wide mode flags; all off at start.
struct Flags {
    // The player asked for status requests to repeat.
    bool liveRequest = false;
    // A live loop really runs: pots and switches send nothing meanwhile (the
    // pedal's own controls drive the window). Off whenever no loop runs, so a
    // box ticked without a loop never mutes them.
    bool liveLoopRunning = false;
    // The link talks to the processor's bootloader: replies are raw bytes.
    bool upgradeMode = false;
};

} // namespace brivo
