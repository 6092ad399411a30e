// Configuration settings built from the pedal's status and sent from a file,
// without any window.
#include "config/ConfigOfStatus.h"
#include "params/ParamMessages.h"
#include "params/StatusRecord.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

// Two pots, a switch and a three-way multi-switch.
ParamState fourParameters() {
    ParamState params;
    params.potCount = 2;
    params.switchCount = 1;
    params.multiCount = 1;
    params.paramCount = 4;
    params.optionCounts[3] = 3;
    params.reset_min_max_array();
    return params;
}

StatusRecord recordWith(std::vector<std::int32_t> values) {
    StatusRecord record;
    record.values = std::move(values);
    return record;
}

TEST(ConfigOfStatus, TheLastControllerRowOfAParameterIsItsAssignment) {
    struct Case {
        const char* what;
        std::vector<int> rows; // rows with a non-zero entry for parameter 1
        std::optional<int> controller;
    };
    const std::vector<Case> cases = {
        {"none", {}, std::nullopt},
        {"EXP alone", {1}, 1},
        {"I and SW: the window ends on SW", {0, 6}, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StatusRecord record;
        for (const int r : c.rows)
            record.matrix[r][1] = 1;
        EXPECT_EQ(assigned_controller(record, 1), c.controller);
        EXPECT_EQ(assigned_controller(record, 0), std::nullopt);
    }
}

TEST(ConfigOfStatus, TheFileKeepsValuesAssignmentsReverseFlagsAndTheLimitsOfAssignedPots) {
    ParamState params = fourParameters();
    // What the parameters hold for an unassigned pot stays in the file.
    params.minLimits[1] = 512;
    params.maxLimits[1] = 800;
    StatusRecord record = recordWith({700, 12, 1023, 341});
    record.matrix[1][0] = 1; // pot 0 on EXP
    record.matrix[4][2] = 1; // the switch on SWT
    record.reverse[0] = 1;
    record.reverse[3] = 1;
    record.minLimitBytes[0] = 10; // (10 + 1) × 8 = 88: 9%
    record.maxLimitBytes[0] = 0;  // the end of the range: 1023, 100%
    record.minLimitBytes[1] = 50; // ignored: pot 1 is not assigned
    const ConfigSettings settings = config_of_status(params, record);
    EXPECT_EQ(settings.values, (std::vector<std::int32_t>{700, 12, 1023, 341}));
    EXPECT_EQ(settings.assignments, (QStringList{"EXP", "NA", "SWT", "NA"}));
    EXPECT_EQ(settings.reversed, (std::vector<bool>{true, false, false, true}));
    EXPECT_EQ(settings.minPercents, (std::vector<int>{9, 51}));
    EXPECT_EQ(settings.maxPercents, (std::vector<int>{100, 79}));
}

TEST(ConfigOfStatus, ALoadedFileSendsWhatTheWindowsControlsWouldSend) {
    const ParamState params = fourParameters();
    struct Case {
        const char* what;
        std::vector<std::int32_t> values;
        std::vector<ConfigSend> sends;
        // What the controls show: a value they show already is not sent.
        std::vector<std::int32_t> shown = {};
    };
    const auto same = [](const std::vector<ConfigSend>& a, const std::vector<ConfigSend>& b) {
        return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                                  [](const ConfigSend& x, const ConfigSend& y) {
                                                      return x.slot == y.slot && x.value == y.value;
                                                  });
    };
    const std::vector<Case> cases = {
        {"in range", {0, 1023, 1023, 341}, {{0, 0}, {1, 1023}, {2, 1023}, {3, 341}}},
        {"pots held in range", {-5, 2000, 0, 0}, {{0, 0}, {1, 1023}, {2, 0}, {3, 0}}},
        {"a switch above 0 is on", {1, 1, 1, 0}, {{0, 1}, {1, 1}, {2, 1023}, {3, 0}}},
        {"a negative switch is off", {1, 1, -3, 0}, {{0, 1}, {1, 1}, {2, 0}, {3, 0}}},
        {"a multi-switch sends its option's value",
         {1, 1, 0, 700},
         {{0, 1}, {1, 1}, {2, 0}, {3, 682}}},
        {"a multi-switch that selects nothing sends nothing",
         {1, 1, 0, -400},
         {{0, 1}, {1, 1}, {2, 0}}},
        {"controls that already show the values send nothing",
         {-5, 2000, 7, 700},
         {},
         {0, 1023, 1, 2}},
        {"only the controls that change send",
         {300, 1023, 0, 0},
         {{0, 300}, {2, 0}, {3, 0}},
         {299, 1023, 1, -1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ConfigSettings settings;
        settings.values = c.values;
        EXPECT_TRUE(same(config_values_to_send(params, settings, c.shown), c.sends));
    }
}

TEST(ConfigOfStatus, ALoadedFilesAssignmentsReplaceThePedalsAndLimitOnlyAssignedPots) {
    ParamState params = fourParameters();
    // Assigned before the load: "NA" in the file clears it.
    apply_assignment_choice(params, 1, 2);
    ConfigSettings settings;
    settings.values = {0, 0, 0, 0};
    settings.assignments = {"EXP", "NA", "SW", "NA"};
    settings.reversed = {true, false, true, false};
    settings.minPercents = {10, 20};
    settings.maxPercents = {90, 80};
    const ConfigAssignment result = apply_config_assignments(params, settings);
    EXPECT_EQ(result.limitedPots, std::vector<int>{0});
    EXPECT_TRUE(result.reversed[0]);
    EXPECT_FALSE(result.reversed[1]);
    EXPECT_TRUE(result.reversed[2]);
    EXPECT_EQ(params.assignMatrix[1][0], 1u);
    EXPECT_EQ(params.assignMatrix[2][1], 0u);
    EXPECT_EQ(params.assignedFlags[1], 0);
    EXPECT_EQ(params.assignMatrix[6][2], 1u);
    EXPECT_EQ(params.minLimits[0], limit_of_percent(10, LimitKind::Minimum));
    EXPECT_EQ(params.maxLimits[0], limit_of_percent(90, LimitKind::Maximum));
    EXPECT_EQ(params.minLimits[1], 0u) << "an unassigned pot keeps its limits";
    EXPECT_EQ(params.maxLimits[1], 1023u);
    // The table that goes out carries them.
    const AssignTable table = build_assign_table(params.assignMatrix, result.reversed, 4);
    EXPECT_EQ(table.bytes[16 * 1 + 0], 1) << "EXP drives parameter 0";
    EXPECT_EQ(table.bytes[112], 1) << "parameter 0 reversed";
}

} // namespace
} // namespace brivo
