#include "params/ParamMessages.h"

#include <gtest/gtest.h>
#include <limits>

namespace brivo {
namespace {

TEST(ParamMessages, SetParameterCarriesAddressAndValueTimes8192) {
    const std::tuple<const char*, std::int32_t, const char*> cases[] = {
        {"0002", 512, "01000200400000"},
        {"0002", 1023, "010002007FE000"},
        {"0002", 0, "01000200000000"},
        {"0000", 1, "01000000002000"},
        {"1A2B", 682, "011A2B00554000"},
        {"0002", 935, "0100020074E000"},
        // No multi-switch option selected with 4 options: two's complement.
        {"0002", -256, "010002FFE00000"},
    };
    for (const auto& [address, value, hex] : cases)
        EXPECT_EQ(set_parameter_hex(address, value), QString::fromLatin1(hex))
            << address << " " << value;
}

TEST(ParamMessages, ValueOfEachKindOfParameter) {
    const std::pair<double, std::int32_t> pots[] = {
        {0.0, 0},  {511.5, 512},   {512.5, 512},   {510.5, 510},
        {0.49, 0}, {1022.5, 1022}, {1023.0, 1023}, {700.6, 701},
    };
    for (const auto& [position, value] : pots)
        EXPECT_EQ(pot_value(position), value) << position;

    EXPECT_EQ(switch_value(true), 1023);
    EXPECT_EQ(switch_value(false), 0);

    const std::tuple<int, std::uint32_t, std::int32_t> multis[] = {
        {0, 4, 0},
        {1, 4, 256},
        {3, 4, 768},
        {2, 3, 682},
        {1, 3, 341},
        {11, 12, 935},
        {-1, 4, -256},
        {-1, 3, -341},
        {0, 1, 0},
        {5, 0, 0},
        // Extremes stay within 32 bits instead of overflowing.
        {std::numeric_limits<int>::max(), 1, std::numeric_limits<std::int32_t>::max()},
        {std::numeric_limits<int>::min(), 1, std::numeric_limits<std::int32_t>::min()},
        {5, 5000, 0},
        {1, std::numeric_limits<std::uint32_t>::max(), 0},
    };
    for (const auto& [index, options, value] : multis)
        EXPECT_EQ(multi_switch_value(index, options), value) << index << " of " << options;
}

TEST(ParamMessages, LimitMessageCarriesKindPotIndexAndValue) {
    const std::tuple<int, LimitKind, std::int32_t, const char*> cases[] = {
        {3, LimitKind::Minimum, 512, "06000300400000"},
        {3, LimitKind::Maximum, 1023, "060103007FE000"},
        {0, LimitKind::Minimum, 700, "06000000578000"},
        {23, LimitKind::Maximum, 0, "06011700000000"},
        {10, LimitKind::Minimum, 0, "06000A00000000"},
    };
    for (const auto& [pot, kind, value, hex] : cases)
        EXPECT_EQ(limit_hex(pot, kind, value), QString::fromLatin1(hex)) << hex;
    EXPECT_EQ(value_word_hex(700), "00578000");
}

TEST(ParamMessages, LimitButtonPercentage) {
    const std::pair<std::int32_t, int> cases[] = {
        {0, 1},
        {10, 1},
        {11, 2},
        {512, 51},
        {700, 69},
        {1013, 99},
        {1014, 100},
        {1023, 100},
        {1024, 100}, // a maximum read back from the top limit byte
        {std::numeric_limits<std::int32_t>::max(), 100},
        {std::numeric_limits<std::int32_t>::min(), -209715199},
    };
    for (const auto& [value, percent] : cases)
        EXPECT_EQ(limit_button_percent(value), percent) << value;
}

TEST(ParamMessages, AssignmentTableForTenParameters) {
    AssignMatrix matrix{};
    matrix[0][0] = 1;
    matrix[1][9] = 1;
    matrix[6][15] = 1; // beyond T, but the matrix holds it
    matrix[2][16] = 1;
    matrix[6][23] = 1;
    matrix[3][4] = 0x101; // only the low byte travels
    std::array<bool, kParamSlots> reversed{};
    reversed[2] = true;
    reversed[9] = true;
    reversed[12] = true; // beyond T: not written

    const AssignTable table = build_assign_table(matrix, reversed, 10);
    std::array<std::uint8_t, kAssignTableBytes> expected{};
    expected[0] = 1;
    expected[16 * 1 + 9] = 1;
    expected[16 * 6 + 15] = 1;
    expected[16 * 3 + 4] = 1;
    expected[112 + 2] = 1;
    expected[112 + 9] = 1;
    expected[128 + 8 * 2 + 0] = 1;
    expected[128 + 8 * 6 + 7] = 1;
    EXPECT_EQ(table.bytes, expected);

    // The console shows the whole table: 7 blocks of 16, T reverse lines, 7 blocks of 8.
    const QStringList& log = table.logLines;
    ASSERT_EQ(log.size(), 1 + 7 * 17 + 10 + 1 + 7 * 9);
    EXPECT_EQ(log[0], "ASSIGNMENTS SENT from 0 to 15:");
    EXPECT_EQ(log[1], "CONTROL NUM I:");
    EXPECT_EQ(log[2], "p0: 1");
    EXPECT_EQ(log[3], "p1: 0");
    EXPECT_EQ(log[1 + 17], "CONTROL NUM EXP:");
    EXPECT_EQ(log[1 + 17 * 3], "CONTROL NUM III:");
    EXPECT_EQ(log[1 + 17 * 3 + 1 + 4], "p4: 257");
    EXPECT_EQ(log[1 + 17 * 6], "CONTROL NUM SW:");
    EXPECT_EQ(log[120], "param 0...");
    EXPECT_EQ(log[122], "param 2 REVERSED");
    EXPECT_EQ(log[129], "param 9 REVERSED");
    EXPECT_EQ(log[130], "ASSIGNMENTS SENT from 16 to 23:");
    EXPECT_EQ(log[131], "CONTROL NUM I:");
    EXPECT_EQ(log[132], "p16: 0");
    EXPECT_EQ(log[131 + 9 * 2 + 1], "p16: 1");
    EXPECT_EQ(log.last(), "p23: 1");
}

TEST(ParamMessages, AssignmentBlockOfHighParametersOverwritesTheirReverseFlags) {
    AssignMatrix matrix{};
    matrix[0][17] = 1;
    matrix[1][16] = 1;
    std::array<bool, kParamSlots> reversed{};
    reversed[15] = true;
    reversed[16] = true;
    reversed[23] = true;
    const AssignTable table = build_assign_table(matrix, reversed, 24);
    EXPECT_EQ(table.bytes[127], 1); // reverse flag of parameter 15 stays
    EXPECT_EQ(table.bytes[128], 0); // controller I, parameter 16
    EXPECT_EQ(table.bytes[129], 1); // controller I, parameter 17
    EXPECT_EQ(table.bytes[135], 0); // controller I, parameter 23
    EXPECT_EQ(table.bytes[136], 1); // controller EXP, parameter 16
    EXPECT_TRUE(table.logLines.contains("param 16 REVERSED"));
    EXPECT_TRUE(table.logLines.contains("param 23 REVERSED"));
    for (int b = 184; b < kAssignTableBytes; ++b)
        EXPECT_EQ(table.bytes[b], 0) << b;
}

TEST(ParamMessages, AssignmentChoiceRewritesTheColumn) {
    struct Case {
        int selected;
        int expectedRow; // -1: the column is all zero
        std::uint8_t expectedFlag;
    };
    const Case cases[] = {{-1, -1, 1}, {7, -1, 0}, {0, 0, 1}, {2, 2, 1}, {6, 6, 1}};
    for (const Case& c : cases) {
        ParamState state;
        state.assignMatrix[3][5] = 1;
        state.assignMatrix[4][5] = 1;
        state.assignMatrix[3][6] = 1; // another parameter, untouched
        state.assignedFlags[5] = 1;
        state.assignedFlags[6] = 1;
        apply_assignment_choice(state, 5, c.selected);
        for (int r = 0; r < kControllerCount; ++r)
            EXPECT_EQ(state.assignMatrix[r][5], r == c.expectedRow ? 1u : 0u)
                << "choice " << c.selected << " row " << r;
        EXPECT_EQ(state.assignedFlags[5], c.expectedFlag) << "choice " << c.selected;
        EXPECT_EQ(state.assignMatrix[3][6], 1u);
        EXPECT_EQ(state.assignedFlags[6], 1);
    }
}

} // namespace
} // namespace brivo
