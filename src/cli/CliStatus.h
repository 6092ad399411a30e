#pragma once

#include "params/ParamState.h"
#include "params/StatusRecord.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace brivo::cli {

// One parameter of the running effect as the pedal's status tells it.
struct ParamStatus {
    int number = 0; // from 1
    QString name;
    QString kind; // "pot", "switch", "multi-switch"
    std::int32_t value = 0;
    // What the window's control shows for the value.
    QString shown;
    // The controller's name; empty when none is assigned.
    QString controller;
    bool reversed = false;
    // Limits of an assigned pot, on the 0 to 1023 scale.
    std::optional<std::uint32_t> minLimit;
    std::optional<std::uint32_t> maxLimit;
};

// Decoded as the FX Parameters window shows a status: values, the last
// controller row that drives each parameter, reverse flags, and the limits
// of assigned pots.
std::vector<ParamStatus> param_statuses(const ParamState& params, const StatusRecord& record);

// What the pedal runs, for the head of the report.
struct RunningReport {
    QString effect;
    int effectNumber = 0;
    int effectVersion = 0;
    int firmwareVersion = 0;
};

// The identity as `identify` prints it.
QString identity_text(const RunningReport& running);

// The status as `status` prints it: the identity, one line per parameter
// with its value, then the assignments, reverse flags and limits.
QString status_text(const RunningReport& running, const std::vector<ParamStatus>& rows);

// The same as one JSON object (indented, ending in a line break).
QByteArray status_json(const RunningReport& running, const std::vector<ParamStatus>& rows);

} // namespace brivo::cli
