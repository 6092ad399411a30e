// The configuration file's lines, sections and checks.
#include "config/ConfigFile.h"
#include "params/StatusRecord.h"
#include "virtualpedal/StatusRecord.h"

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
    EXPECT_EQ(limit_of_percent(1, LimitKind::Minimum), 0u);
    EXPECT_EQ(limit_of_percent(100, LimitKind::Minimum), 1016u);
    EXPECT_EQ(limit_of_percent(100, LimitKind::Maximum), 1023u);
    EXPECT_EQ(limit_of_percent(1, LimitKind::Maximum), 16u);
    EXPECT_EQ(limit_of_percent(79, LimitKind::Maximum), 800u); // 799 would drop to 792, 78%
    // Every percentage through the pedal's steps of 8: loaded, stored as a
    // limit byte, read back by a Request, shown and saved again.
    for (int p = 1; p <= 100; ++p) {
        const std::uint32_t min = limit_of_percent(p, LimitKind::Minimum);
        const std::uint32_t max = limit_of_percent(p, LimitKind::Maximum);
        EXPECT_EQ(limit_percent(min), p) << p;
        // The pedal's lowest maximum is 16: a maximum of 1% becomes 2%.
        EXPECT_EQ(limit_percent(max), p == 1 ? 2 : p) << p;
        EXPECT_LE(min, max) << p;
        const std::uint32_t minBack = min_limit_of_byte(minimumLimitByte(static_cast<int>(min)));
        const std::uint32_t maxBack = max_limit_of_byte(maximumLimitByte(static_cast<int>(max)));
        EXPECT_EQ(minBack, min) << p;
        EXPECT_EQ(maxBack, max) << p;
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
        {"maximum below 0", with(27, "-101"), 27, "from 1 to 100"},
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

TEST(ConfigFile, LimitsAboveOneHundredFromTheOlderProgramReadAsOneHundred) {
    // Its formula writes 101 for a limit of 1024 (limit byte 127).
    struct Case {
        int line;
        const char* text;
        int pot;
        bool maximum;
    };
    for (const Case c : {Case{22, "101", 0, false}, Case{26, "101", 0, true},
                         Case{29, "250", 3, true}, Case{25, "100000", 3, false}}) {
        QList<QByteArray> lines = kExampleFile.split('\n');
        lines[c.line - 1] = QByteArray(c.text) + "\r";
        const ConfigCheck check = parse_config_file(lines.join('\n'), 7, 4);
        ASSERT_TRUE(check.settings) << c.line << ": " << check.reason.toStdString();
        const auto& percents =
            c.maximum ? check.settings->maxPercents : check.settings->minPercents;
        EXPECT_EQ(percents[c.pot], 100) << c.line;
    }
}

TEST(ConfigFile, AMultiSwitchValueBelowItsFirstOptionIsRefusedNamingItsLine) {
    // Parameter 6 is a multi-switch; 3 options step by 341, 16 by 64.
    struct Case {
        std::uint32_t options;
        const char* value;
        bool taken;
    };
    for (const Case c : {Case{3, "-341", false}, Case{3, "-100000", false}, Case{3, "-340", true},
                         Case{3, "0", true}, Case{3, "1023", true}, Case{16, "-64", false},
                         Case{16, "-63", true}}) {
        QList<QByteArray> lines = kExampleFile.split('\n');
        lines[6] = QByteArray(c.value) + "\r";
        const std::vector<std::uint32_t> options = {0, 0, 0, 0, 0, 0, c.options};
        const ConfigCheck check = parse_config_file(lines.join('\n'), 7, 4, options);
        EXPECT_EQ(check.settings.has_value(), c.taken) << c.options << " " << c.value;
        if (!c.taken) {
            EXPECT_EQ(check.badLine, 7) << c.value;
            EXPECT_TRUE(check.reason.contains(QStringLiteral("%1 options").arg(c.options)))
                << check.reason.toStdString();
            EXPECT_TRUE(check.reason.contains(c.value)) << check.reason.toStdString();
        }
    }
    // Pots and switches take any value: the pot holds it within its range,
    // a switch reads 0 or below as off.
    QList<QByteArray> lines = kExampleFile.split('\n');
    lines[0] = "-5000\r";
    lines[4] = "-5000\r";
    EXPECT_TRUE(
        parse_config_file(lines.join('\n'), 7, 4, std::vector<std::uint32_t>{0, 0, 0, 0, 0, 0, 3})
            .settings);
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
