#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace brivo {

// Where an impulse-response effect's program holds its response: N words of
// 8 hex digits after the kept text before the region.
struct IrLayout {
    int samples;          // N
    int keptBeforeDigits; // hex digits kept before the region
};

// The layout of the effect with this display name; none for effects without
// a response region ("Cabinet IR + EQ" and every effect of other categories).
std::optional<IrLayout> ir_layout_of(const QString& effectName);

// A sample left-aligned in 32 bits (a 24-bit sample x as x << 8) as the
// pedal's word: the 24-bit sample sign-extended, 8 upper-case hex digits.
QString ir_word_of(std::int32_t leftAligned);

// The program with its region replaced by the words of `samples` (exactly N,
// left-aligned). Empty when the program is too short to hold the region.
QString splice_ir(const QString& program, const IrLayout& layout,
                  const std::vector<std::int32_t>& samples);

} // namespace brivo
