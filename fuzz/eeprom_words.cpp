// The bridge's EEPROM: 128 words, two input bytes each (low byte first);
// words past the end of the input fail to read, as a failing bridge's do.
#include "FuzzInput.h"
#include "base/PrintableText.h"
#include "link/EepromIdentity.h"

#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brivo;
    const EepromWordReader reader = [data, size](int address) -> std::optional<WORD> {
        const std::size_t at = 2 * static_cast<std::size_t>(address);
        if (address < 0 || at + 1 >= size)
            return std::nullopt;
        return static_cast<WORD>(data[at] | (data[at + 1] << 8));
    };
    const EepromIdentity identity = read_eeprom_identity(reader, 0);
    for (const QString& line : identity.lines)
        visible_control_characters(line);
    return 0;
}
