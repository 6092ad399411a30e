// The looks as drawn: every window of every look that promises WCAG AA is
// rendered offscreen and each text is measured against what it stands on. The
// sheets' declared colours are not enough: a page, a style or a part drawn
// over another can put text on a background no rule names.
#include "app/Looks.h"
#include "app/TformMain.h"
#include "app/TformPrint.h"
#include "catalogue/TformFXInfo.h"
#include "firmware/TformFirmwareUpgrade.h"
#include "params/TformFXParameters.h"
#include "support/EditorHarness.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTextBrowser>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

namespace brivo::test {
namespace {

constexpr double kAaRatio = 4.5;

double luminance(QRgb rgb) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
           0.0722 * channel(qBlue(rgb));
}

double contrast(QRgb a, QRgb b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// A region holding one text on one background: the background is the
// region's commonest colour, the text's colour the pixel that differs most
// from it (glyph stems reach the full text colour; edges are blends).
double regionContrast(const QImage& image, const QRect& region) {
    std::map<QRgb, int> counts;
    const QRect r = region.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++counts[image.pixel(x, y) | 0xff000000u];
    if (counts.empty())
        return 0;
    const QRgb background =
        std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first;
    double best = 1;
    for (const auto& [colour, count] : counts)
        best = std::max(best, contrast(colour, background));
    return best;
}

// A text drawn over several backgrounds (a progress bar's fill and groove):
// the pixels the text changes, grouped by what stood there before; the
// weakest group of any size is the text's contrast.
double drawnOverContrast(const QImage& withText, const QImage& withoutText) {
    std::map<QRgb, std::pair<int, double>> groups; // background -> pixels, best contrast
    int changed = 0;
    for (int y = 0; y < withText.height(); ++y) {
        for (int x = 0; x < withText.width(); ++x) {
            const QRgb ink = withText.pixel(x, y) | 0xff000000u;
            const QRgb under = withoutText.pixel(x, y) | 0xff000000u;
            if (ink == under)
                continue;
            ++changed;
            auto& group = groups[under];
            ++group.first;
            group.second = std::max(group.second, contrast(ink, under));
        }
    }
    double weakest = changed == 0 ? 0 : 21;
    for (const auto& [under, group] : groups) {
        // Blends at the edge of the fill are too few to carry a glyph.
        if (group.first * 10 >= changed)
            weakest = std::min(weakest, group.second);
    }
    return weakest;
}

struct Reading {
    QString where;
    double ratio;
};

QRect inWindow(QWidget* widget, const QRect& local, QWidget* window) {
    return QRect(widget->mapTo(window, local.topLeft()), local.size());
}

bool hasText(const QString& text) {
    return !text.trimmed().isEmpty();
}

// Every text of one window: labels, buttons, check boxes, list items, combo
// boxes, the menu bar's items, and the text areas.
std::vector<Reading> readWindow(QWidget* window, const QString& name) {
    std::vector<Reading> readings;
    const QImage image = window->grab().toImage();
    const auto read = [&](QWidget* widget, const QRect& local, const QString& what) {
        if (!widget->isVisibleTo(window) || local.isEmpty())
            return;
        readings.push_back(
            {name + QStringLiteral(" / ") + widget->objectName() + QStringLiteral(" ") + what,
             regionContrast(image, inWindow(widget, local, window))});
    };
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (hasText(label->text()))
            read(label, label->contentsRect(), label->text());
    }
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (hasText(button->text()))
            read(button, button->rect().adjusted(3, 3, -3, -3), button->text());
    }
    for (QCheckBox* box : window->findChildren<QCheckBox*>()) {
        // The text stands right of the indicator and its spacing.
        if (hasText(box->text()))
            read(box, box->rect().adjusted(24, 0, 0, 0), box->text());
    }
    for (QComboBox* combo : window->findChildren<QComboBox*>()) {
        if (hasText(combo->currentText()))
            read(combo, combo->rect().adjusted(3, 3, -22, -3), combo->currentText());
    }
    for (QListWidget* list : window->findChildren<QListWidget*>()) {
        for (int i = 0; i < list->count(); ++i) {
            const QRect item = list->visualItemRect(list->item(i));
            if (list->viewport()->rect().contains(item))
                read(list->viewport(), item, list->item(i)->text());
        }
    }
    for (QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        for (QAction* action : bar->actions()) {
            if (action->isVisible() && hasText(action->text()))
                read(bar, bar->actionGeometry(action), action->text());
        }
    }
    for (QPlainTextEdit* edit : window->findChildren<QPlainTextEdit*>())
        read(edit->viewport(), edit->viewport()->rect().adjusted(2, 2, -2, -2), "text");
    for (QTextBrowser* browser : window->findChildren<QTextBrowser*>())
        read(browser->viewport(), browser->viewport()->rect().adjusted(2, 2, -2, -2), "page");
    return readings;
}

Reading readProgress(QProgressBar* bar, const QString& name) {
    bar->setTextVisible(true);
    const QImage withText = bar->grab().toImage();
    bar->setTextVisible(false);
    const QImage withoutText = bar->grab().toImage();
    bar->setTextVisible(true);
    return {name + QStringLiteral(" / ") + bar->objectName() + QStringLiteral(" ") + bar->text(),
            drawnOverContrast(withText, withoutText)};
}

class RenderedLooks : public ::testing::Test {
  protected:
    void SetUp() override {
        h.plugPedal();
        h.start();
        h.connect();
        // Pots, switches and multi-switches in FX Parameters.
        h.clickCategory(QStringLiteral("Other"));
        h.clickEffect(QStringLiteral("Drive + Delay"));
        h.trigger(h.main().menuDiagnosticConsole);
        h.console().Memo1->setPlainText(
            QStringLiteral("FT device count: 1\nserial number: DVIRT001\nbaud rate = 115200"));
        h.fxInfo().showPage(h.fxParameters().frameGeometry(), QStringLiteral("Chorus"));
        firmware().show();
        firmware().ProgressBar1->setValue(50);
    }
    void TearDown() override { qApp->setStyleSheet(QString()); }

    TformFirmwareUpgrade& firmware() { return h.program().formFirmwareUpgrade(); }

    // Every reading of every window in `look`.
    std::vector<Reading> readAll(int look) {
        EXPECT_TRUE(apply_look(look));
        QApplication::processEvents();
        std::vector<Reading> all;
        const std::pair<QWidget*, QString> windows[] = {
            {&h.main(), "main window"},        {&h.fxParameters(), "FX Parameters"},
            {&h.fxInfo(), "information page"}, {&h.console(), "console"},
            {&firmware(), "firmware window"},
        };
        for (const auto& [window, name] : windows) {
            const std::vector<Reading> readings = readWindow(window, name);
            all.insert(all.end(), readings.begin(), readings.end());
        }
        // Half full, as the issue saw it, and with the fill's edge inside the text.
        for (int value : {50, 12, 100}) {
            firmware().ProgressBar1->setValue(value);
            all.push_back(readProgress(firmware().ProgressBar1, "firmware window"));
        }
        firmware().ProgressBar1->setValue(50);
        return all;
    }

    EditorHarness h;
};

TEST_F(RenderedLooks, EveryDrawnTextMeetsAAInEveryLookThatPromisesIt) {
    for (int look = 1; look < kLookCount; ++look) {
        if (!look_info(look)->meetsContrastAA)
            continue;
        const std::vector<Reading> readings = readAll(look);
        EXPECT_GT(readings.size(), 60u) << "look " << look;
        for (const Reading& reading : readings) {
            EXPECT_GE(reading.ratio, kAaRatio)
                << "look " << look << ": " << reading.where.toStdString();
        }
    }
}

// The measure itself: light text on a white page, and a label over a fill
// it does not stand out from, are caught.
TEST_F(RenderedLooks, TheMeasureCatchesTextThatIsDrawnUnreadable) {
    QImage page(40, 20, QImage::Format_RGB32);
    page.fill(QColor("#ffffff"));
    for (int y = 5; y < 15; ++y)
        page.setPixel(10, y, QColor("#e6e6e6").rgb());
    EXPECT_LT(regionContrast(page, page.rect()), 1.5);
    for (int y = 5; y < 15; ++y)
        page.setPixel(12, y, QColor("#202020").rgb());
    EXPECT_GT(regionContrast(page, page.rect()), 15);

    QImage fill(40, 20, QImage::Format_RGB32);
    fill.fill(QColor("#2b2d31"));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            fill.setPixel(x, y, QColor("#ffb347").rgb());
    QImage text = fill;
    for (int y = 5; y < 15; ++y) {
        text.setPixel(15, y, QColor("#e6e6e6").rgb()); // on the fill
        text.setPixel(25, y, QColor("#e6e6e6").rgb()); // on the groove
    }
    EXPECT_LT(drawnOverContrast(text, fill), 2.0);
    EXPECT_EQ(drawnOverContrast(fill, fill), 0);
}

} // namespace
} // namespace brivo::test
