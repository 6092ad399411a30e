#pragma once

#include <cstdint>
#include <vector>

namespace brivo {

// Faults a test can switch on in the virtual pedal.
struct FaultInjection {
    // The processor still acts on every message but never answers.
    bool silent = false;
    // The host may not open the bridge (no udev rule): it is seen but cannot
    // be listed by name or opened.
    bool accessDenied = false;
    // Answers leave in pieces of this many bytes (0: whole), `splitGapMs` apart.
    int splitChunkBytes = 0;
    int splitGapMs = 0;
    // A bridge (or adapter) that cannot frame with parity refuses it.
    bool parityRefused = false;
    // Extra time before every answer starts.
    int replyDelayMs = 0;
    // Sent in front of the next answer, then forgotten.
    std::vector<std::uint8_t> garbageBeforeNextReply;
};

} // namespace brivo
