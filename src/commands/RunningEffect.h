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
};

} // namespace brivo
