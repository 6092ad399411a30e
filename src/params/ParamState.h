#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

namespace brivo {

constexpr int kParamSlots = 24;
constexpr int kControllerCount = 7;
constexpr int kAssignTableBytes = 192;
constexpr int kValueMax = 1023;
// Values travel shifted into bits 13 to 22 of a 32-bit word.
constexpr int kValueScale = 8192;
// Index of "NA" in controllerNames.
constexpr int kNotAssigned = 7;
// The assignment table carries reverse flags for the first 16 parameters only.
constexpr int kReverseFlagSlots = 16;

inline const std::array<QString, 8> controllerNames = {
    QStringLiteral("I"),   QStringLiteral("EXP"), QStringLiteral("II"), QStringLiteral("III"),
    QStringLiteral("SWT"), QStringLiteral("SWR"), QStringLiteral("SW"), QStringLiteral("NA")};

// One setting a send puts on the pedal: a parameter's value, or one of a
// pot's two limits.
struct ParamChange {
    enum class Kind { Value, Minimum, Maximum };
    int slot = 0;
    Kind kind = Kind::Value;
    bool operator==(const ParamChange&) const = default;
};

// The parameter editor's model. It lives for the whole run: the window's
// controls come and go, these arrays keep their values between builds.
struct ParamState {
    std::uint32_t potCount = 0;
    std::uint32_t switchCount = 0;
    std::uint32_t multiCount = 0;
    std::uint32_t paramCount = 0;
    std::array<QString, kParamSlots> paramNames;
    std::array<QString, kParamSlots> paramAddresses;
    // Row 0 the off text, row 1 the on text of each switch.
    std::array<std::array<QString, kParamSlots>, 2> switchTexts;
    std::array<std::uint32_t, kParamSlots> optionCounts{};
    std::vector<std::int32_t> statusValues;
    std::array<std::array<std::uint32_t, kParamSlots>, kControllerCount> assignMatrix{};
    std::array<std::uint8_t, kParamSlots> assignedFlags{};
    // The reverse ticks that "Assign" sends with the table, as the window
    // shows them (a rebuilt window starts with none).
    std::array<bool, kParamSlots> reverseFlags{};
    std::array<std::uint32_t, kParamSlots> minLimits{};
    std::array<std::uint32_t, kParamSlots> maxLimits{};
    std::array<std::uint8_t, kAssignTableBytes> assignTable{};

    // Limits back to the full range: 0 and 1023 for every pot.
    void reset_min_max_array() {
        minLimits.fill(0);
        maxLimits.fill(kValueMax);
    }
};

} // namespace brivo
