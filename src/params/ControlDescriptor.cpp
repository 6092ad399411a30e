#include "params/ControlDescriptor.h"

#include "base/EditorError.h"
#include "params/ParamState.h"

namespace brivo {

namespace {

constexpr int kCountLineChars = 3;
const QString kCountDigits = QStringLiteral("0123456789ABCDEF");

[[noreturn]] void refuse(const QString& descriptorName, const QString& fault) {
    throw EditorError(
        QStringLiteral("Control descriptor %1 refused: %2").arg(descriptorName, fault));
}

} // namespace

ParamKind kind_of_parameter(const DescriptorCounts& counts, int index) {
    const auto i = static_cast<std::uint32_t>(index);
    if (i < counts.pots)
        return ParamKind::Pot;
    if (i < counts.pots + counts.switches)
        return ParamKind::Switch;
    return ParamKind::MultiSwitch;
}

SwitchLine split_switch_line(const QString& line) {
    const qsizetype first = line.indexOf(u':');
    if (first < 0)
        return {line, line, line};
    const QString name = line.left(first);
    const qsizetype second = line.indexOf(u':', first + 1);
    if (second < 0) {
        const QString after = line.mid(first + 1);
        return {name, after, after};
    }
    return {name, line.mid(first + 1, second - first - 1), line.mid(second + 1)};
}

MultiSwitchLine split_multi_switch_line(const QString& line) {
    const qsizetype first = line.indexOf(u';');
    if (first < 0)
        return {line, QString(), QStringList()};
    MultiSwitchLine result;
    result.name = line.left(first);
    result.rest = line.mid(first + 1);
    // The rest holds one ';' less than the line, so splitting it gives exactly
    // one option per ';' of the line, empty fields included.
    result.options = result.rest.split(u';');
    return result;
}

DescriptorCounts parse_count_line(const QString& line, const QString& descriptorName) {
    if (line.size() != kCountLineChars)
        refuse(descriptorName,
               QStringLiteral("the count line \"%1\" must be exactly three hexadecimal digits "
                              "(pots, switches, multi-switches)")
                   .arg(line));
    std::uint32_t values[kCountLineChars] = {};
    for (int k = 0; k < kCountLineChars; ++k) {
        const qsizetype value = kCountDigits.indexOf(line.at(k));
        if (value < 0)
            refuse(descriptorName,
                   QStringLiteral("the count line \"%1\" holds \"%2\", which is not a count "
                                  "digit 0-9 or A-F")
                       .arg(line, QString(line.at(k))));
        values[k] = static_cast<std::uint32_t>(value);
    }
    return {values[0], values[1], values[2]};
}

ControlDescriptor parse_control_descriptor(const QStringList& lines,
                                           const QString& descriptorName) {
    if (lines.isEmpty())
        refuse(descriptorName, QStringLiteral("it is empty and has no count line"));
    ControlDescriptor descriptor;
    descriptor.counts = parse_count_line(lines.first(), descriptorName);
    const DescriptorCounts& counts = descriptor.counts;
    if (counts.pots == 0)
        refuse(descriptorName, QStringLiteral("it declares no pot; every effect needs one"));
    const std::uint32_t total = counts.total();
    if (total > static_cast<std::uint32_t>(kParamSlots))
        refuse(descriptorName, QStringLiteral("it declares %1 parameters; at most %2 are possible")
                                   .arg(total)
                                   .arg(kParamSlots));
    const auto available = static_cast<std::uint32_t>(lines.size() - 1);
    if (available < total)
        refuse(descriptorName,
               QStringLiteral("it declares %1 parameters but holds only %2 parameter lines")
                   .arg(total)
                   .arg(available));
    descriptor.paramLines = lines.mid(1, static_cast<qsizetype>(total));
    for (std::uint32_t i = counts.pots + counts.switches; i < total; ++i) {
        const QString& line = descriptor.paramLines.at(static_cast<qsizetype>(i));
        if (!line.contains(u';'))
            refuse(descriptorName,
                   QStringLiteral("multi-switch line %1 \"%2\" has no option (no ';')")
                       .arg(i + 2)
                       .arg(line));
    }
    return descriptor;
}

} // namespace brivo
