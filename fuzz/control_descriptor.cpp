// Control descriptors: the count line, the parameter lines, switch and
// multi-switch texts.
#include "FuzzInput.h"
#include "base/EditorError.h"
#include "catalogue/ResourceLines.h"
#include "params/ControlDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brivo;
    const QStringList lines = resources::split_resource_lines(fuzz::bytesOf(data, size));
    try {
        const ControlDescriptor descriptor =
            parse_control_descriptor(lines, QStringLiteral("FUZZ"));
        for (int i = 0; i < descriptor.paramLines.size(); ++i) {
            switch (kind_of_parameter(descriptor.counts, i)) {
            case ParamKind::Switch:
                split_switch_line(descriptor.paramLines.at(i));
                break;
            case ParamKind::MultiSwitch:
                split_multi_switch_line(descriptor.paramLines.at(i));
                break;
            case ParamKind::Pot:
                break;
            }
        }
    } catch (const EditorError&) {
        // Refused with a message: the sound outcome for a bad descriptor.
    }
    return 0;
}
