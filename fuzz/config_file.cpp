// Effect configuration files from disk, checked whole before anything is applied.
#include "FuzzInput.h"
#include "config/ConfigFile.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brivo;
    if (size < 1)
        return 0;
    // The first byte picks the descriptor's counts, as files of several effects would meet.
    const int paramCount = data[0] % 25;
    const int potCount = paramCount == 0 ? 0 : data[0] / 25 % (paramCount + 1);
    // The parameters after the pots taken as multi-switches of 1 to 16 options.
    std::vector<std::uint32_t> options(static_cast<std::size_t>(paramCount), 0);
    for (int i = potCount; i < paramCount; ++i)
        options[static_cast<std::size_t>(i)] = 1 + (data[0] + i) % 16;
    const ConfigCheck check =
        parse_config_file(fuzz::bytesOf(data + 1, size - 1), paramCount, potCount, options);
    if (check.settings)
        config_file_text(*check.settings);
    return 0;
}
