#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace brivo {

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

// The limit a saved percentage stands for: the smallest limit that gives the
// percentage back (so a save after a load writes the same line), and 1023 for
// 100. Never above 1023; 1 gives 0.
std::uint32_t limit_of_percent(int percent);

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

// Reads and checks the whole file: CR LF, LF and CR each end a line; exactly
// 3T + 2P lines; whole numbers a status can carry in the values; controller
// names or "NA" in the assignments; "T" or "F" in the reverse flags;
// percentages from 1 to 100 in the limits, no minimum above its maximum.
ConfigCheck parse_config_file(const QByteArray& bytes, int paramCount, int potCount);

// The section starts, counted from line 1: values at 1, assignments at T + 1,
// reverse flags at 2T + 1, minimum limits at 3T + 1, maximum limits at
// 3T + P + 1.
struct ConfigSections {
    int values, assignments, reverse, minimum, maximum, lineCount;
};
ConfigSections config_sections(int paramCount, int potCount);

} // namespace brivo
