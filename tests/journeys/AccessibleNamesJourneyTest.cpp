// What a screen reader hears of the FX Parameters window: each control named
// by its parameter and what it shows, kept current as the values change.
#include "EffectCommandsFixture.h"

#include "config/ConfigFile.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QSet>
#include <QSlider>

namespace brivo::test {
namespace {

QString heard(QWidget* control, QAccessible::Text what = QAccessible::Name) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(control);
    return face != nullptr ? face->text(what) : QStringLiteral("(no interface)");
}

class AccessibleNamesJourney : public EffectCommandsJourney {
  protected:
    QString name(int i) { return fx().lblName(i)->text(); }
    // The names of parameter i's assignment box and limit buttons. (Qt on
    // Linux gives a combo box's current text as its interface's name; the
    // box's own name is what other platforms read.)
    std::string row(int i) {
        return QStringList{fx().boxAssign(i)->accessibleName(), heard(fx().btnMin(i)),
                           heard(fx().btnMax(i))}
            .join(" | ")
            .toStdString();
    }
    std::string expected(int i, const QString& controller, const QString& min, const QString& max) {
        return (name(i) + " controller " + controller + " | " + name(i) + " minimum " + min +
                " | " + name(i) + " maximum " + max)
            .toStdString();
    }
};

TEST_F(AccessibleNamesJourney, EachControlSaysItsParameterAndWhatItShows) {
    uploadAndOpen("Gain", "Fuzz+Octave"); // 4 pots, 2 switches, 1 multi-switch
    const int T = static_cast<int>(editor().session.params().paramCount);
    QSet<QString> names;
    for (int i = 0; i < T; ++i) {
        EXPECT_FALSE(name(i).isEmpty());
        EXPECT_EQ(heard(fx().chkReverse(i)), name(i) + " reverse");
        EXPECT_EQ(heard(fx().chkReverse(i), QAccessible::Description),
                  "toggle the Reverse function for the current parameter");
        EXPECT_EQ(fx().boxAssign(i)->accessibleName(), name(i) + " controller none");
        EXPECT_EQ(heard(fx().boxAssign(i), QAccessible::Description),
                  "the controller that drives " + name(i));
        names << heard(fx().chkReverse(i)) << fx().boxAssign(i)->accessibleName();
    }
    for (int j = 0; j < 4; ++j) {
        EXPECT_EQ(row(j), expected(j, "none", "not set", "not set"));
        EXPECT_EQ(heard(fx().btnMin(j), QAccessible::Description),
                  "set min value for this parameter");
        EXPECT_EQ(heard(fx().btnMax(j), QAccessible::Description),
                  "set max value for this parameter");
        EXPECT_EQ(heard(fx().btnClearMinMax(j)), name(j) + " clear limits");
        EXPECT_EQ(heard(fx().trkPot(j)), name(j));
        names << heard(fx().btnMin(j)) << heard(fx().btnMax(j));
    }
    // No two controls sound the same.
    EXPECT_EQ(names.size(), 2 * T + 2 * 4);

    // The player's choices.
    h.click(main().btnRequest);
    fx().boxAssign(0)->setCurrentIndex(1);
    EXPECT_EQ(row(0), expected(0, "EXP", "not set", "not set"));
    fx().trkPot(0)->setValue(512);
    h.click(fx().btnMin(0));
    fx().trkPot(0)->setValue(800);
    h.click(fx().btnMax(0));
    EXPECT_EQ(row(0), expected(0, "EXP", "51%", "79%"));
    h.click(main().btnAssign);

    // A status from the pedal puts back what it holds, names included.
    fx().btnMin(0)->setText("7%");
    settle();
    h.click(main().btnRequest);
    EXPECT_EQ(fx().btnMin(0)->text(), "51%");
    EXPECT_EQ(row(0), expected(0, "EXP", "51%", "79%"));

    // A configuration file's limits.
    QFile file(QDir(config_folder(h.documents.path())).filePath("Fuzz+Octave.txt"));
    h.trigger(main().menuSaveConfiguration);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = file.readAll().split('\n');
    file.close();
    lines[21] = "30\r";
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(lines.join('\n'));
    file.close();
    h.trigger(main().menuLoadConfiguration);
    EXPECT_EQ(row(0), expected(0, "EXP", "30%", "79%"));

    // Cleared, then unassigned.
    h.click(fx().btnClearMinMax(0));
    EXPECT_EQ(row(0), expected(0, "EXP", "not set", "not set"));
    fx().boxAssign(0)->setCurrentIndex(7);
    EXPECT_EQ(fx().boxAssign(0)->accessibleName(), name(0) + " controller NA");
    EXPECT_EQ(row(0), expected(0, "NA", "not set", "not set"));
}

} // namespace
} // namespace brivo::test
