// Effect configuration files from disk, checked whole before anything is applied.
#include "FuzzInput.h"
#include "config/ConfigFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brivo;
    if (size < 1)
        return 0;
    // The first byte picks the descriptor's counts, as files of several effects would meet.
    const int paramCount = data[0] % 25;
    const int potCount = paramCount == 0 ? 0 : data[0] / 25 % (paramCount + 1);
    const ConfigCheck check =
        parse_config_file(fuzz::bytesOf(data + 1, size - 1), paramCount, potCount);
    if (check.settings)
        config_file_text(*check.settings);
    return 0;
}
