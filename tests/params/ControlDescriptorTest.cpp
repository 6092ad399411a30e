#include "params/ControlDescriptor.h"
#include "base/EditorError.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

struct SwitchCase {
    const char* line;
    SwitchLine expected;
};

TEST(ControlDescriptor, SwitchLineSplitsIntoNameOffAndOnTexts) {
    const SwitchCase cases[] = {
        {"Boost", {"Boost", "Boost", "Boost"}},
        {"Tap:Tap:Tap", {"Tap", "Tap", "Tap"}},
        {"Boost:OFF:ON", {"Boost", "OFF", "ON"}},
        {"Mode:Fast", {"Mode", "Fast", "Fast"}},
        // Colons after the second stay in the on text.
        {"Clock:Int:Ext:MIDI", {"Clock", "Int", "Ext:MIDI"}},
        {"Hold::", {"Hold", "", ""}},
        {":off:on", {"", "off", "on"}},
        {"Gate:", {"Gate", "", ""}},
    };
    for (const SwitchCase& c : cases)
        EXPECT_EQ(split_switch_line(QString::fromLatin1(c.line)), c.expected) << c.line;
}

struct MultiCase {
    const char* line;
    const char* name;
    const char* rest;
    QStringList options;
};

TEST(ControlDescriptor, MultiSwitchLineGivesOneOptionPerSemicolon) {
    const MultiCase cases[] = {
        {"Tracking;1;2;3;4", "Tracking", "1;2;3;4", {"1", "2", "3", "4"}},
        {"Mode;A", "Mode", "A", {"A"}},
        {"Wave;Sine;;Square", "Wave", "Sine;;Square", {"Sine", "", "Square"}},
        {"Type;A;B;", "Type", "A;B;", {"A", "B", ""}},
        {"Colour;Dark: warm;Bright", "Colour", "Dark: warm;Bright", {"Dark: warm", "Bright"}},
    };
    for (const MultiCase& c : cases) {
        const MultiSwitchLine line = split_multi_switch_line(QString::fromLatin1(c.line));
        EXPECT_EQ(line.name, QString::fromLatin1(c.name)) << c.line;
        EXPECT_EQ(line.rest, QString::fromLatin1(c.rest)) << c.line;
        EXPECT_EQ(line.options, c.options) << c.line;
        EXPECT_EQ(line.options.size(), QString::fromLatin1(c.line).count(u';')) << c.line;
    }
}

TEST(ControlDescriptor, CountLineReadsThreeUpperCaseHexDigits) {
    const std::pair<const char*, DescriptorCounts> cases[] = {
        {"300", {3, 0, 0}},  {"AC2", {10, 12, 2}},  {"421", {4, 2, 1}},
        {"0A0", {0, 10, 0}}, {"FFF", {15, 15, 15}}, {"19B", {1, 9, 11}},
    };
    for (const auto& [line, expected] : cases)
        EXPECT_EQ(parse_count_line(QString::fromLatin1(line), "FX_ctrls"), expected) << line;
}

TEST(ControlDescriptor, ExampleDescriptorGivesCountsAndParameterLines) {
    const QStringList lines = {"421", "Gain",         "Tone",           "Level",
                               "Dry", "Boost:OFF:ON", "Clip:Soft:Hard", "Tracking;1;2;3;4",
                               "",    "trailing text"};
    const ControlDescriptor d = parse_control_descriptor(lines, "Example_ctrls");
    EXPECT_EQ(d.counts, (DescriptorCounts{4, 2, 1}));
    EXPECT_EQ(d.counts.total(), 7u);
    // Lines after the last parameter are ignored.
    EXPECT_EQ(d.paramLines, lines.mid(1, 7));
}

TEST(ControlDescriptor, ParameterKindFollowsPotsSwitchesMultiSwitches) {
    const DescriptorCounts counts{4, 2, 1};
    const ParamKind expected[] = {ParamKind::Pot,        ParamKind::Pot,    ParamKind::Pot,
                                  ParamKind::Pot,        ParamKind::Switch, ParamKind::Switch,
                                  ParamKind::MultiSwitch};
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(kind_of_parameter(counts, i), expected[i]) << i;
}

struct RefusedCase {
    QStringList lines;
    const char* fault; // a part of the message that names the fault
};

TEST(ControlDescriptor, FaultyDescriptorsAreRefusedNamingDescriptorAndFault) {
    const QStringList threePots = {"Gain", "Tone", "Level"};
    const RefusedCase cases[] = {
        {{}, "empty"},
        {QStringList{"30"} + threePots, "\"30\" must be exactly three"},
        {QStringList{"3000"} + threePots, "\"3000\" must be exactly three"},
        {QStringList{"300 "} + threePots, "\"300 \" must be exactly three"},
        {QStringList{""} + threePots, "\"\" must be exactly three"},
        {QStringList{"3a0"} + threePots, "holds \"a\""},
        {QStringList{"30g"} + threePots, "holds \"g\""},
        {QStringList{" 30"} + threePots, "holds \" \""},
        {{"021", "Boost:OFF:ON", "Clip", "Mode;A;B"}, "no pot"},
        {QStringList{"AC3"} + QStringList(30, "P"), "25 parameters; at most 24"},
        {QStringList{"FFF"} + QStringList(50, "P;x"), "45 parameters"},
        {{"300", "Gain", "Tone"}, "declares 3 parameters but holds only 2"},
        {{"111", "Gain", "Boost", "Tracking"}, "multi-switch line 4 \"Tracking\" has no option"},
    };
    for (const RefusedCase& c : cases) {
        try {
            parse_control_descriptor(c.lines, "Clean_Boost_ctrls");
            ADD_FAILURE() << "accepted: " << c.lines.join('|').toStdString();
        } catch (const EditorError& e) {
            EXPECT_TRUE(e.text().startsWith("Control descriptor Clean_Boost_ctrls refused: "))
                << e.text().toStdString();
            EXPECT_TRUE(e.text().contains(QString::fromLatin1(c.fault)))
                << e.text().toStdString() << " should name " << c.fault;
        }
    }
}

TEST(ControlDescriptor, LimitsOfTheDataModelAreAccepted) {
    // 24 parameters, one pot, and a descriptor with exactly T + 1 lines.
    const QStringList full = QStringList{"AC2"} + QStringList(22, "P") + QStringList(2, "M;a");
    EXPECT_EQ(parse_control_descriptor(full, "Big_ctrls").paramLines.size(), 24);
    EXPECT_EQ(parse_control_descriptor({"100", "Gain"}, "One_ctrls").counts.total(), 1u);
}

} // namespace
} // namespace brivo
