#include "config/ConfigFile.h"

#include "params/ParamState.h"
#include "params/StatusRecord.h"

#include <QDir>
#include <QRegularExpression>
#include <algorithm>

namespace brivo {

namespace {

const QString kMakerFolder = QStringLiteral("Tandrel");
const QString kProductFolder = QStringLiteral("Brivo");
const QByteArray kLineEnd = QByteArrayLiteral("\r\n");
// The values a pedal's value word can carry: a 32-bit word divided by 8192.
constexpr std::int64_t kValueLowest = -262144;
constexpr std::int64_t kValueHighest = 262143;
constexpr std::uint32_t kLimitSteps = 1024;
// The pedal's limits move in steps of this size.
constexpr std::uint32_t kPedalLimitStep = 8;
// A maximum's limit byte 0 stands for the full range, so the lowest maximum
// the pedal holds is its second step.
constexpr std::uint32_t kPedalLowestMaximum = 2 * kPedalLimitStep;

QStringList split_lines(const QByteArray& bytes) {
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.isEmpty())
        return {};
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    return text.split(QLatin1Char('\n'));
}

std::optional<std::int64_t> whole_number(const QString& line) {
    static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]{1,12}$"));
    const QString trimmed = line.trimmed();
    if (!digits.match(trimmed).hasMatch())
        return std::nullopt;
    return trimmed.toLongLong();
}

QString quoted(const QString& line) {
    return QStringLiteral("\"%1\"").arg(line.left(40));
}

} // namespace

QString config_folder(const QString& documentsFolder) {
    return QDir(QDir(documentsFolder).filePath(kMakerFolder)).filePath(kProductFolder);
}

QString config_file_name(const QString& effectName) {
    QString name;
    for (const QChar c : effectName) {
        const bool refused = c.unicode() < 0x20 || QStringLiteral("/\\:*?\"<>|").contains(c);
        name.append(refused ? QLatin1Char('_') : c);
    }
    // Names of dots alone would point at folders.
    if (name.isEmpty() || name.count(QLatin1Char('.')) == name.size())
        name.prepend(QLatin1Char('_'));
    return name + QStringLiteral(".txt");
}

int limit_percent(std::uint32_t limit) {
    const auto percent =
        static_cast<int>(static_cast<std::uint64_t>(limit) * 100 / kLimitSteps) + 1;
    return std::clamp(percent, kPercentMin, kPercentMax);
}

int shown_limit_percent(const QString& buttonText, std::uint32_t limit) {
    static const QRegularExpression shown(QStringLiteral("^([0-9]{1,3})%$"));
    const QRegularExpressionMatch match = shown.match(buttonText);
    if (!match.hasMatch())
        return limit_percent(limit);
    return std::clamp(match.captured(1).toInt(), kPercentMin, kPercentMax);
}

std::uint32_t limit_of_percent(int percent, LimitKind which) {
    const int p = std::clamp(percent, kPercentMin, kPercentMax);
    if (p == kPercentMax && which == LimitKind::Maximum)
        return kValueMax;
    // The smallest v with v × 100 div 1024 + 1 = p, up to the pedal's next
    // step; every percentage spans more than 10 values, so that step still
    // gives p.
    const std::uint32_t smallest = (static_cast<std::uint32_t>(p - 1) * kLimitSteps + 99) / 100;
    const std::uint32_t limit =
        (smallest + kPedalLimitStep - 1) / kPedalLimitStep * kPedalLimitStep;
    return which == LimitKind::Maximum ? std::max(limit, kPedalLowestMaximum) : limit;
}

ConfigSections config_sections(int paramCount, int potCount) {
    const int T = paramCount;
    const int P = potCount;
    return {1, T + 1, 2 * T + 1, 3 * T + 1, 3 * T + P + 1, 3 * T + 2 * P};
}

QByteArray config_file_text(const ConfigSettings& settings) {
    QByteArray text;
    const auto line = [&text](const QString& item) { text += item.toUtf8() + kLineEnd; };
    for (const std::int32_t value : settings.values)
        line(QString::number(value));
    for (const QString& name : settings.assignments)
        line(name);
    for (const bool reversed : settings.reversed)
        line(reversed ? QStringLiteral("T") : QStringLiteral("F"));
    for (const int percent : settings.minPercents)
        line(QString::number(percent));
    for (const int percent : settings.maxPercents)
        line(QString::number(percent));
    return text;
}

ConfigCheck parse_config_file(const QByteArray& bytes, int paramCount, int potCount,
                              std::span<const std::uint32_t> optionCounts) {
    const ConfigSections sections = config_sections(paramCount, potCount);
    const QStringList lines = split_lines(bytes);
    ConfigCheck check;
    const auto refuse = [&check](int line, const QString& reason) {
        check.badLine = line;
        check.reason = reason;
        return check;
    };
    const QString needed = QStringLiteral("an effect of %1 parameters and %2 pots needs %3 lines")
                               .arg(paramCount)
                               .arg(potCount)
                               .arg(sections.lineCount);
    if (lines.size() < sections.lineCount)
        return refuse(
            static_cast<int>(lines.size()) + 1,
            QStringLiteral("is missing: the file ends after %1 lines, ").arg(lines.size()) +
                needed);
    if (lines.size() > sections.lineCount)
        return refuse(sections.lineCount + 1,
                      QStringLiteral("is one too many: ") + needed +
                          QStringLiteral(" (the file was written for another effect)"));

    ConfigSettings settings;
    const auto at = [&lines](int lineNumber) { return lines.at(lineNumber - 1); };
    for (int i = 0; i < paramCount; ++i) {
        const int n = sections.values + i;
        const auto value = whole_number(at(n));
        if (!value || *value < kValueLowest || *value > kValueHighest)
            return refuse(n, QStringLiteral("should be a parameter value, not ") + quoted(at(n)));
        const std::uint32_t options =
            i < static_cast<int>(optionCounts.size()) ? optionCounts[i] : 0;
        // Below the first option's step no option is chosen, and the pedal
        // would get a negative value.
        if (options > 0 && multi_switch_index(static_cast<std::int32_t>(*value), options) < 0)
            return refuse(n, QStringLiteral("should be a value of one of the multi-switch's %1 "
                                            "options (0 or more), not ")
                                     .arg(options) +
                                 quoted(at(n)));
        settings.values.push_back(static_cast<std::int32_t>(*value));
    }
    for (int i = 0; i < paramCount; ++i) {
        const int n = sections.assignments + i;
        if (std::find(controllerNames.begin(), controllerNames.end(), at(n)) ==
            controllerNames.end())
            return refuse(n, QStringLiteral("should be a controller name or NA, not ") +
                                 quoted(at(n)));
        settings.assignments.append(at(n));
    }
    for (int i = 0; i < paramCount; ++i) {
        const int n = sections.reverse + i;
        if (at(n) != QStringLiteral("T") && at(n) != QStringLiteral("F"))
            return refuse(n, QStringLiteral("should be T or F, not ") + quoted(at(n)));
        settings.reversed.push_back(at(n) == QStringLiteral("T"));
    }
    for (const int start : {sections.minimum, sections.maximum}) {
        auto& percents = start == sections.minimum ? settings.minPercents : settings.maxPercents;
        for (int j = 0; j < potCount; ++j) {
            const int n = start + j;
            const auto percent = whole_number(at(n));
            if (!percent || *percent < kPercentMin)
                return refuse(n, QStringLiteral("should be a limit from 1 to 100, not ") +
                                     quoted(at(n)));
            percents.push_back(static_cast<int>(std::min<std::int64_t>(*percent, kPercentMax)));
        }
    }
    for (int j = 0; j < potCount; ++j)
        if (settings.minPercents[j] > settings.maxPercents[j])
            return refuse(sections.maximum + j,
                          QStringLiteral("holds a maximum below the minimum of line %1")
                              .arg(sections.minimum + j));
    check.settings = std::move(settings);
    return check;
}

std::vector<std::uint32_t> multi_switch_options(const ParamState& params) {
    const int T = std::min(static_cast<int>(params.paramCount), kParamSlots);
    const int firstMulti = static_cast<int>(params.potCount + params.switchCount);
    std::vector<std::uint32_t> options(static_cast<std::size_t>(std::max(T, 0)), 0);
    // The slots of pots and switches may still hold counts of an earlier effect.
    for (int i = firstMulti; i < T; ++i)
        options[static_cast<std::size_t>(i)] = params.optionCounts[static_cast<std::size_t>(i)];
    return options;
}

} // namespace brivo
