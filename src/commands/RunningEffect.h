#pragma once

#include <QString>
#include <cstdint>

namespace brivo {

// What the pedal said it runs, as of the last Open FX.
struct RunningEffect {
    std::int32_t runningEffectNumber = 0;
    std::int32_t runningEffectVersion = 0;
    std::int32_t firmwareVersion = 0;
    QString runningEffectName;
    // The effect whose status the last status reply holds; empty when that
    // reply no longer tells what the pedal runs (after an upload, an Open FX
    // or a disconnection).
    QString statusEffectName;
};

} // namespace brivo
