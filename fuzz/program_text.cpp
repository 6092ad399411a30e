// Effect program texts: the hex digit pairs and the parameter addresses of
// the header.
#include "FuzzInput.h"
#include "base/EditorError.h"
#include "commands/UploadProgram.h"
#include "link/HexText.h"
#include "params/ProgramHeader.h"

#include <algorithm>
#include <array>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brivo;
    const QString text = fuzz::latin1Of(data, size);
    if (program_text_fault(text).isEmpty()) {
        static std::array<std::uint8_t, kMaxProgramBytes> buffer;
        const int count = static_cast<int>(std::min<qsizetype>(text.size() / 2, kMaxProgramBytes));
        hex_text_to_bytes(text, buffer.data(), count);
    }
    try {
        read_parameter_addresses(text, QStringLiteral("FUZZ"));
    } catch (const EditorError&) {
    }
    return 0;
}
