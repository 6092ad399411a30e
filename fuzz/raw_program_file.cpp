// Raw program files from disk, checked as the raw upload checks them before
// anything is sent.
#include "FuzzInput.h"
#include "commands/UploadProgram.h"
#include "link/HexText.h"

#include <array>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brivo;
    if (!raw_file_size_fault(static_cast<qint64>(size)).isEmpty())
        return 0;
    const QString content = fuzz::latin1Of(data, size);
    raw_file_summary(content);
    const QString program = content.trimmed();
    if (!program_text_fault(program).isEmpty())
        return 0;
    const qsizetype bytes = program.size() / 2;
    if (bytes > kMaxProgramBytes)
        return 0;
    static std::array<std::uint8_t, kMaxProgramBytes> buffer;
    const int converted = hex_text_to_bytes(program, buffer.data(), static_cast<int>(bytes));
    program_length_fault(buffer.data(), converted);
    return 0;
}
