#include "params/ParamMessages.h"

#include "link/HexText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace brivo {

namespace {

constexpr std::int32_t kValueSteps = 1024;
constexpr int kFirstBlockParams = 16;
constexpr int kReverseFlagsOffset = 112;
constexpr int kSecondBlockOffset = 128;

std::int32_t clamp_to_int32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

} // namespace

QString value_word_hex(std::int32_t value) {
    // The multiplication wraps like the pedal's 32-bit word.
    const std::uint32_t word =
        static_cast<std::uint32_t>(value) * static_cast<std::uint32_t>(kValueScale);
    return hex_of(word, 8);
}

QString set_parameter_hex(const QString& address, std::int32_t value) {
    return QStringLiteral("01") + address + value_word_hex(value);
}

std::int32_t pot_value(double position) {
    // The default floating-point rounding mode rounds halves to the even neighbour.
    return static_cast<std::int32_t>(std::nearbyint(position));
}

std::int32_t switch_value(bool on) {
    return on ? kValueMax : 0;
}

std::int32_t multi_switch_value(int index, std::uint32_t optionCount) {
    if (optionCount == 0)
        return 0;
    // 64 bits, held to the 32-bit range: no index or count can overflow it.
    const std::int64_t step = kValueSteps / static_cast<std::int64_t>(optionCount);
    return clamp_to_int32(std::int64_t{index} * step);
}

QString limit_hex(int potIndex, LimitKind which, std::int32_t value) {
    const QString kind = which == LimitKind::Minimum ? QStringLiteral("00") : QStringLiteral("01");
    return QStringLiteral("06") + kind + hex_of(static_cast<std::uint32_t>(potIndex), 2) +
           value_word_hex(value);
}

int limit_button_percent(std::int32_t value) {
    return static_cast<int>(
        std::min<std::int64_t>(std::int64_t{value} * 100 / kValueSteps + 1, 100));
}

QString limit_button_text(std::int32_t value) {
    return QString::number(limit_button_percent(value)) + QStringLiteral("%");
}

AssignTable build_assign_table(const AssignMatrix& matrix,
                               const std::array<bool, kParamSlots>& reversed,
                               std::uint32_t paramCount) {
    AssignTable table;
    QStringList& log = table.logLines;
    log.append(QStringLiteral("ASSIGNMENTS SENT from 0 to 15:"));
    for (int r = 0; r < kControllerCount; ++r) {
        log.append(QStringLiteral("CONTROL NUM ") + controllerNames[r] + QStringLiteral(":"));
        for (int c = 0; c < kFirstBlockParams; ++c) {
            table.bytes[kFirstBlockParams * r + c] = static_cast<std::uint8_t>(matrix[r][c]);
            log.append(QStringLiteral("p%1: %2").arg(c).arg(matrix[r][c]));
        }
    }
    const int count = std::min<int>(static_cast<int>(paramCount), kParamSlots);
    for (int i = 0; i < count; ++i) {
        table.bytes[kReverseFlagsOffset + i] = reversed[i] ? 1 : 0;
        log.append(reversed[i] ? QStringLiteral("param %1 REVERSED").arg(i)
                               : QStringLiteral("param %1...").arg(i));
    }
    log.append(QStringLiteral("ASSIGNMENTS SENT from 16 to 23:"));
    int k = kSecondBlockOffset;
    for (int r = 0; r < kControllerCount; ++r) {
        log.append(QStringLiteral("CONTROL NUM ") + controllerNames[r] + QStringLiteral(":"));
        for (int c = kFirstBlockParams; c < kParamSlots; ++c) {
            table.bytes[k++] = static_cast<std::uint8_t>(matrix[r][c]);
            log.append(QStringLiteral("p%1: %2").arg(c).arg(matrix[r][c]));
        }
    }
    return table;
}

void apply_assignment_choice(ParamState& state, int c, int selectedIndex) {
    if (c < 0 || c >= kParamSlots)
        return;
    for (auto& row : state.assignMatrix)
        row[c] = 0;
    if (selectedIndex < 0)
        return;
    if (selectedIndex >= kControllerCount) {
        state.assignedFlags[c] = 0;
        return;
    }
    state.assignMatrix[selectedIndex][c] = 1;
    state.assignedFlags[c] = 1;
}

} // namespace brivo
