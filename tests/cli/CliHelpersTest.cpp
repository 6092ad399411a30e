// The pure helpers of brivo-cli: names, values and the status report.
#include "cli/CliCatalogue.h"
#include "cli/CliStatus.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace brivo::cli {
namespace {

// Chorus: four pots (Rate, Depth, Mix, Tone) and "Voices;1;2;3".
TEST(CliCatalogue, AnEffectsParametersComeFromItsDescriptorAndProgram) {
    const ParamState params = param_state_of_effect(QStringLiteral("Chorus"));
    EXPECT_EQ(params.paramCount, 5u);
    EXPECT_EQ(params.potCount, 4u);
    EXPECT_EQ(params.optionCounts[4], 3u);
    EXPECT_EQ(params.maxLimits[0], 1023u) << "limits over the full range";
    EXPECT_FALSE(params.paramAddresses[0].isEmpty());
    EXPECT_EQ(params_text(QStringLiteral("Chorus"), params),
              "Chorus: 5 parameters\n"
              " 1  Rate    pot           0 to 1023\n"
              " 2  Depth   pot           0 to 1023\n"
              " 3  Mix     pot           0 to 1023\n"
              " 4  Tone    pot           0 to 1023\n"
              " 5  Voices  multi-switch  1 | 2 | 3\n");
}

TEST(CliCatalogue, EffectsAreFoundInAnyCaseAndAnUnknownOneListsTheNames) {
    const std::optional<CatalogueEffect> chorus = find_effect(QStringLiteral("  cHoRuS "));
    ASSERT_TRUE(chorus);
    EXPECT_EQ(chorus->name, "Chorus");
    EXPECT_EQ(chorus->category, "Modulation");
    EXPECT_FALSE(find_effect(QStringLiteral("Chorsu")));
    EXPECT_EQ(unknown_name_text("effect", "Chorsu", {"Chorus", "Tuner"}),
              "Unknown effect \"Chorsu\". The effects are: Chorus, Tuner.");
    EXPECT_TRUE(effects_text().startsWith("Gain:\n  Clean Boost\n"));
    EXPECT_EQ(catalogue_effects().size(), 58u);
}

// A synthetic effect: a pot, a switch with its own texts, a multi-switch.
ParamState mixedEffect() {
    ParamState params;
    params.potCount = 1;
    params.switchCount = 1;
    params.multiCount = 1;
    params.paramCount = 3;
    params.paramNames[0] = "Level";
    params.paramNames[1] = "Mode:Soft:Hard";
    params.paramNames[2] = "Shape;Sine;Square;Saw;Ramp";
    params.optionCounts[2] = 4;
    return params;
}

TEST(CliCatalogue, AParameterIsNamedByItsNumberFromOneOrItsName) {
    const ParamState params = mixedEffect();
    struct Case {
        const char* text;
        int slot;
        const char* error;
    };
    const std::vector<Case> cases = {
        {"1", 0, ""},
        {"3", 2, ""},
        {"level", 0, ""},
        {"MODE", 1, ""},
        {"Shape", 2, ""},
        {"0", -1, "Fx has parameters 1 to 3, not 0."},
        {"4", -1, "Fx has parameters 1 to 3, not 4."},
        {"Lvl", -1, "Unknown parameter \"Lvl\". Fx's parameters are: Level, Mode, Shape."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const SlotLookup found = find_parameter(params, "Fx", c.text);
        EXPECT_EQ(found.slot, c.slot);
        EXPECT_EQ(found.error, QString::fromUtf8(c.error));
    }
}

TEST(CliCatalogue, TwoParametersOfOneNameAskForTheNumber) {
    ParamState params = mixedEffect();
    params.paramNames[0] = "Mode";
    EXPECT_EQ(find_parameter(params, "Fx", "mode").error,
              "Fx has 2 parameters named \"mode\": give its number.");
}

TEST(CliCatalogue, AValueIsTakenAsTheWindowsControlWouldSendIt) {
    const ParamState params = mixedEffect();
    struct Case {
        int slot;
        const char* text;
        std::int32_t value; // -1: refused
    };
    const std::vector<Case> cases = {
        {0, "0", 0},      {0, "1023", 1023},   {0, " 512 ", 512}, {0, "1024", -1},
        {0, "-1", -1},    {0, "loud", -1},     {0, "", -1},       {1, "on", 1023},
        {1, "OFF", 0},    {1, "hard", 1023},   {1, "Soft", 0},    {1, "0", 0},
        {1, "1", 1023},   {1, "700", 1023},    {1, "maybe", -1},  {1, "2000", -1},
        {2, "sine", 0},   {2, "Saw", 512},     {2, "ramp", 768},  {2, "300", 256},
        {2, "1023", 768}, {2, "Triangle", -1}, {2, "1024", -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.slot) + " " + c.text);
        const ValueParse parsed = parse_param_value(params, c.slot, c.text);
        if (c.value < 0) {
            EXPECT_FALSE(parsed.error.isEmpty());
        } else {
            EXPECT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
            EXPECT_EQ(parsed.value, c.value);
        }
    }
    EXPECT_EQ(parse_param_value(params, 2, "Triangle").error,
              "Shape is a multi-switch: give one of Sine, Square, Saw, Ramp or 0 to 1023, not "
              "\"Triangle\".");
}

TEST(CliStatus, TheReportShowsWhatTheWindowShows) {
    const ParamState params = mixedEffect();
    StatusRecord record;
    record.values = {700, 1023, 512};
    record.matrix[1][0] = 1; // Level on EXP
    record.matrix[6][1] = 1; // Mode on SW
    record.reverse[0] = 1;
    record.minLimitBytes[0] = 63; // 512
    record.maxLimitBytes[0] = 0;  // 1023
    const std::vector<ParamStatus> rows = param_statuses(params, record);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].minLimit, 512u);
    EXPECT_EQ(rows[0].maxLimit, 1023u);
    EXPECT_FALSE(rows[1].minLimit) << "only pots have limits";
    const RunningReport running{"Fx", 12, 3, 5};
    EXPECT_EQ(status_text(running, rows), "Effect: Fx\n"
                                          "Effect number: 12\n"
                                          "Effect version: 3\n"
                                          "Firmware version: 5\n"
                                          "Parameters:\n"
                                          " 1  Level: 700\n"
                                          " 2  Mode: Hard (1023)\n"
                                          " 3  Shape: Saw (512)\n"
                                          "Assignments: Level = EXP, Mode = SW\n"
                                          "Reversed: Level\n"
                                          "Limits: Level 51% to 100%\n");
    const QJsonObject json = QJsonDocument::fromJson(status_json(running, rows)).object();
    EXPECT_EQ(json["effect"].toString(), "Fx");
    EXPECT_EQ(json["firmwareVersion"].toInt(), 5);
    const QJsonArray parameters = json["parameters"].toArray();
    ASSERT_EQ(parameters.size(), 3);
    EXPECT_EQ(parameters[0].toObject()["assignment"].toString(), "EXP");
    EXPECT_EQ(parameters[0].toObject()["minLimit"].toInt(), 512);
    EXPECT_TRUE(parameters[0].toObject()["reversed"].toBool());
    EXPECT_TRUE(parameters[2].toObject()["assignment"].isNull());
    EXPECT_EQ(parameters[2].toObject()["shown"].toString(), "Saw");
    EXPECT_FALSE(parameters[2].toObject().contains("minLimit"));
}

TEST(CliStatus, AnEmptyReportSaysNone) {
    const ParamState params = mixedEffect();
    StatusRecord record;
    record.values = {0, 0, -300};
    const std::vector<ParamStatus> rows = param_statuses(params, record);
    const QString text = status_text({"Fx", 1, 1, 5}, rows);
    EXPECT_TRUE(text.contains(" 2  Mode: Soft (0)\n"));
    EXPECT_TRUE(text.contains(" 3  Shape: none (-300)\n")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("Assignments: none\nReversed: none\nLimits: none\n"));
}

} // namespace
} // namespace brivo::cli
