// The configuration file's lines, sections and checks.
#include "config/ConfigFile.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

// An effect with 4 pots, 2 switches and 1 multi-switch: pot 0 driven by EXP,
// switch 4 by SW, pot 2 reversed, limits cleared.
ConfigSettings exampleSettings() {
    ConfigSettings s;
    s.values = {512, 0, 1023, 300, 1023, 0, 256};
    s.assignments = {"EXP", "NA", "NA", "NA", "SW", "NA", "NA"};
    s.reversed = {false, false, true, false, false, false, false};
    s.minPercents = {limit_percent(0), limit_percent(0), limit_percent(0), limit_percent(0)};
    s.maxPercents = {limit_percent(1023), limit_percent(1023), limit_percent(1023),
                     limit_percent(1023)};
    return s;
}

const QByteArray kExampleFile = "512\r\n0\r\n1023\r\n300\r\n1023\r\n0\r\n256\r\n"
                                "EXP\r\nNA\r\nNA\r\nNA\r\nSW\r\nNA\r\nNA\r\n"
                                "F\r\nF\r\nT\r\nF\r\nF\r\nF\r\nF\r\n"
                                "1\r\n1\r\n1\r\n1\r\n"
                                "100\r\n100\r\n100\r\n100\r\n";

TEST(ConfigFile, TheExampleFileIsWrittenByteForByteAndReadBack) {
    EXPECT_EQ(config_file_text(exampleSettings()), kExampleFile);
    const ConfigCheck check = parse_config_file(kExampleFile, 7, 4);
    ASSERT_TRUE(check.settings) << check.reason.toStdString();
    EXPECT_EQ(*check.settings, exampleSettings());
}

TEST(ConfigFile, EveryLineEndIsReadAndAByteOrderMarkIsSkipped) {
    QByteArray lf = kExampleFile;
    lf.replace("\r\n", "\n");
    QByteArray cr = kExampleFile;
    cr.replace("\r\n", "\r");
    QByteArray noLastEnd = kExampleFile;
    noLastEnd.chop(2);
    for (const QByteArray& file : {lf, cr, noLastEnd, QByteArray("\xEF\xBB\xBF") + kExampleFile}) {
        const ConfigCheck check = parse_config_file(file, 7, 4);
        ASSERT_TRUE(check.settings) << check.reason.toStdString();
        EXPECT_EQ(*check.settings, exampleSettings());
    }
}

TEST(ConfigFile, SectionsStartWhereTheSaveWroteThem) {
    const ConfigSections s = config_sections(7, 4);
    EXPECT_EQ(s.values, 1);
    EXPECT_EQ(s.assignments, 8);
    EXPECT_EQ(s.reverse, 15);   // 2T + 1
    EXPECT_EQ(s.minimum, 22);   // 3T + 1
    EXPECT_EQ(s.maximum, 26);   // 3T + P + 1
    EXPECT_EQ(s.lineCount, 29); // 3T + 2P
    // Distinct values per section show that each is read from its own lines.
    ConfigSettings distinct = exampleSettings();
    distinct.minPercents = {2, 3, 4, 5};
    distinct.maxPercents = {96, 97, 98, 99};
    const ConfigCheck check = parse_config_file(config_file_text(distinct), 7, 4);
    ASSERT_TRUE(check.settings);
    EXPECT_EQ(*check.settings, distinct);
}

TEST(ConfigFile, LimitsAndPercentagesRoundTripWithoutDrift) {
    struct Case {
        std::uint32_t limit;
        int percent;
    };
    for (const Case c : {Case{0, 1}, Case{10, 1}, Case{512, 51}, Case{1013, 99}, Case{1023, 100}})
        EXPECT_EQ(limit_percent(c.limit), c.percent) << c.limit;
    EXPECT_EQ(limit_of_percent(1), 0u);
    EXPECT_EQ(limit_of_percent(100), 1023u);
    for (int p = 1; p <= 100; ++p) {
        const std::uint32_t limit = limit_of_percent(p);
        EXPECT_LE(limit, 1023u) << p;
        EXPECT_EQ(limit_percent(limit), p) << p;
        // Saved again after a load, a limit writes the same line.
        EXPECT_EQ(limit_of_percent(limit_percent(limit)), limit) << p;
    }
}

TEST(ConfigFile, TheSavedPercentageIsTheOneTheButtonShows) {
    struct Case {
        const char* text;
        std::uint32_t limit;
        int percent;
    };
    for (const Case c : {Case{"50%", 512, 50}, Case{"-", 512, 51}, Case{"0%", 8, 1},
                         Case{"100%", 1024, 100}, Case{"", 1023, 100}})
        EXPECT_EQ(shown_limit_percent(c.text, c.limit), c.percent) << c.text;
}

TEST(ConfigFile, AWrongFileNamesItsFirstBadLine) {
    const auto with = [](int line, const QByteArray& text) {
        QList<QByteArray> lines = kExampleFile.split('\n');
        lines[line - 1] = text + "\r";
        return lines.join('\n');
    };
    QByteArray shortFile = kExampleFile;
    shortFile.chop(5); // the last line gone
    struct Case {
        const char* name;
        QByteArray file;
        int badLine;
        const char* reasonPart;
    };
    const Case cases[] = {
        {"empty", QByteArray(), 1, "ends after 0 lines"},
        {"one line short", shortFile, 29, "ends after 28 lines"},
        {"one line more", kExampleFile + "1\r\n", 30, "another effect"},
        {"value not a number", with(3, "12a"), 3, "parameter value"},
        {"value empty", with(1, ""), 1, "parameter value"},
        {"value out of a word", with(2, "262144"), 2, "parameter value"},
        {"controller unknown", with(9, "EXP2"), 9, "controller name"},
        {"reverse neither T nor F", with(16, "t"), 16, "T or F"},
        {"minimum 0", with(23, "0"), 23, "from 1 to 100"},
        {"maximum above 100", with(27, "101"), 27, "from 1 to 100"},
        {"limit not a number", with(24, "5.5"), 24, "from 1 to 100"},
    };
    for (const Case& c : cases) {
        const ConfigCheck check = parse_config_file(c.file, 7, 4);
        EXPECT_FALSE(check.settings) << c.name;
        EXPECT_EQ(check.badLine, c.badLine) << c.name;
        EXPECT_TRUE(check.reason.contains(c.reasonPart))
            << c.name << ": " << check.reason.toStdString();
    }
    // A minimum above its pot's maximum is named at the maximum's line.
    QList<QByteArray> lines = with(22, "60").split('\n');
    lines[25] = "50\r";
    const ConfigCheck check = parse_config_file(lines.join('\n'), 7, 4);
    EXPECT_FALSE(check.settings);
    EXPECT_EQ(check.badLine, 26);
    EXPECT_TRUE(check.reason.contains("line 22")) << check.reason.toStdString();
    // The same lines for a descriptor with other counts are refused too.
    EXPECT_FALSE(parse_config_file(kExampleFile, 8, 3).settings);
}

TEST(ConfigFile, EveryDisplayNameGivesAValidFileName) {
    struct Case {
        const char* effect;
        const char* file;
    };
    for (const Case c : {Case{"Fuzz+Octave", "Fuzz+Octave.txt"},
                         Case{"Overdrive + Cabinet IR", "Overdrive + Cabinet IR.txt"},
                         Case{"A/B Box", "A_B Box.txt"},
                         Case{"Wah: \"Auto\" <1|2>?*\\", "Wah_ _Auto_ _1_2____.txt"},
                         Case{"..", "_...txt"}, Case{"Tab\there", "Tab_here.txt"}})
        EXPECT_EQ(config_file_name(c.effect), c.file) << c.effect;
    EXPECT_EQ(config_folder("/home/u/Documents"), "/home/u/Documents/Tandrel/Brivo");
}

} // namespace
} // namespace brivo
