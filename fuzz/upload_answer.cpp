// The pedal's answer to an upload, as the status label shows it.
#include "FuzzInput.h"
#include "base/PrintableText.h"
#include "commands/UploadProgram.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brivo;
    const QByteArray answer = fuzz::bytesOf(data, size);
    strip_control_characters(upload_answer_text(answer));
    printable_text(answer);
    return 0;
}
