// The "?" button: the current effect's information page beside the FX
// Parameters window.

#include "app/TformMain.h"
#include "catalogue/ResourceName.h"
#include "catalogue/Resources.h"
#include "catalogue/TformFXInfo.h"
#include "params/TformFXParameters.h"
#include "support/EditorHarness.h"

#include <QApplication>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <gtest/gtest.h>

namespace brivo::test {
namespace {

const QStringList kCategoryNames = {QStringLiteral("Gain"),      QStringLiteral("Modulation"),
                                    QStringLiteral("Synthesis"), QStringLiteral("Filter"),
                                    QStringLiteral("Dynamic"),   QStringLiteral("Impulse Response"),
                                    QStringLiteral("Other")};

class FXInfoJourney : public ::testing::Test {
  protected:
    void SetUp() override { h.start(); }

    TformFXInfo& info() { return h.fxInfo(); }
    QString pageText() { return info().WebBrowser1->toPlainText(); }

    void choose(const QString& category, const QString& effect) {
        h.clickCategory(category);
        h.clickEffect(effect);
    }

    // Where the window belongs: right of the FX Parameters window, same top.
    QPoint besideParameters() {
        const QRect fx = h.fxParameters().frameGeometry();
        return {fx.x() + fx.width(), fx.y()};
    }

    int visibleInfoWindows() {
        int count = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            count += qobject_cast<TformFXInfo*>(w) != nullptr && w->isVisible();
        return count;
    }

    EditorHarness h;
};

TEST_F(FXInfoJourney, QuestionMarkIsOfferedOnceAnEffectIsChosen) {
    QPushButton* button = h.main().btnGetFXInfo;
    EXPECT_TRUE(button->isVisible());
    EXPECT_FALSE(button->isEnabled());
    h.clickCategory(QStringLiteral("Gain"));
    EXPECT_FALSE(button->isEnabled());
    h.click(button);
    EXPECT_FALSE(info().isVisible());

    h.clickEffect(QStringLiteral("Overdrive"));
    EXPECT_TRUE(button->isEnabled());
    // Browsing on keeps it: the current effect stays chosen.
    h.clickCategory(QStringLiteral("Other"));
    EXPECT_TRUE(button->isEnabled());
}

TEST_F(FXInfoJourney, TwiceShowsOneWindowInTheSamePlaceWithTheSamePage) {
    choose(QStringLiteral("Gain"), QStringLiteral("Overdrive"));
    h.click(h.main().btnGetFXInfo);

    ASSERT_TRUE(info().isVisible());
    EXPECT_EQ(info().windowTitle(), QStringLiteral("Overdrive"));
    EXPECT_EQ(info().frameGeometry().topLeft(), besideParameters());
    EXPECT_EQ(info().size(), QSize(335, 480));
    EXPECT_TRUE(pageText().contains(QStringLiteral("Overdrive")));
    EXPECT_TRUE(pageText().contains(QStringLiteral("A classic mid-focused overdrive.")));
    // The view gets the page's bytes unchanged, from a file.
    const QUrl source = info().WebBrowser1->source();
    ASSERT_TRUE(source.isLocalFile()) << source.toString().toStdString();
    QFile file(source.toLocalFile());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), resources::find(QStringLiteral("Overdrive_INFO")).value());

    const QPoint place = info().frameGeometry().topLeft();
    const QString text = pageText();
    h.click(h.main().btnGetFXInfo);
    EXPECT_EQ(visibleInfoWindows(), 1);
    EXPECT_EQ(info().frameGeometry().topLeft(), place);
    EXPECT_EQ(info().windowTitle(), QStringLiteral("Overdrive"));
    EXPECT_EQ(pageText(), text);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('\n').toStdString();
}

TEST_F(FXInfoJourney, PageStaysUntilAskedAgain) {
    choose(QStringLiteral("Gain"), QStringLiteral("Overdrive"));
    h.click(h.main().btnGetFXInfo);
    const QString overdrive = pageText();

    choose(QStringLiteral("Other"), QStringLiteral("Drive + Delay"));
    EXPECT_TRUE(info().isVisible());
    EXPECT_EQ(info().windowTitle(), QStringLiteral("Overdrive"));
    EXPECT_EQ(pageText(), overdrive);

    h.click(h.main().btnGetFXInfo);
    EXPECT_EQ(info().windowTitle(), QStringLiteral("Drive + Delay"));
    EXPECT_TRUE(pageText().contains(QStringLiteral("Drive + Delay")));
    EXPECT_FALSE(pageText().contains(QStringLiteral("A classic mid-focused overdrive.")));
    EXPECT_EQ(info().frameGeometry().topLeft(), besideParameters());
}

TEST_F(FXInfoJourney, PageWithAMissingImageStillShowsItsText) {
    choose(QStringLiteral("Modulation"), QStringLiteral("Rotary Speaker"));
    h.click(h.main().btnGetFXInfo);
    ASSERT_TRUE(info().isVisible());
    EXPECT_EQ(info().windowTitle(), QStringLiteral("Rotary Speaker"));
    EXPECT_TRUE(pageText().contains(QStringLiteral("Rotary Speaker")));
    EXPECT_TRUE(pageText().contains(QStringLiteral("move them closer for a stronger effect")));
    // The text after the image is there too.
    EXPECT_TRUE(pageText().contains(QStringLiteral("Controls")));
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('\n').toStdString();
}

TEST_F(FXInfoJourney, EveryEffectHasItsPage) {
    int pages = 0;
    for (const QString& category : kCategoryNames) {
        h.clickCategory(category);
        h.dialogs.messages.clear();
        QListWidget* list = h.main().lstEffects;
        for (int row = 0; row < list->count(); ++row) {
            const QString effect = list->item(row)->text();
            SCOPED_TRACE(effect.toStdString());
            h.clickEffect(effect);
            h.click(h.main().btnGetFXInfo);
            EXPECT_TRUE(h.dialogs.messages.isEmpty())
                << h.dialogs.messages.join('\n').toStdString();
            EXPECT_TRUE(info().isVisible());
            EXPECT_EQ(info().windowTitle(), effect);
            EXPECT_EQ(info().frameGeometry().topLeft(), besideParameters());
            const QString text = pageText();
            EXPECT_TRUE(text.contains(effect));
            EXPECT_TRUE(text.contains(QStringLiteral("Category: ") + category + u'.'));
            ++pages;
        }
    }
    EXPECT_EQ(pages, 58);
}

TEST_F(FXInfoJourney, AnEffectWithoutAPageIsReportedAndLeavesTheWindowClosed) {
    choose(QStringLiteral("Gain"), QStringLiteral("Overdrive"));
    h.click(h.main().btnGetFXInfo);
    ASSERT_TRUE(info().isVisible());

    // What Open FX leaves behind for a pedal that runs no effect.
    h.editor().catalogue.currentEffectName = QStringLiteral("empty");
    h.click(h.main().btnGetFXInfo);
    EXPECT_EQ(h.dialogs.messages, QStringList{QStringLiteral("Resource empty_INFO not found")});
    EXPECT_FALSE(info().isVisible());
}

} // namespace
} // namespace brivo::test
