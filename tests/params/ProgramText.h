#pragma once

#include <QString>
#include <array>

namespace brivo::test {

// An effect program's hex text with the given 24 parameter addresses in its
// header: length bytes, the first table (parameters 0 to 15) from character 6,
// filler up to character 98, the second table (16 to 23), then `tailBytes`
// bytes of code.
inline QString program_text(const std::array<QString, 24>& addresses, int tailBytes = 32) {
    QString text = QStringLiteral("000500");
    for (int i = 0; i < 16; ++i)
        text += addresses[i];
    while (text.size() < 98)
        text += QStringLiteral("EE");
    for (int k = 16; k < 24; ++k)
        text += addresses[k];
    for (int b = 0; b < tailBytes; ++b)
        text += QStringLiteral("C3");
    return text;
}

// Addresses "1000", "1001", ... "1017" (hex), so every slot differs.
inline std::array<QString, 24> numbered_addresses() {
    std::array<QString, 24> addresses;
    for (int i = 0; i < 24; ++i)
        addresses[i] = QString::number(0x1000 + i, 16).toUpper();
    return addresses;
}

} // namespace brivo::test
