#include "params/ProgramHeader.h"

#include "base/EditorError.h"

namespace brivo {

namespace {

constexpr int kAddressChars = 4;
constexpr int kFirstTableSlots = 16;
// Bytes 0 to 2 hold the program's length; the first table follows.
constexpr int kFirstTableChar = 6;
// The second table starts at byte 49.
constexpr int kSecondTableChar = 98;

bool is_hex_address(const QString& address) {
    for (const QChar c : address) {
        const bool digit =
            (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
        if (!digit)
            return false;
    }
    return true;
}

} // namespace

std::array<QString, kParamSlots> read_parameter_addresses(const QString& programText,
                                                          const QString& programName) {
    if (programText.size() < kProgramHeaderChars)
        throw EditorError(QStringLiteral("Effect program %1 refused: its text has %2 characters, "
                                         "too short for the parameter addresses (%3 needed)")
                              .arg(programName)
                              .arg(programText.size())
                              .arg(kProgramHeaderChars));
    std::array<QString, kParamSlots> addresses;
    for (int i = 0; i < kParamSlots; ++i) {
        const int start = i < kFirstTableSlots
                              ? kFirstTableChar + kAddressChars * i
                              : kSecondTableChar + kAddressChars * (i - kFirstTableSlots);
        addresses[i] = programText.mid(start, kAddressChars);
        if (!is_hex_address(addresses[i]))
            throw EditorError(QStringLiteral("Effect program %1 refused: the address of parameter "
                                             "%2 \"%3\" is not hexadecimal")
                                  .arg(programName)
                                  .arg(i)
                                  .arg(addresses[i]));
    }
    return addresses;
}

} // namespace brivo
