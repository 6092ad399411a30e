#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace brivo {

// The three counts of a descriptor's first line.
struct DescriptorCounts {
    std::uint32_t pots = 0;
    std::uint32_t switches = 0;
    std::uint32_t multis = 0;

    std::uint32_t total() const { return pots + switches + multis; }
    bool operator==(const DescriptorCounts&) const = default;
};

// What kind of control a parameter index stands for: pots first, then
// switches, then multi-switches.
enum class ParamKind { Pot, Switch, MultiSwitch };

ParamKind kind_of_parameter(const DescriptorCounts& counts, int index);

// A switch line split into its three texts.
struct SwitchLine {
    QString name;
    QString offText;
    QString onText;
    bool operator==(const SwitchLine&) const = default;
};

// No colon: all three are the whole line. One colon: off and on are both the
// text after it. Two or more: name, off text, and the rest (colons kept).
SwitchLine split_switch_line(const QString& line);

// A multi-switch line: the name before the first ';', the text after it, and
// the options (one per ';', the last running to the end of the line).
struct MultiSwitchLine {
    QString name;
    QString rest;
    QStringList options;
    bool operator==(const MultiSwitchLine&) const = default;
};

MultiSwitchLine split_multi_switch_line(const QString& line);

// A validated descriptor: the counts and the T parameter lines, whole.
struct ControlDescriptor {
    DescriptorCounts counts;
    QStringList paramLines;
};

// Reads the count line alone. Throws EditorError naming `descriptorName` when
// the line is not exactly three upper-case hexadecimal digits.
DescriptorCounts parse_count_line(const QString& line, const QString& descriptorName);

// Reads and checks a whole descriptor: counts as above, at least one pot, at
// most 24 parameters, a line for every parameter and a ';' in every
// multi-switch line. Lines after the last parameter are ignored. Throws
// EditorError naming `descriptorName` and the fault.
ControlDescriptor parse_control_descriptor(const QStringList& lines, const QString& descriptorName);

} // namespace brivo
