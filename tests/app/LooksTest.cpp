// The looks: every style sheet applies cleanly, keeps its text readable, and
// Settings > Look remembers the choice in style.txt.
#include "app/Looks.h"
#include "app/LookMenu.h"
#include "app/TformMain.h"
#include "params/TformFXParameters.h"
#include "params/ToggleSwitch.h"
#include "support/EditorHarness.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>

namespace brivo::test {
namespace {

QStringList g_warnings;

void recordWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        g_warnings.append(text);
}

// WCAG 2 relative luminance and contrast ratio.
double luminance(const QColor& colour) {
    const auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

struct ColourPair {
    QString selector;
    QColor text;
    QColor background;
};

// The text and background colour of every rule that sets a text colour. A
// transparent background is read as the window's: the first rule's.
std::vector<ColourPair> textPairs(const QString& sheet, QStringList& problems) {
    static const QRegularExpression rule(QStringLiteral("([^{}]+)\\{([^}]*)\\}"));
    static const QRegularExpression comment(QStringLiteral("/\\*.*?\\*/"),
                                            QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression colour(QStringLiteral("(?:^|;)\\s*color\\s*:\\s*([^;]+)"));
    static const QRegularExpression background(
        QStringLiteral("(?:^|;)\\s*background-color\\s*:\\s*([^;]+)"));
    QString text = sheet;
    text.remove(comment);
    std::vector<ColourPair> pairs;
    QColor window;
    for (auto it = rule.globalMatch(text); it.hasNext();) {
        const auto match = it.next();
        const QString selector = match.captured(1).simplified();
        const QString body = match.captured(2).simplified();
        const auto fg = colour.match(body);
        const auto bg = background.match(body);
        if (!window.isValid() && bg.hasMatch())
            window = QColor(bg.captured(1).trimmed());
        if (!fg.hasMatch())
            continue;
        if (!bg.hasMatch()) {
            problems.append(selector + QStringLiteral(": a text colour without its background"));
            continue;
        }
        const QString bgText = bg.captured(1).trimmed();
        pairs.push_back({selector, QColor(fg.captured(1).trimmed()),
                         bgText == QStringLiteral("transparent") ? window : QColor(bgText)});
    }
    return pairs;
}

class Looks : public ::testing::Test {
  protected:
    void TearDown() override { qApp->setStyleSheet(QString()); }
};

TEST_F(Looks, EveryStyleSheetAppliesToEveryWindowWithoutAWarning) {
    EditorHarness h;
    h.plugPedal();
    h.start();
    h.connect();
    // A window with pots, switches and multi-switches, and the console.
    h.clickCategory(QStringLiteral("Other"));
    h.clickEffect(QStringLiteral("Drive + Delay"));
    h.trigger(h.main().menuDiagnosticConsole);
    const QtMessageHandler previous = qInstallMessageHandler(recordWarnings);
    for (int look = 0; look < kLookCount; ++look) {
        g_warnings.clear();
        ASSERT_TRUE(apply_look(look)) << look;
        h.main().grab();
        h.fxParameters().grab();
        QApplication::processEvents();
        EXPECT_EQ(g_warnings, QStringList()) << "look " << look;
        EXPECT_EQ(qApp->styleSheet(), *look_style_sheet(look));
    }
    // The check hears Qt when a sheet is broken.
    g_warnings.clear();
    qApp->setStyleSheet(QStringLiteral("QWidget { color: #fff; } QLabel { color: "));
    h.main().grab();
    EXPECT_FALSE(g_warnings.isEmpty());
    qInstallMessageHandler(previous);
    apply_look(kLookCount - 1);
    EXPECT_FALSE(apply_look(kLookCount)) << "no resource, nothing applied";
    EXPECT_EQ(qApp->styleSheet(), *look_style_sheet(kLookCount - 1));
}

TEST_F(Looks, TextMeetsContrastAAInEveryLookThatPromisesIt) {
    for (int look = 0; look < kLookCount; ++look) {
        const LookInfo info = *look_info(look);
        const QString sheet = *look_style_sheet(look);
        EXPECT_TRUE(sheet.contains(info.name.section(QStringLiteral(" ("), 0, 0)))
            << "the sheet names its look: " << look;
        if (!info.meetsContrastAA)
            continue;
        QStringList problems;
        const std::vector<ColourPair> pairs = textPairs(sheet, problems);
        EXPECT_GT(pairs.size(), 10u) << look;
        for (const ColourPair& pair : pairs) {
            ASSERT_TRUE(pair.text.isValid() && pair.background.isValid())
                << look << " " << pair.selector.toStdString();
            EXPECT_GE(contrast(pair.text, pair.background), 4.5)
                << "look " << look << ": " << pair.selector.toStdString() << " "
                << pair.text.name().toStdString() << " on " << pair.background.name().toStdString();
        }
        EXPECT_EQ(problems, QStringList()) << look;
    }
}

TEST_F(Looks, ContrastRuleCatchesPoorPairs) {
    QStringList problems;
    const auto pairs = textPairs(QStringLiteral("QWidget { color: #777777; background-color: "
                                                "#ffffff; } QLabel { color: #000; }"),
                                 problems);
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_LT(contrast(pairs[0].text, pairs[0].background), 4.5);
    EXPECT_EQ(problems.size(), 1);
    EXPECT_NEAR(contrast(QColor(Qt::black), QColor(Qt::white)), 21.0, 1e-9);
}

// Disabled, enabled, on and focused controls must each look different.
TEST_F(Looks, ControlsShowTheirStateInEveryLook) {
    QWidget window;
    auto* toggle = new ToggleSwitch(&window);
    toggle->setGeometry(0, 0, 40, 20);
    auto* pot = new QSlider(Qt::Horizontal, &window);
    pot->setGeometry(0, 30, 100, 20);
    pot->setRange(0, 1023);
    pot->setValue(400);
    auto* multi = new QComboBox(&window);
    multi->addItems({QStringLiteral("1/4"), QStringLiteral("1/8")});
    multi->setGeometry(0, 60, 100, 20);
    auto* button = new QPushButton(QStringLiteral("Assign"), &window);
    button->setGeometry(0, 90, 86, 31);
    auto* check = new QCheckBox(&window);
    check->setGeometry(0, 130, 20, 20);
    window.resize(120, 160);
    window.show();
    QApplication::setActiveWindow(&window);

    for (int look = 0; look < kLookCount; ++look) {
        apply_look(look);
        for (QWidget* control :
             std::initializer_list<QWidget*>{toggle, pot, multi, button, check}) {
            control->setEnabled(true);
            const QImage enabled = control->grab().toImage();
            control->setEnabled(false);
            EXPECT_TRUE(control->grab().toImage() != enabled)
                << "look " << look << ": " << control->metaObject()->className();
            control->setEnabled(true);
        }
        for (QAbstractButton* on : std::initializer_list<QAbstractButton*>{toggle, check}) {
            on->setChecked(false);
            const QImage off = on->grab().toImage();
            on->setChecked(true);
            EXPECT_TRUE(on->grab().toImage() != off) << "look " << look;
            on->setChecked(false);
        }
        button->setFocus();
        const QImage unfocused = toggle->grab().toImage();
        toggle->setFocus();
        ASSERT_TRUE(toggle->hasFocus());
        EXPECT_TRUE(toggle->grab().toImage() != unfocused) << "look " << look;
    }
}

TEST(LookFile, ReadsAWholeNumberAndNothingElse) {
    const struct {
        QByteArray text;
        std::optional<int> look;
    } cases[] = {
        {"4", 4},
        {"7", 7},
        {" 3\n", 3},
        {"12", 12},
        {"-1", -1},
        {"", {}},
        {"abc", {}},
        {"3a", {}},
        {"3.0", {}},
        {"0x3", {}},
        {"\xEF\xBB\xBF"
         "2",
         {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse_look_file(c.text), c.look) << c.text.toStdString();
    EXPECT_EQ(look_file_text(4), QByteArray("4"));
}

class LookMenuJourney : public Looks {
  protected:
    QString makerFolder() const { return QDir(h.documents.path()).filePath("Tandrel"); }
    QString lookFile() const { return QDir(makerFolder()).filePath("style.txt"); }
    void writeLookFile(const QByteArray& text) {
        QDir().mkpath(makerFolder());
        QFile file(lookFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QByteArray readLookFile() const {
        QFile file(lookFile());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
    EditorHarness h;
};

TEST_F(LookMenuJourney, OffersSevenNamedLooksAndStartsWithThePlatformLook) {
    h.start();
    QStringList texts;
    for (QAction* item : h.main().menuLook->actions()) {
        texts.append(item->text());
        EXPECT_FALSE(item->isCheckable());
        EXPECT_FALSE(item->toolTip().isEmpty());
        EXPECT_EQ(item->statusTip(), item->toolTip());
    }
    EXPECT_EQ(texts, (QStringList{"0", "1", "2", "3", "4", "5", "6"}));
    EXPECT_EQ(h.main().menuLook->actions().at(2)->toolTip(), look_info(2)->name);
    EXPECT_EQ(qApp->styleSheet(), *look_style_sheet(0));
    EXPECT_FALSE(QFile::exists(lookFile())) << "a start writes no look file";
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST_F(LookMenuJourney, AChoiceAppliesAtOnceAndIsRememberedForTheNextStart) {
    h.start();
    h.trigger(h.main().menuLook->actions().at(4));
    EXPECT_EQ(qApp->styleSheet(), *look_style_sheet(4));
    EXPECT_EQ(readLookFile(), QByteArray("4"));
    h.trigger(h.main().menuLook->actions().at(1));
    EXPECT_EQ(readLookFile(), QByteArray("1"));
    EXPECT_TRUE(h.dialogs.messages.isEmpty());

    qApp->setStyleSheet(QString());
    EditorHarness next;
    QDir().mkpath(QDir(next.documents.path()).filePath("Tandrel"));
    ASSERT_TRUE(QFile::copy(lookFile(), QDir(next.documents.path()).filePath("Tandrel/style.txt")));
    next.start();
    EXPECT_EQ(qApp->styleSheet(), *look_style_sheet(1));
}

TEST_F(LookMenuJourney, TheSavedLookDecidesTheStart) {
    const struct {
        QByteArray text;
        int look;
    } cases[] = {{"7", 7}, {"3", 3}, {"9", 0}, {"-2", 0}, {"dark", 0}, {"", 0}, {"5\r\n", 5}};
    for (const auto& c : cases) {
        EditorHarness start;
        const QString folder = QDir(start.documents.path()).filePath("Tandrel");
        QDir().mkpath(folder);
        QFile file(QDir(folder).filePath("style.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.text);
        file.close();
        qApp->setStyleSheet(QStringLiteral("QWidget { color: #123456; }"));
        start.start();
        EXPECT_EQ(qApp->styleSheet(), *look_style_sheet(c.look)) << c.text.toStdString();
        EXPECT_TRUE(start.dialogs.messages.isEmpty());
        EXPECT_EQ(read_saved_look(folder), c.look);
    }
}

TEST_F(LookMenuJourney, AFileThatCannotBeWrittenLeavesTheLookAppliedAndSaysSo) {
    writeLookFile("2");
    h.start();
    ASSERT_EQ(qApp->styleSheet(), *look_style_sheet(2));
    // The maker's folder vanishes while the editor runs.
    ASSERT_TRUE(QDir(makerFolder()).removeRecursively());
    h.trigger(h.main().menuLook->actions().at(5));
    EXPECT_EQ(qApp->styleSheet(), *look_style_sheet(5));
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_TRUE(h.dialogs.messages.at(0).startsWith("Error saving the look to "))
        << h.dialogs.messages.at(0).toStdString();
    EXPECT_FALSE(QFile::exists(lookFile()));
}

TEST(LookScale, LargeTextLooksScaleFromTheNextStartUnlessTheUserChoseAScale) {
    QTemporaryDir folder;
    const auto scaleFor = [&](const QByteArray& saved, const QByteArray& preset) {
        QFile file(look_file_path(folder.path()));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(saved);
        file.close();
        qunsetenv("QT_SCALE_FACTOR");
        if (!preset.isEmpty())
            qputenv("QT_SCALE_FACTOR", preset);
        prepare_look_scale(folder.path());
        const QByteArray result = qgetenv("QT_SCALE_FACTOR");
        qunsetenv("QT_SCALE_FACTOR");
        return result;
    };
    EXPECT_EQ(scaleFor("3", ""), QByteArray("1.5"));
    EXPECT_EQ(scaleFor("6", ""), QByteArray("1.5"));
    EXPECT_EQ(scaleFor("1", ""), QByteArray());
    EXPECT_EQ(scaleFor("x", ""), QByteArray());
    EXPECT_EQ(scaleFor("3", "2"), QByteArray("2"));
}

// The browser of Help > Support, or any program the editor starts, must not
// be drawn half as large again because the editor is.
TEST(LookScale, TheLooksScaleStaysWithTheEditorAndNotWithTheProgramsItStarts) {
    QTemporaryDir folder;
    QFile file(look_file_path(folder.path()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("3");
    file.close();
    const auto childSees = [] {
        QProcess child;
        child.start(QStringLiteral("/usr/bin/env"), {});
        EXPECT_TRUE(child.waitForFinished(10000));
        const QStringList lines = QString::fromLocal8Bit(child.readAllStandardOutput()).split('\n');
        for (const QString& line : lines) {
            if (line.startsWith(QStringLiteral("QT_SCALE_FACTOR=")))
                return line.mid(16);
        }
        return QString();
    };

    qunsetenv("QT_SCALE_FACTOR");
    const bool setByLook = prepare_look_scale(folder.path());
    EXPECT_TRUE(setByLook);
    EXPECT_EQ(qgetenv("QT_SCALE_FACTOR"), QByteArray("1.5"));
    keep_look_scale_to_editor(setByLook);
    EXPECT_EQ(childSees(), QString());

    // The user's own scale is theirs, for every program.
    qputenv("QT_SCALE_FACTOR", "2");
    const bool setAgain = prepare_look_scale(folder.path());
    EXPECT_FALSE(setAgain);
    keep_look_scale_to_editor(setAgain);
    EXPECT_EQ(childSees(), QStringLiteral("2"));
    qunsetenv("QT_SCALE_FACTOR");
}

} // namespace
} // namespace brivo::test
