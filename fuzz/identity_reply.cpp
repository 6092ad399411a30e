// The pedal's answer to Open FX.
#include "FuzzInput.h"
#include "commands/IdentityReply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brivo;
    const QByteArray reply = fuzz::bytesOf(data, size);
    const IdentityParse parse = parse_identity_fields(reply);
    if (parse.fault == IdentityFault::None)
        identity_log_lines(parse.fields);
    else
        identity_fault_text(parse.fault);
    return 0;
}
