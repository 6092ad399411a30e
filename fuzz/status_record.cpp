// The pedal's status record, and the fields read from it. The first byte
// chooses the parameter count (0 to 24), the rest is the answer.
#include "FuzzInput.h"
#include "commands/StatusReply.h"
#include "params/ParamMessages.h"
#include "params/ParamState.h"
#include "params/StatusRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brivo;
    if (size == 0)
        return 0;
    const std::uint32_t paramCount = data[0] % (kParamSlots + 1);
    const QByteArray reply = fuzz::bytesOf(data + 1, size - 1);
    status_reply_lines(reply);
    const StatusParse parse = parse_status_record(reply, status_record_bytes(paramCount));
    if (!parse.ok())
        return 0;
    const StatusRecord record = decode_status_record(parse.bytes, paramCount);
    for (const std::int32_t value : record.values)
        for (std::uint32_t options = 0; options <= 17; ++options)
            multi_switch_index(value, options);
    for (int j = 0; j < kParamSlots; ++j) {
        limit_button_text(static_cast<std::int32_t>(min_limit_of_byte(record.minLimitBytes[j])));
        limit_button_text(static_cast<std::int32_t>(max_limit_of_byte(record.maxLimitBytes[j])));
    }
    return 0;
}
