#include "cli/CliStatus.h"

#include "cli/CliCatalogue.h"
#include "config/ConfigOfStatus.h"
#include "params/ParamMessages.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace brivo::cli {

namespace {
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

QString noneIfEmpty(const QStringList& items) {
    return items.isEmpty() ? QStringLiteral("none") : items.join(QStringLiteral(", "));
}
} // namespace

std::vector<ParamStatus> param_statuses(const ParamState& params, const StatusRecord& record) {
    const int T = std::min(static_cast<int>(params.paramCount), kParamSlots);
    const int P = std::min(static_cast<int>(params.potCount), T);
    std::vector<ParamStatus> rows;
    for (int i = 0; i < T; ++i) {
        const ParamInfo info = param_info(params, i);
        ParamStatus row;
        row.number = info.number;
        row.name = info.name;
        row.kind = kindName(info.kind);
        row.value = i < static_cast<int>(record.values.size()) ? record.values[i] : 0;
        row.shown = shown_value(params, i, row.value);
        const std::optional<int> controller = assigned_controller(record, i);
        if (controller)
            row.controller = controllerNames[static_cast<std::size_t>(*controller)];
        row.reversed = record.reverse[i] != 0;
        if (i < P && controller) {
            row.minLimit = min_limit_of_byte(record.minLimitBytes[i]);
            row.maxLimit = max_limit_of_byte(record.maxLimitBytes[i]);
        }
        rows.push_back(row);
    }
    return rows;
}

QString identity_text(const RunningReport& running) {
    return QStringLiteral("Effect: %1\nEffect number: %2\nEffect version: %3\nFirmware version: "
                          "%4\n")
        .arg(running.effect.isEmpty() ? QStringLiteral("none") : running.effect)
        .arg(running.effectNumber)
        .arg(running.effectVersion)
        .arg(running.firmwareVersion);
}

QString status_text(const RunningReport& running, const std::vector<ParamStatus>& rows) {
    QString text = identity_text(running);
    text += QStringLiteral("Parameters:\n");
    QStringList assignments;
    QStringList reversed;
    QStringList limits;
    for (const ParamStatus& row : rows) {
        const bool sameAsValue = row.shown == QString::number(row.value);
        const QString shown = row.shown.isEmpty() ? QStringLiteral("none") : row.shown;
        text += QStringLiteral("%1  %2: %3\n")
                    .arg(row.number, 2)
                    .arg(row.name,
                         sameAsValue ? shown : QStringLiteral("%1 (%2)").arg(shown).arg(row.value));
        if (!row.controller.isEmpty())
            assignments.append(row.name + QStringLiteral(" = ") + row.controller);
        if (row.reversed)
            reversed.append(row.name);
        if (row.minLimit && row.maxLimit)
            limits.append(QStringLiteral("%1 %2 to %3")
                              .arg(row.name,
                                   limit_button_text(static_cast<std::int32_t>(*row.minLimit)),
                                   limit_button_text(static_cast<std::int32_t>(*row.maxLimit))));
    }
    text += QStringLiteral("Assignments: ") + noneIfEmpty(assignments) + QLatin1Char('\n');
    text += QStringLiteral("Reversed: ") + noneIfEmpty(reversed) + QLatin1Char('\n');
    text += QStringLiteral("Limits: ") + noneIfEmpty(limits) + QLatin1Char('\n');
    return text;
}

QByteArray status_json(const RunningReport& running, const std::vector<ParamStatus>& rows) {
    QJsonArray parameters;
    for (const ParamStatus& row : rows) {
        QJsonObject item{{QStringLiteral("number"), row.number},
                         {QStringLiteral("name"), row.name},
                         {QStringLiteral("kind"), row.kind},
                         {QStringLiteral("value"), row.value},
                         {QStringLiteral("shown"), row.shown},
                         {QStringLiteral("assignment"), row.controller.isEmpty()
                                                            ? QJsonValue(QJsonValue::Null)
                                                            : QJsonValue(row.controller)},
                         {QStringLiteral("reversed"), row.reversed}};
        if (row.minLimit && row.maxLimit) {
            item.insert(QStringLiteral("minLimit"), static_cast<int>(*row.minLimit));
            item.insert(QStringLiteral("maxLimit"), static_cast<int>(*row.maxLimit));
        }
        parameters.append(item);
    }
    const QJsonObject root{
        {QStringLiteral("effect"), running.effect},
        {QStringLiteral("effectNumber"), running.effectNumber},
        {QStringLiteral("effectVersion"), running.effectVersion},
        {QStringLiteral("firmwareVersion"), running.firmwareVersion},
        {QStringLiteral("parameters"), parameters},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

} // namespace brivo::cli
