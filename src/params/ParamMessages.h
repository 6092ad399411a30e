#pragma once

#include "params/ParamState.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>

namespace brivo {

// The value on the 0 to 1023 scale as the pedal's 32-bit word (value × 8192),
// eight upper-case hex digits; negative values in two's complement.
QString value_word_hex(std::int32_t value);

// Set-parameter message: "01", the address as it stands, the value word.
QString set_parameter_hex(const QString& address, std::int32_t value);

// A pot's position rounded to the nearest integer, halves to the even one.
std::int32_t pot_value(double position);

// 1023 when on, 0 when off.
std::int32_t switch_value(bool on);

// The option index times (1024 div optionCount); index -1 (nothing selected)
// gives a negative value. An option count of 0 gives 0.
std::int32_t multi_switch_value(int index, std::uint32_t optionCount);

// The second byte of the limit message.
enum class LimitKind { Minimum = 0, Maximum = 1 };

// Limit message: "06", "00" or "01", the pot index as two hex digits, the
// value word.
QString limit_hex(int potIndex, LimitKind which, std::int32_t value);

// The percentage a limit button shows, the same whether the player set the
// limit or it was read back from the pedal: v × 100 div 1024 + 1, at most
// 100 (0 gives 1, 512 gives 51, 1023 and 1024 give 100).
int limit_button_percent(std::int32_t value);
// That percentage followed by "%".
QString limit_button_text(std::int32_t value);

// The table sent after the command byte 0x04 and the console lines that
// describe it, in order.
struct AssignTable {
    std::array<std::uint8_t, kAssignTableBytes> bytes{};
    QStringList logLines;
};

using AssignMatrix = std::array<std::array<std::uint32_t, kParamSlots>, kControllerCount>;

// Controllers × parameters 0 to 15 in bytes 0 to 111, reverse flags of
// parameters 0 to T-1 from byte 112, then controllers × parameters 16 to 23
// from byte 128. The last block is written after the reverse flags, so with
// more than 16 parameters bytes 128 to 135 end up holding controller 0's
// assignments of parameters 16 to 23, not their reverse flags.
AssignTable build_assign_table(const AssignMatrix& matrix,
                               const std::array<bool, kParamSlots>& reversed,
                               std::uint32_t paramCount);

// The assignment box of parameter c now shows `selectedIndex` (-1 nothing,
// 0 to 6 a controller, 7 "NA"): the column is cleared; nothing selected keeps
// the flag, "NA" clears it, a controller sets its entry and the flag.
void apply_assignment_choice(ParamState& state, int c, int selectedIndex);

} // namespace brivo
