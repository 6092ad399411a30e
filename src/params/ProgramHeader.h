#pragma once

#include "params/ParamState.h"

#include <QString>
#include <array>

namespace brivo {

// The program's hex text must reach the end of the second address table:
// addresses 16 to 23 stand in characters 98 to 129.
constexpr int kProgramHeaderChars = 130;

// The 24 parameter addresses from an effect program's hex text, each the four
// hexadecimal digits as they stand. Parameter i < 16 sits in characters
// 6+4i to 9+4i, parameter 16+k in characters 98+4k to 101+4k. Throws
// EditorError naming `programName` when the text is too short to hold both
// tables or an address is not hexadecimal.
std::array<QString, kParamSlots> read_parameter_addresses(const QString& programText,
                                                          const QString& programName);

} // namespace brivo
