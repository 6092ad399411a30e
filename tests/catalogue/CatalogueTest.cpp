// The catalogue as the editor carries it: every format the other parts read
// from it, checked through the same loader they use.

#include "catalogue/CatalogueState.h"
#include "catalogue/ResourceName.h"
#include "catalogue/Resources.h"

#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

using namespace brivo;

namespace {

constexpr int kEffectCount = 58;
constexpr int kMaxParams = 24;
constexpr int kMinProgramBytes = 1280;
constexpr int kMaxProgramBytes = 9472;
constexpr int kProgramAlignBytes = 32;
constexpr int kNumberByte = 35;
constexpr int kVersionByte = 36;
constexpr int kIrWordBytes = 4;

struct Effect {
    int number;
    QString name;
    QString resource;
};

struct Descriptor {
    int pots = 0;
    int switches = 0;
    int multis = 0;
    int total() const { return pots + switches + multis; }
};

int hexDigit(QChar c) {
    return int(QStringLiteral("0123456789ABCDEF").indexOf(c));
}

// The counts of a descriptor's count line, or nothing when it is not three
// upper-case hex digits.
std::optional<Descriptor> countsOf(const QString& line) {
    if (line.size() != 3)
        return std::nullopt;
    const int p = hexDigit(line[0]), s = hexDigit(line[1]), m = hexDigit(line[2]);
    if (p < 0 || s < 0 || m < 0)
        return std::nullopt;
    return Descriptor{p, s, m};
}

// The program's bytes; fails the test unless the text is upper-case hex pairs.
QByteArray programBytes(const QString& text, const QString& resource) {
    static const QRegularExpression upperHex(QStringLiteral("^([0-9A-F]{2})*$"));
    EXPECT_TRUE(upperHex.match(text).hasMatch()) << resource.toStdString();
    return QByteArray::fromHex(text.toLatin1());
}

int wordAt(const QByteArray& bytes, int at) {
    return (quint8(bytes[at]) << 8) | quint8(bytes[at + 1]);
}

int addressOffset(int index) {
    return index < 16 ? 3 + 2 * index : 49 + 2 * (index - 16);
}

class Catalogue : public ::testing::Test {
  protected:
    void SetUp() override {
        const QStringList lines = resources::load_resource_lines("effect_list");
        for (int i = 1; i < lines.size(); ++i) {
            const QString name = lines[i].section(':', 1);
            effects.push_back({i, name, resource_name_of(name)});
        }
    }

    Descriptor descriptorOf(const Effect& e) {
        const QStringList lines = resources::load_resource_lines(e.resource + "_ctrls");
        const auto counts = lines.isEmpty() ? std::nullopt : countsOf(lines[0]);
        if (!counts) {
            ADD_FAILURE() << e.resource.toStdString() << ": bad count line";
            return {};
        }
        return *counts;
    }

    QByteArray programOf(const Effect& e) {
        const QStringList lines = resources::load_resource_lines(e.resource);
        if (lines.size() != 1) {
            ADD_FAILURE() << e.resource.toStdString() << ": program is not one line";
            return {};
        }
        return programBytes(lines[0], e.resource);
    }

    std::vector<Effect> effects;
};

TEST_F(Catalogue, EffectListNumbersEveryEffectInHex) {
    const QStringList lines = resources::load_resource_lines("EFFECT_LIST");
    ASSERT_EQ(lines.size(), kEffectCount + 1);
    EXPECT_EQ(lines[0], "0:empty");
    QSet<QString> upperNames;
    for (int i = 0; i < lines.size(); ++i) {
        const QString prefix = QString::number(i, 16).toUpper() + ':';
        EXPECT_TRUE(lines[i].startsWith(prefix)) << lines[i].toStdString();
        const QString name = lines[i].mid(prefix.size());
        EXPECT_FALSE(name.isEmpty());
        EXPECT_EQ(name, name.trimmed()) << lines[i].toStdString();
        upperNames.insert(resource_name_of(name).toUpper());
    }
    EXPECT_EQ(upperNames.size(), kEffectCount + 1) << "two effects share a resource name";
    EXPECT_EQ(lines.last(), "3A:" + effects.back().name);
    // The list travels with CR LF between lines and no break after the last.
    const QByteArray raw = *resources::find("EFFECT_LIST");
    EXPECT_EQ(raw.count("\r\n"), kEffectCount);
    EXPECT_EQ(raw.count('\n'), kEffectCount);
    EXPECT_FALSE(raw.endsWith('\n'));
}

TEST_F(Catalogue, CategoriesListEveryEffectOnceInListOrder) {
    // The editor asks for the category lists by their lower-case names.
    const struct {
        QString display;
        QString resource;
        int count;
    } categories[] = {{"Gain", "gain", 13},           {"Modulation", "modulation", 16},
                      {"Synthesis", "synthesis", 12}, {"Filter", "filter", 4},
                      {"Dynamic", "dynamic", 2},      {"Impulse Response", "impulse_response", 4},
                      {"Other", "other", 7}};
    ASSERT_EQ(std::size(categories), categoryNames.size());

    QHash<QString, int> numberOf;
    for (const Effect& e : effects)
        numberOf.insert(e.name, e.number);
    QHash<QString, QString> categoryOf;
    for (size_t c = 0; c < std::size(categories); ++c) {
        EXPECT_EQ(categories[c].display, categoryNames[c]);
        const QStringList lines = resources::load_resource_lines(categories[c].resource);
        EXPECT_EQ(lines.size(), categories[c].count) << categories[c].display.toStdString();
        int previous = 0;
        for (const QString& name : lines) {
            ASSERT_TRUE(numberOf.contains(name)) << "not in EFFECT_LIST: " << name.toStdString();
            EXPECT_GT(numberOf[name], previous) << "out of list order: " << name.toStdString();
            previous = numberOf[name];
            EXPECT_FALSE(categoryOf.contains(name)) << "in two categories: " << name.toStdString();
            categoryOf.insert(name, categories[c].display);
        }
        const QByteArray raw = *resources::find(categories[c].resource);
        EXPECT_EQ(raw.count("\r\n"), categories[c].count - 1)
            << categories[c].display.toStdString();
        EXPECT_EQ(raw.count('\n'), categories[c].count - 1) << categories[c].display.toStdString();
    }
    EXPECT_EQ(categoryOf.size(), kEffectCount);
}

TEST_F(Catalogue, EveryEffectHasProgramDescriptorAndPage) {
    ASSERT_EQ(effects.size(), size_t(kEffectCount));
    for (const Effect& e : effects)
        for (const char* suffix : {"", "_ctrls", "_info"})
            EXPECT_TRUE(resources::find(e.resource + suffix).has_value())
                << e.name.toStdString() << " lacks " << (e.resource + suffix).toStdString();
}

TEST_F(Catalogue, ProgramsCarryLengthNumberVersionAndOneLine) {
    for (const Effect& e : effects) {
        SCOPED_TRACE(e.name.toStdString());
        const QByteArray raw = *resources::find(e.resource);
        EXPECT_FALSE(raw.contains('\r') || raw.contains('\n')) << "line break in the program";
        const QByteArray bytes = programOf(e);
        ASSERT_GE(bytes.size(), kMinProgramBytes);
        EXPECT_LE(bytes.size(), kMaxProgramBytes);
        EXPECT_EQ(bytes.size() % kProgramAlignBytes, 0);
        const int length = (quint8(bytes[0]) << 16) | (quint8(bytes[1]) << 8) | quint8(bytes[2]);
        EXPECT_EQ(length, bytes.size());
        EXPECT_EQ(quint8(bytes[kNumberByte]), e.number);
        EXPECT_GE(quint8(bytes[kVersionByte]), 1);
        EXPECT_LE(quint8(bytes[kVersionByte]), 9);
    }
}

TEST_F(Catalogue, ProgramsHoldAnAddressForEachParameterOnly) {
    for (const Effect& e : effects) {
        SCOPED_TRACE(e.name.toStdString());
        const Descriptor d = descriptorOf(e);
        const QByteArray bytes = programOf(e);
        ASSERT_GE(bytes.size(), 65);
        QSet<int> seen;
        for (int i = 0; i < kMaxParams; ++i) {
            const int address = wordAt(bytes, addressOffset(i));
            if (i < d.total()) {
                EXPECT_NE(address, 0) << "parameter " << i;
                EXPECT_FALSE(seen.contains(address)) << "parameter " << i << " repeats an address";
                seen.insert(address);
            } else {
                EXPECT_EQ(address, 0) << "absent parameter " << i;
            }
        }
    }
}

TEST_F(Catalogue, DescriptorsFollowTheirGrammar) {
    for (const Effect& e : effects) {
        SCOPED_TRACE(e.name.toStdString());
        const QStringList lines = resources::load_resource_lines(e.resource + "_CTRLS");
        ASSERT_FALSE(lines.isEmpty());
        const auto counts = countsOf(lines[0]);
        ASSERT_TRUE(counts.has_value()) << "count line \"" << lines[0].toStdString() << '"';
        const Descriptor d = *counts;
        EXPECT_GE(d.pots, 1);
        EXPECT_LE(d.total(), kMaxParams);
        ASSERT_GE(lines.size(), d.total() + 1);
        for (int i = 0; i < d.total(); ++i) {
            const QString& line = lines[i + 1];
            EXPECT_FALSE(line.isEmpty()) << "parameter " << i;
            EXPECT_EQ(line, line.trimmed()) << "parameter " << i;
            if (i < d.pots) {
                EXPECT_FALSE(line.contains(':') || line.contains(';')) << line.toStdString();
            } else if (i < d.pots + d.switches) {
                EXPECT_FALSE(line.contains(';')) << line.toStdString();
            } else {
                EXPECT_GE(line.count(';'), 1) << line.toStdString();
                for (const QString& option : line.split(';'))
                    EXPECT_FALSE(option.isEmpty()) << line.toStdString();
            }
        }
        for (int i = d.total() + 1; i < lines.size(); ++i)
            EXPECT_TRUE(lines[i].isEmpty()) << "text after the last parameter";
    }
}

// Other parts' tests lean on these; a catalogue edit must not lose them.
TEST_F(Catalogue, DescriptorsCoverTheCasesTheEditorHandles) {
    QSet<QString> countLines, switchLines;
    QSet<int> optionCounts;
    int lfOnly = 0, crlf = 0, blankTail = 0, oneColon = 0;
    QStringList example;
    for (const Effect& e : effects) {
        const QByteArray raw = *resources::find(e.resource + "_CTRLS");
        if (raw.contains('\r'))
            ++crlf;
        else if (raw.contains('\n'))
            ++lfOnly;
        const QStringList lines = resources::load_resource_lines(e.resource + "_CTRLS");
        const Descriptor d = *countsOf(lines[0]);
        countLines.insert(lines[0]);
        if (lines.size() > d.total() + 1)
            ++blankTail;
        for (int i = d.pots; i < d.pots + d.switches; ++i) {
            switchLines.insert(lines[i + 1]);
            oneColon += lines[i + 1].count(':') == 1;
        }
        for (int i = d.pots + d.switches; i < d.total(); ++i)
            optionCounts.insert(int(lines[i + 1].count(';')));
        if (lines[0] == "421")
            example = lines.mid(0, 8);
    }
    EXPECT_TRUE(countLines.contains("AC2"));
    EXPECT_TRUE(countLines.contains("300"));
    EXPECT_EQ(example, QStringList({"421", "Gain", "Tone", "Level", "Dry", "Boost:OFF:ON",
                                    "Clip:Soft:Hard", "Tracking;1;2;3;4"}));
    EXPECT_TRUE(switchLines.contains("Boost"));
    EXPECT_TRUE(switchLines.contains("Tap:Tap:Tap"));
    EXPECT_GT(oneColon, 0);
    for (int options : {2, 3, 4, 12, 16})
        EXPECT_TRUE(optionCounts.contains(options)) << options << " options";
    EXPECT_GT(lfOnly, 0);
    EXPECT_GT(crlf, 0);
    EXPECT_GT(blankTail, 0);
}

TEST_F(Catalogue, ImpulseResponseEffectsHoldTheirRegionInPlace) {
    const struct {
        QString name;
        int firstByte;
        int words;
    } regions[] = {{"Overdrive + Cabinet IR", 362, 703},
                   {"Fuzz + Cabinet IR", 370, 703},
                   {"Cabinet IR Basic", 230, 912}};
    const QStringList irCategory = resources::load_resource_lines("impulse_response");
    for (const auto& r : regions) {
        SCOPED_TRACE(r.name.toStdString());
        EXPECT_TRUE(irCategory.contains(r.name));
        const QByteArray bytes = programOf({0, r.name, resource_name_of(r.name)});
        const int end = r.firstByte + r.words * kIrWordBytes;
        ASSERT_GE(bytes.size(), end);
        EXPECT_EQ(bytes.mid(r.firstByte, kIrWordBytes).toHex().toUpper(), QByteArray("FF800000"));
        const QByteArray rest =
            bytes.mid(r.firstByte + kIrWordBytes, end - r.firstByte - kIrWordBytes);
        EXPECT_EQ(rest, QByteArray(rest.size(), '\0'));
        // The block is bounded by program bytes, not by more zeros by chance.
        EXPECT_NE(bytes.mid(end, 8), QByteArray(8, '\0'));
    }
    EXPECT_TRUE(irCategory.contains("Cabinet IR + EQ"));
}

TEST_F(Catalogue, InfoPagesAreHtml4InWindows1252) {
    int pagesWithImage = 0;
    static const QRegularExpression image(QStringLiteral("<img\\s+src=\"([^\"]+)\""),
                                          QRegularExpression::CaseInsensitiveOption);
    for (const Effect& e : effects) {
        SCOPED_TRACE(e.name.toStdString());
        const QByteArray page = *resources::find(e.resource + "_INFO");
        for (const char c : page)
            ASSERT_TRUE(quint8(c) < 0x80) << "non-ASCII byte";
        const QStringList lines = resources::load_resource_lines(e.resource + "_INFO");
        ASSERT_FALSE(lines.isEmpty());
        EXPECT_EQ(lines[0], R"(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.0 Transitional//EN">)");
        const QString text = QString::fromLatin1(page);
        EXPECT_TRUE(text.contains(
            R"(<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">)"));
        EXPECT_TRUE(text.contains("<title>" + e.name));
        const auto match = image.match(text);
        if (match.hasMatch()) {
            ++pagesWithImage;
            EXPECT_FALSE(resources::find(match.captured(1)).has_value());
        }
    }
    EXPECT_EQ(pagesWithImage, 1);
}

} // namespace
