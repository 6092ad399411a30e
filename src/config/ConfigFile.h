#pragma once

#include "params/ParamMessages.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace brivo {

struct ParamState;

// The settings of one effect as its configuration file holds them: five
// sections, values (T), assignments (T), reverse flags (T), minimum limits (P)
// and maximum limits (P), the limits as percentages from 1 to 100.
struct ConfigSettings {
    std::vector<std::int32_t> values;
    QStringList assignments;
    std::vector<bool> reversed;
    std::vector<int> minPercents;
    std::vector<int> maxPercents;

    bool operator==(const ConfigSettings&) const = default;
};

constexpr int kPercentMin = 1;
constexpr int kPercentMax = 100;

// The folder under the documents folder that holds the files.
QString config_folder(const QString& documentsFolder);

// The file name of an effect's configuration: its display name and ".txt".
// Characters no file system takes in a name (/ \ : * ? " < > | and control
// characters) become "_", so every display name gives a valid name; names
// without them are kept as they are.
QString config_file_name(const QString& effectName);

// The line a limit is saved as: limit × 100 div 1024 + 1 (0 gives 1, 512 gives
// 51, 1023 gives 100), held within 1 to 100.
int limit_percent(std::uint32_t limit);

// The percentage a limit button shows ("51%"), or, when it shows none ("-"),
// the one of the limit. What the player saw is what the file keeps.
int shown_limit_percent(const QString& buttonText, std::uint32_t limit);

// The limit a saved percentage stands for. The pedal keeps a limit in steps of
// 8 and drops anything between them, so the limit is the first multiple of 8
// that gives the percentage back: what the pedal then reports is the same
// limit, and a save after a load writes the same line. 1 gives 0; a maximum of
// 100 is the full range, 1023. The pedal's lowest maximum is 16 (its limit
// byte 0 means the full range), so a maximum of 1% becomes 16, 2%.
std::uint32_t limit_of_percent(int percent, LimitKind which);

// The file's bytes: one item per line, every line ended by CR LF.
QByteArray config_file_text(const ConfigSettings& settings);

// The outcome of checking a file for an effect of T parameters and P pots:
// the settings when every line is good, otherwise the first bad line (from 1)
// and why it is bad.
struct ConfigCheck {
    std::optional<ConfigSettings> settings;
    int badLine = 0;
    QString reason;
};

// The option count of each multi-switch by parameter index, 0 for pots and
// switches: what parse_config_file checks the values against.
std::vector<std::uint32_t> multi_switch_options(const ParamState& params);

// Reads and checks the whole file: CR LF, LF and CR each end a line; exactly
// 3T + 2P lines; whole numbers a status can carry in the values, and for a
// multi-switch none below its first option; controller names or "NA" in the
// assignments; "T" or "F" in the reverse flags; percentages of 1 or more in
// the limits, those above 100 read as 100 (the older program wrote 101 for a
// limit of 1024), no minimum above its maximum. `optionCounts` holds the
// option count of each multi-switch by parameter index, 0 for the others.
ConfigCheck parse_config_file(const QByteArray& bytes, int paramCount, int potCount,
                              std::span<const std::uint32_t> optionCounts = {});

// The section starts, counted from line 1: values at 1, assignments at T + 1,
// reverse flags at 2T + 1, minimum limits at 3T + 1, maximum limits at
// 3T + P + 1.
struct ConfigSections {
    int values, assignments, reverse, minimum, maximum, lineCount;
};
ConfigSections config_sections(int paramCount, int potCount);

} // namespace brivo
