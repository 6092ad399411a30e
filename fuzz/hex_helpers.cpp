// The hex message helpers, on any text.
#include "FuzzInput.h"
#include "link/HexText.h"

#include <algorithm>
#include <array>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brivo;
    const QString text = fuzz::latin1Of(data, size);
    static std::array<std::uint8_t, 65536> buffer;
    const int n = static_cast<int>(std::min<std::size_t>(size / 2, buffer.size()));
    const int converted = hex_text_to_bytes(text, buffer.data(), n);
    bytes_to_hex_text(buffer.data(), converted);
    hex_to_byte_string(text);
    if (size >= 4) {
        const std::uint32_t value = data[0] | (data[1] << 8) | (data[2] << 16) |
                                    (static_cast<std::uint32_t>(data[3]) << 24);
        hex_of(value, data[0] % 9);
        last_two_hex_digits(static_cast<std::int32_t>(value));
    }
    return 0;
}
