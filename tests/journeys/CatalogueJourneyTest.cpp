// Browsing the catalogue: category clicks fill the effect list, an effect
// click opens the FX Parameters window for it, arrow keys move the selection.

#include "app/TformMain.h"
#include "app/TformPrint.h"
#include "catalogue/Resources.h"
#include "params/TformFXParameters.h"
#include "params/ToggleSwitch.h"
#include "support/EditorHarness.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <gtest/gtest.h>

namespace brivo::test {
namespace {

const QString kHowToLoadIR =
    QStringLiteral("How to load an impulse response:\r\n"
                   "1) Select an IR load algorithm in Impulse Response category\r\n"
                   "2) Go to File and click Load IR, choose the desired WAV file\r\n"
                   "3) Click UPLOAD SELECTED EFFECT button\r\n"
                   "Works best with 48kHz sampling rate at a bitrate of 24 or 32 bit");

struct CategoryCase {
    QString name;
    int effects;
};

const CategoryCase kCategories[] = {
    {QStringLiteral("Gain"), 13},      {QStringLiteral("Modulation"), 16},
    {QStringLiteral("Synthesis"), 12}, {QStringLiteral("Filter"), 4},
    {QStringLiteral("Dynamic"), 2},    {QStringLiteral("Impulse Response"), 4},
    {QStringLiteral("Other"), 7},
};

QStringList listTexts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->item(i)->text());
    return texts;
}

class CatalogueJourney : public ::testing::Test {
  protected:
    void SetUp() override { h.start(); }

    TformMain& main() { return h.main(); }
    TformFXParameters& fx() { return h.fxParameters(); }

    void pressKey(int key) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(main().lstEffects, &press);
    }

    // The selected row of the effect list, -1 when none.
    int selectedRow() {
        const QList<QListWidgetItem*> selected = main().lstEffects->selectedItems();
        return selected.isEmpty() ? -1 : main().lstEffects->row(selected.first());
    }

    EditorHarness h;
};

TEST_F(CatalogueJourney, CategoryClickFillsTheListAndChangesNothingElse) {
    h.clickCategory(QStringLiteral("Gain"));
    h.clickEffect(QStringLiteral("Overdrive"));
    h.dialogs.messages.clear();

    for (const CategoryCase& c : kCategories) {
        SCOPED_TRACE(c.name.toStdString());
        h.clickCategory(c.name);
        EXPECT_EQ(main().lstEffects->count(), c.effects);
        EXPECT_EQ(listTexts(main().lstEffects),
                  resources::load_resource_lines(c.name.toLower().replace(' ', '_')));
        EXPECT_EQ(h.editor().catalogue.currentCategory, c.name);
        // The current effect and its window stay as they were.
        EXPECT_EQ(h.editor().catalogue.currentEffectName, QStringLiteral("Overdrive"));
        EXPECT_TRUE(fx().isVisible());
        EXPECT_EQ(fx().windowTitle(), QStringLiteral("Overdrive"));
        EXPECT_FALSE(main().menuLoadIR->isEnabled());
    }
    EXPECT_EQ(h.dialogs.messages, QStringList{kHowToLoadIR});
}

TEST_F(CatalogueJourney, ImpulseResponseExplainsLoadingAndLoadIRFollowsTheChosenEffect) {
    h.clickCategory(QStringLiteral("Impulse Response"));
    EXPECT_EQ(h.dialogs.messages, QStringList{kHowToLoadIR});
    EXPECT_EQ(main().lstEffects->count(), 4);
    EXPECT_EQ(h.editor().catalogue.currentCategory, QStringLiteral("Impulse Response"));
    EXPECT_FALSE(main().menuLoadIR->isEnabled());

    // Offered for an effect with a response region, and only while it is chosen.
    h.clickEffect(QStringLiteral("Cabinet IR Basic"));
    EXPECT_TRUE(main().menuLoadIR->isEnabled());
    h.clickCategory(QStringLiteral("Gain"));
    h.clickEffect(QStringLiteral("Clean Boost"));
    EXPECT_FALSE(main().menuLoadIR->isEnabled());
    EXPECT_EQ(h.dialogs.messages, QStringList{kHowToLoadIR});
}

TEST_F(CatalogueJourney, EffectClickOpensItsWindowBesideTheMainWindow) {
    h.clickCategory(QStringLiteral("Gain"));
    h.console().btnClear->click();
    h.clickEffect(QStringLiteral("Overdrive"));

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('\n').toStdString();
    const QStringList lines = h.consoleLines();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.at(0), QStringLiteral("efx index :2"));
    EXPECT_EQ(lines.at(1), QStringLiteral("selected effect name: Overdrive"));
    EXPECT_EQ(h.editor().catalogue.currentEffectName, QStringLiteral("Overdrive"));
    EXPECT_TRUE(main().btnGetFXInfo->isEnabled());

    ASSERT_TRUE(fx().isVisible());
    EXPECT_EQ(fx().windowTitle(), QStringLiteral("Overdrive"));
    EXPECT_EQ(fx().height(), 135);
    EXPECT_EQ(fx().width(), 499);
    const QRect mainFrame = main().frameGeometry();
    EXPECT_EQ(fx().frameGeometry().topLeft(),
              QPoint(mainFrame.x() + mainFrame.width(), mainFrame.y()));
    const int rowsY[] = {10, 35, 60};
    for (int i = 0; i < 3; ++i) {
        ASSERT_NE(fx().trkPot(i), nullptr);
        EXPECT_EQ(fx().lblName(i)->y(), rowsY[i]);
        EXPECT_EQ(fx().trkPot(i)->y(), rowsY[i]);
        EXPECT_EQ(fx().boxAssign(i)->y(), rowsY[i]);
        EXPECT_EQ(fx().lblName(i)->height(), 20);
    }
    EXPECT_EQ(fx().trkPot(3), nullptr);

    h.clickCategory(QStringLiteral("Other"));
    h.console().btnClear->click();
    h.clickEffect(QStringLiteral("Drive + Delay"));
    EXPECT_TRUE(h.linesStartingWith(QStringLiteral("efx index :0")).size() > 1);
    EXPECT_TRUE(h.consoleLines().contains(QStringLiteral("selected effect name: Drive + Delay")));
    EXPECT_EQ(fx().windowTitle(), QStringLiteral("Drive + Delay"));
    EXPECT_EQ(fx().height(), 660);
    ASSERT_NE(fx().boxAssign(23), nullptr);
    EXPECT_EQ(fx().lblName(23)->y(), 585);
    EXPECT_EQ(fx().boxAssign(23)->y(), 585);
    EXPECT_EQ(fx().frameGeometry().topLeft(),
              QPoint(mainFrame.x() + mainFrame.width(), mainFrame.y()));
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

TEST_F(CatalogueJourney, AnEffectThePedalDoesNotRunIsShownLocked) {
    // As after connecting, Open FX and a status request for "Chorus".
    h.plugPedal();
    h.connect();
    h.editor().session.running().runningEffectName = QStringLiteral("Chorus");
    h.clickCategory(QStringLiteral("Modulation"));
    h.clickEffect(QStringLiteral("Chorus"));
    EXPECT_TRUE(h.editor().catalogue.editable);
    EXPECT_TRUE(main().btnRequest->isEnabled());
    ASSERT_NE(fx().trkPot(0), nullptr);
    EXPECT_TRUE(fx().trkPot(0)->isEnabled());
    main().btnAssign->setEnabled(true);
    main().btnStoreSettingsOnPedal->setEnabled(true);

    // "Rotary Speaker" has pots, switches and a multi-switch.
    h.clickEffect(QStringLiteral("Rotary Speaker"));
    EXPECT_FALSE(h.editor().catalogue.editable);
    EXPECT_FALSE(main().btnRequest->isEnabled());
    EXPECT_FALSE(main().btnAssign->isEnabled());
    EXPECT_FALSE(main().btnStoreSettingsOnPedal->isEnabled());
    const ParamState& params = h.editor().session.params();
    const int P = static_cast<int>(params.potCount);
    const int S = static_cast<int>(params.switchCount);
    const int T = static_cast<int>(params.paramCount);
    ASSERT_GT(T, 0);
    for (int i = 0; i < T; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(fx().lblName(i)->isEnabled());
        EXPECT_FALSE(fx().boxAssign(i)->isEnabled());
        EXPECT_FALSE(fx().chkReverse(i)->isEnabled());
        if (i < P) {
            EXPECT_FALSE(fx().trkPot(i)->isEnabled());
            EXPECT_FALSE(fx().btnMin(i)->isEnabled());
            EXPECT_FALSE(fx().btnMax(i)->isEnabled());
            EXPECT_FALSE(fx().btnClearMinMax(i)->isEnabled());
        } else if (i < P + S) {
            EXPECT_FALSE(fx().swtSwitch(i)->isEnabled());
        } else {
            EXPECT_FALSE(fx().cmbMultiSwitch(i)->isEnabled());
        }
    }
}

TEST_F(CatalogueJourney, ArrowKeysMoveOneRowAndStopAtTheEnds) {
    h.clickCategory(QStringLiteral("Gain"));
    h.console().btnClear->click();
    // No row selected: up does nothing, down selects the first row.
    pressKey(Qt::Key_Up);
    EXPECT_EQ(selectedRow(), -1);
    pressKey(Qt::Key_Down);
    EXPECT_EQ(selectedRow(), 0);
    EXPECT_EQ(h.consoleLines(), (QStringList{QStringLiteral("arrow up pressed"),
                                             QStringLiteral("arrow down pressed")}));
    EXPECT_TRUE(h.editor().catalogue.currentEffectName.isEmpty());
    EXPECT_FALSE(fx().isVisible());

    h.clickEffect(QStringLiteral("Clean Boost"));
    h.console().btnClear->click();
    pressKey(Qt::Key_Up);
    EXPECT_EQ(selectedRow(), 0);
    pressKey(Qt::Key_Down);
    EXPECT_EQ(selectedRow(), 1);
    pressKey(Qt::Key_Down);
    EXPECT_EQ(selectedRow(), 2);
    EXPECT_EQ(h.consoleLines(),
              (QStringList{QStringLiteral("arrow up pressed"), QStringLiteral("arrow down pressed"),
                           QStringLiteral("arrow down pressed")}));
    // Moving is not choosing.
    EXPECT_EQ(h.editor().catalogue.currentEffectName, QStringLiteral("Clean Boost"));
    EXPECT_EQ(fx().windowTitle(), QStringLiteral("Clean Boost"));

    h.clickEffect(QStringLiteral("Octave X Fuzz"));
    ASSERT_EQ(selectedRow(), 12);
    h.console().btnClear->click();
    pressKey(Qt::Key_Down);
    EXPECT_EQ(selectedRow(), 12);
    pressKey(Qt::Key_Up);
    EXPECT_EQ(selectedRow(), 11);
    EXPECT_EQ(h.consoleLines(), (QStringList{QStringLiteral("arrow down pressed"),
                                             QStringLiteral("arrow up pressed")}));
    EXPECT_EQ(h.editor().catalogue.currentEffectName, QStringLiteral("Octave X Fuzz"));

    // Other keys are the list's own, with nothing logged.
    h.console().btnClear->click();
    pressKey(Qt::Key_Home);
    EXPECT_EQ(selectedRow(), 0);
    EXPECT_TRUE(h.consoleLines().isEmpty());
    EXPECT_EQ(h.editor().catalogue.currentEffectName, QStringLiteral("Octave X Fuzz"));
    EXPECT_TRUE(h.dialogs.messages.isEmpty());
}

// The list can hold a current row that nothing selects: keyboard focus puts
// it on the first row, and Ctrl+click takes the selection off a clicked row.
TEST_F(CatalogueJourney, ACurrentRowWithoutSelectionCountsAsNoneForKeysButNotForClicks) {
    h.clickCategory(QStringLiteral("Filter"));
    QListWidget* list = main().lstEffects;
    list->selectionModel()->setCurrentIndex(list->model()->index(0, 0),
                                            QItemSelectionModel::NoUpdate);
    ASSERT_EQ(selectedRow(), -1);
    pressKey(Qt::Key_Down);
    EXPECT_EQ(selectedRow(), 0);

    // A click on a row whose selection the click itself removed.
    QListWidgetItem* wah = list->item(1);
    list->setCurrentItem(wah);
    list->clearSelection();
    h.console().btnClear->click();
    emit list->itemClicked(wah);
    EXPECT_EQ(selectedRow(), 1);
    EXPECT_EQ(h.consoleLines().mid(0, 2),
              (QStringList{QStringLiteral("efx index :1"),
                           QStringLiteral("selected effect name: Auto Wah")}));
    EXPECT_EQ(fx().windowTitle(), QStringLiteral("Auto Wah"));
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('\n').toStdString();
}

TEST_F(CatalogueJourney, RebuildingForFewerParametersLeavesOnlyTheirRows) {
    h.clickCategory(QStringLiteral("Other"));
    h.clickEffect(QStringLiteral("Drive + Delay"));
    ASSERT_EQ(fx().findChildren<QComboBox*>(Qt::FindDirectChildrenOnly).size(), 24 + 2);
    h.clickCategory(QStringLiteral("Gain"));
    h.clickEffect(QStringLiteral("Overdrive"));

    EXPECT_EQ(fx().findChildren<QSlider*>(Qt::FindDirectChildrenOnly).size(), 3);
    EXPECT_EQ(fx().findChildren<ToggleSwitch*>(Qt::FindDirectChildrenOnly).size(), 0);
    EXPECT_EQ(fx().findChildren<QComboBox*>(Qt::FindDirectChildrenOnly).size(), 3);
    EXPECT_EQ(fx().findChildren<QCheckBox*>(Qt::FindDirectChildrenOnly).size(), 3);
    EXPECT_EQ(fx().findChildren<QPushButton*>(Qt::FindDirectChildrenOnly).size(), 9);
    EXPECT_EQ(fx().findChildren<QLabel*>(Qt::FindDirectChildrenOnly).size(), 3);
    for (int i = 3; i < 24; ++i) {
        EXPECT_EQ(fx().lblName(i), nullptr) << i;
        EXPECT_EQ(fx().boxAssign(i), nullptr) << i;
    }
    EXPECT_EQ(fx().height(), 135);
}

TEST_F(CatalogueJourney, EveryCatalogueEffectOpensItsWindowWithoutAMessage) {
    // Where each effect is listed.
    QHash<QString, QString> categoryOf;
    for (const CategoryCase& c : kCategories) {
        h.clickCategory(c.name);
        for (const QString& effect : listTexts(main().lstEffects))
            categoryOf.insert(effect, c.name);
    }
    h.dialogs.messages.clear();

    const QStringList effectList = resources::load_resource_lines(QStringLiteral("effect_list"));
    ASSERT_EQ(effectList.size(), 59);
    for (int number = 1; number < effectList.size(); ++number) {
        const QString name = effectList.at(number).section(u':', 1);
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(categoryOf.contains(name));
        h.clickCategory(categoryOf.value(name));
        h.dialogs.messages.removeAll(kHowToLoadIR);
        h.console().btnClear->click();
        h.clickEffect(name);

        EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('\n').toStdString();
        const int row =
            main().lstEffects->row(main().lstEffects->findItems(name, Qt::MatchExactly).value(0));
        const QStringList lines = h.consoleLines();
        EXPECT_EQ(lines.value(0), QStringLiteral("efx index :") + QString::number(row));
        EXPECT_EQ(lines.value(1), QStringLiteral("selected effect name: ") + name);
        EXPECT_TRUE(fx().isVisible());
        EXPECT_EQ(fx().windowTitle(), name);
        const int T = static_cast<int>(h.editor().session.params().paramCount);
        ASSERT_GT(T, 0);
        EXPECT_EQ(fx().height(), (T + 2) * 25 + 10);
        ASSERT_NE(fx().boxAssign(T - 1), nullptr);
        EXPECT_EQ(fx().boxAssign(T - 1)->y(), 25 * (T - 1) + 10);
        // "Cabinet IR + EQ" has no place for a response.
        EXPECT_EQ(main().menuLoadIR->isEnabled(),
                  categoryOf.value(name) == QStringLiteral("Impulse Response") &&
                      name != QStringLiteral("Cabinet IR + EQ"));
    }
}

} // namespace
} // namespace brivo::test
