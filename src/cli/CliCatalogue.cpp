#include "cli/CliCatalogue.h"

#include "base/EditorError.h"
#include "catalogue/CatalogueState.h"
#include "catalogue/ResourceName.h"
#include "catalogue/Resources.h"
#include "params/ParamMessages.h"
#include "params/ProgramHeader.h"
#include "params/StatusRecord.h"

#include <algorithm>

namespace brivo::cli {

namespace {
const QString kDescriptorSuffix = QStringLiteral("_ctrls");

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString kindName(ParamKind kind) {
    switch (kind) {
    case ParamKind::Pot:
        return QStringLiteral("pot");
    case ParamKind::Switch:
        return QStringLiteral("switch");
    case ParamKind::MultiSwitch:
        return QStringLiteral("multi-switch");
    }
    return {};
}

bool parseNumber(const QString& text, std::int32_t& value) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok, 10);
    if (ok)
        value = number;
    return ok;
}
} // namespace

std::vector<CatalogueEffect> catalogue_effects() {
    std::vector<CatalogueEffect> effects;
    for (const QString& category : categoryNames)
        for (const QString& name : resources::load_resource_lines(resource_name_of(category)))
            if (!name.isEmpty())
                effects.push_back({category, name});
    return effects;
}

std::optional<CatalogueEffect> find_effect(const QString& name) {
    for (const CatalogueEffect& effect : catalogue_effects())
        if (sameName(effect.name, name.trimmed()))
            return effect;
    return std::nullopt;
}

QString unknown_name_text(const QString& what, const QString& name, const QStringList& names) {
    return QStringLiteral("Unknown %1 \"%2\". The %1s are: %3.")
        .arg(what, name, names.join(QStringLiteral(", ")));
}

QString effects_text() {
    QString text;
    QString category;
    for (const CatalogueEffect& effect : catalogue_effects()) {
        if (effect.category != category) {
            category = effect.category;
            text += category + QStringLiteral(":\n");
        }
        text += QStringLiteral("  ") + effect.name + QLatin1Char('\n');
    }
    return text;
}

ParamState param_state_of_effect(const QString& effectName) {
    const QString resourceName = resource_name_of(effectName);
    const QString descriptorName = resourceName + kDescriptorSuffix;
    const ControlDescriptor descriptor =
        parse_control_descriptor(resources::load_resource_lines(descriptorName), descriptorName);
    const QString program = resources::load_resource_lines(resourceName).value(0);
    ParamState params;
    params.paramAddresses = read_parameter_addresses(program, resourceName);
    params.potCount = descriptor.counts.pots;
    params.switchCount = descriptor.counts.switches;
    params.multiCount = descriptor.counts.multis;
    params.paramCount = descriptor.counts.total();
    for (int i = 0; i < descriptor.paramLines.size(); ++i) {
        const auto slot = static_cast<std::size_t>(i);
        params.paramNames[slot] = descriptor.paramLines.at(i);
        switch (kind_of_parameter(descriptor.counts, i)) {
        case ParamKind::Pot:
            break;
        case ParamKind::Switch: {
            const SwitchLine line = split_switch_line(params.paramNames[slot]);
            params.switchTexts[0][slot] = line.offText;
            params.switchTexts[1][slot] = line.onText;
            break;
        }
        case ParamKind::MultiSwitch:
            params.optionCounts[slot] = static_cast<std::uint32_t>(
                split_multi_switch_line(params.paramNames[slot]).options.size());
            break;
        }
    }
    params.reset_min_max_array();
    return params;
}

ParamInfo param_info(const ParamState& params, int slot) {
    const DescriptorCounts counts{params.potCount, params.switchCount, params.multiCount};
    ParamInfo info;
    info.number = slot + 1;
    info.kind = kind_of_parameter(counts, slot);
    const QString& line = params.paramNames[static_cast<std::size_t>(slot)];
    switch (info.kind) {
    case ParamKind::Pot:
        info.name = line;
        break;
    case ParamKind::Switch: {
        const SwitchLine split = split_switch_line(line);
        info.name = split.name;
        info.offText = split.offText;
        info.onText = split.onText;
        break;
    }
    case ParamKind::MultiSwitch: {
        const MultiSwitchLine split = split_multi_switch_line(line);
        info.name = split.name;
        info.options = split.options;
        break;
    }
    }
    return info;
}

QString params_text(const QString& effectName, const ParamState& params) {
    QString text = QStringLiteral("%1: %2 parameters\n").arg(effectName).arg(params.paramCount);
    std::vector<ParamInfo> infos;
    qsizetype nameWidth = 0;
    qsizetype kindWidth = 0;
    for (int i = 0; i < static_cast<int>(params.paramCount); ++i) {
        infos.push_back(param_info(params, i));
        nameWidth = std::max(nameWidth, infos.back().name.size());
        kindWidth = std::max(kindWidth, kindName(infos.back().kind).size());
    }
    for (const ParamInfo& info : infos) {
        QString takes;
        switch (info.kind) {
        case ParamKind::Pot:
            takes = QStringLiteral("0 to %1").arg(kValueMax);
            break;
        case ParamKind::Switch:
            takes = info.offText + QStringLiteral(" | ") + info.onText;
            break;
        case ParamKind::MultiSwitch:
            takes = info.options.join(QStringLiteral(" | "));
            break;
        }
        text += QStringLiteral("%1  %2  %3  %4\n")
                    .arg(info.number, 2)
                    .arg(info.name.leftJustified(nameWidth),
                         kindName(info.kind).leftJustified(kindWidth), takes);
    }
    return text;
}

SlotLookup find_parameter(const ParamState& params, const QString& effectName,
                          const QString& text) {
    const int count = static_cast<int>(params.paramCount);
    std::int32_t number = 0;
    if (parseNumber(text, number)) {
        if (number >= 1 && number <= count)
            return {number - 1, {}};
        return {-1, QStringLiteral("%1 has parameters 1 to %2, not %3.")
                        .arg(effectName)
                        .arg(count)
                        .arg(text.trimmed())};
    }
    QStringList names;
    std::vector<int> matches;
    for (int i = 0; i < count; ++i) {
        const ParamInfo info = param_info(params, i);
        names.append(info.name);
        if (sameName(info.name, text.trimmed()))
            matches.push_back(i);
    }
    if (matches.size() == 1)
        return {matches.front(), {}};
    if (matches.size() > 1)
        return {-1, QStringLiteral("%1 has %2 parameters named \"%3\": give its number.")
                        .arg(effectName)
                        .arg(matches.size())
                        .arg(text.trimmed())};
    return {-1, unknown_name_text(QStringLiteral("parameter"), text, names)
                    .replace(QStringLiteral("The parameters are"),
                             effectName + QStringLiteral("'s parameters are"))};
}

ValueParse parse_param_value(const ParamState& params, int slot, const QString& text) {
    const ParamInfo info = param_info(params, slot);
    const QString given = text.trimmed();
    std::int32_t number = 0;
    const bool numeric = parseNumber(given, number);
    const bool inRange = numeric && number >= 0 && number <= kValueMax;
    switch (info.kind) {
    case ParamKind::Pot:
        if (inRange)
            return {number, {}};
        return {0, QStringLiteral("%1 is a pot: give a value from 0 to %2, not \"%3\".")
                       .arg(info.name)
                       .arg(kValueMax)
                       .arg(given)};
    case ParamKind::Switch:
        if (sameName(given, QStringLiteral("on")) || sameName(given, info.onText))
            return {switch_value(true), {}};
        if (sameName(given, QStringLiteral("off")) || sameName(given, info.offText))
            return {switch_value(false), {}};
        if (inRange)
            return {switch_value(number > 0), {}};
        return {0, QStringLiteral("%1 is a switch: give on, off, \"%2\", \"%3\" or 0 to %4, not "
                                  "\"%5\".")
                       .arg(info.name, info.onText, info.offText)
                       .arg(kValueMax)
                       .arg(given)};
    case ParamKind::MultiSwitch: {
        const auto options = static_cast<std::uint32_t>(info.options.size());
        for (int k = 0; k < info.options.size(); ++k)
            if (sameName(given, info.options.at(k).trimmed()))
                return {multi_switch_value(k, options), {}};
        if (inRange) {
            const int index = multi_switch_index(number, options);
            if (index >= 0)
                return {multi_switch_value(index, options), {}};
        }
        return {0, QStringLiteral("%1 is a multi-switch: give one of %2 or 0 to %3, not \"%4\".")
                       .arg(info.name, info.options.join(QStringLiteral(", ")))
                       .arg(kValueMax)
                       .arg(given)};
    }
    }
    return {0, {}};
}

QString shown_value(const ParamState& params, int slot, std::int32_t value) {
    const ParamInfo info = param_info(params, slot);
    switch (info.kind) {
    case ParamKind::Pot:
        return QString::number(std::clamp(value, 0, kValueMax));
    case ParamKind::Switch:
        return value > 0 ? info.onText : info.offText;
    case ParamKind::MultiSwitch: {
        const int index =
            multi_switch_index(value, static_cast<std::uint32_t>(info.options.size()));
        return index < 0 ? QString() : info.options.at(index);
    }
    }
    return {};
}

} // namespace brivo::cli
