#pragma once

#include <array>
#include <cstdint>

namespace brivo {

// The pedal's slots: parameters an effect may have, and physical controllers
// ("I", "EXP", "II", "III", "SWT", "SWR", "SW").
constexpr int kPedalParameterSlots = 24;
constexpr int kPedalControllers = 7;
// Values and limits travel as value * 8192.
constexpr std::int64_t kPedalValueScale = 8192;
constexpr int kPedalFullScale = 1023;

// What the effect processor keeps per effect: values, controller bindings,
// reverse flags and pot limits.
struct EffectSettings {
    // Each value as the 32-bit word it arrived in, so odd words come back as sent.
    std::array<std::uint32_t, kPedalParameterSlots> valueWords{};
    std::array<std::array<bool, kPedalParameterSlots>, kPedalControllers> assigned{};
    std::array<bool, kPedalParameterSlots> reversed{};
    std::array<int, kPedalParameterSlots> minLimits{};
    std::array<int, kPedalParameterSlots> maxLimits = filledLimits(kPedalFullScale);

    // The value on the 0..1023 scale: the signed word divided by 8192.
    int value(int index) const {
        return static_cast<int>(static_cast<std::int32_t>(valueWords[index]) / kPedalValueScale);
    }
    void setValue(int index, int value) {
        valueWords[index] =
            static_cast<std::uint32_t>(static_cast<std::int64_t>(value) * kPedalValueScale);
    }

    bool operator==(const EffectSettings&) const = default;

  private:
    static std::array<int, kPedalParameterSlots> filledLimits(int limit) {
        std::array<int, kPedalParameterSlots> limits{};
        limits.fill(limit);
        return limits;
    }
};

} // namespace brivo
