// The looks as drawn: every window of every look that promises WCAG AA is
// rendered offscreen and each text is measured against what it stands on. The
// sheets' declared colours are not enough: a page, a style or a part drawn
// over another can put text on a background no rule names.
//
// Each text is measured on its own: a label, a button, a menu item, and in the
// information pages and the console each run of one format on one line. A
// whole window measured at once would let one dark pixel vouch for a page of
// light text.
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
#include <QFont>
#include <QGraphicsEffect>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextLayout>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace brivo::test {
namespace {

constexpr double kAaRatio = 4.5;
// A glyph's text colour is what its stems reach; the lighter rest of its
// pixels are antialiased edges. The colour a tenth of a text's pixels reach
// is the stems' colour, and one stray pixel is not a tenth of anything.
constexpr double kStemShare = 0.10;

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

QRgb opaque(QRgb rgb) {
    return rgb | 0xff000000u;
}

// The value that `share` of the values reach or pass; 1 when there are none.
double reachedByShare(std::vector<double> values, double share) {
    if (values.empty())
        return 1;
    std::sort(values.begin(), values.end());
    const auto index = static_cast<std::size_t>(std::floor((1 - share) * (values.size() - 1)));
    return values[index];
}

// One text as it is drawn: the background is the commonest colour of its
// rectangle, the text colour the one its stems reach.
struct Ink {
    QRgb background = 0;
    QRgb text = 0;
    double ratio = 1;
};

Ink measureInk(const QImage& image, const QRect& region) {
    const QRect r = region.intersected(image.rect());
    std::map<QRgb, int> counts;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            ++counts[opaque(image.pixel(x, y))];
    if (counts.empty())
        return {};
    const QRgb background =
        std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) {
            return a.second < b.second;
        })->first;
    std::vector<std::pair<double, QRgb>> ink;
    for (const auto& [colour, count] : counts) {
        if (colour != background)
            ink.insert(ink.end(), static_cast<std::size_t>(count),
                       {contrast(colour, background), colour});
    }
    // No pixel apart from the background: the text is not there to be read.
    if (ink.empty())
        return {background, background, 1};
    std::sort(ink.begin(), ink.end());
    const auto stem =
        ink[static_cast<std::size_t>(std::floor((1 - kStemShare) * (ink.size() - 1)))];
    return {background, stem.second, stem.first};
}

double regionContrast(const QImage& image, const QRect& region) {
    return measureInk(image, region).ratio;
}

// A text drawn over several backgrounds (a progress bar's fill and groove):
// the pixels the text changes, grouped by what stood there before; the
// weakest group of any size is the text's contrast. 0 when no text is drawn.
double drawnOverContrast(const QImage& withText, const QImage& withoutText) {
    std::map<QRgb, std::vector<double>> groups; // background -> the text's contrasts on it
    std::size_t changed = 0;
    for (int y = 0; y < withText.height(); ++y) {
        for (int x = 0; x < withText.width(); ++x) {
            const QRgb ink = opaque(withText.pixel(x, y));
            const QRgb under = opaque(withoutText.pixel(x, y));
            if (ink == under)
                continue;
            ++changed;
            groups[under].push_back(contrast(ink, under));
        }
    }
    double weakest = changed == 0 ? 0 : 21;
    for (const auto& [under, group] : groups) {
        // Blends at the edge of the fill are too few to carry a glyph.
        if (group.size() * 10 >= changed)
            weakest = std::min(weakest, reachedByShare(group, kStemShare));
    }
    return weakest;
}

struct Reading {
    QString where;
    double ratio;
};

Reading reading(const QString& where, const Ink& ink) {
    return {where + QStringLiteral(" (%1 on %2)")
                        .arg(QColor(ink.text).name(), QColor(ink.background).name()),
            ink.ratio};
}

QImage grabImage(QWidget* widget) {
    QImage image = widget->grab().toImage();
    // The measure works in the widget's own coordinates.
    image.setDevicePixelRatio(1);
    const qreal ratio = widget->devicePixelRatioF();
    if (ratio != 1)
        image = image.scaled(widget->size());
    return image;
}

QRect inWindow(QWidget* widget, const QRect& local, QWidget* window) {
    return QRect(widget->mapTo(window, local.topLeft()), local.size());
}

bool hasText(const QString& text) {
    return !text.trimmed().isEmpty();
}

// Every run of one format on one line of a text view, each measured where it
// is drawn; the view is scrolled so that every line is seen whole.
template <typename View> std::vector<Reading> readTextLines(View* view, const QString& name) {
    std::vector<Reading> readings;
    QScrollBar* scroll = view->verticalScrollBar();
    scroll->setValue(scroll->minimum());
    QImage image = grabImage(view->viewport());
    const QRect visible = view->viewport()->rect();
    for (QTextBlock block = view->document()->begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        for (int i = 0; layout != nullptr && i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const int lineStart = block.position() + line.textStart();
            const int lineEnd = lineStart + line.textLength();
            QTextCursor cursor(block);
            cursor.setPosition(lineStart);
            QRect at = view->cursorRect(cursor);
            if (at.top() < visible.top() || at.bottom() > visible.bottom()) {
                scroll->setValue(scroll->value() + at.top() - visible.top());
                image = grabImage(view->viewport());
                at = view->cursorRect(cursor);
            }
            // Where the layout's x for the line's start lands in the view.
            const double dx = at.left() - line.cursorToX(line.textStart());
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                const QTextFragment fragment = it.fragment();
                const int from = std::max(fragment.position(), lineStart);
                const int to = std::min(fragment.position() + fragment.length(), lineEnd);
                const QString text = block.text().mid(from - block.position(), to - from);
                if (from >= to || !hasText(text))
                    continue;
                const int left = qFloor(dx + line.cursorToX(from - block.position()));
                const int right = qCeil(dx + line.cursorToX(to - block.position()));
                const QRect run(left, at.top(), right - left, at.height());
                readings.push_back(reading(name + QStringLiteral(" / ") + view->objectName() +
                                               QStringLiteral(" line \"") + text.trimmed() +
                                               QStringLiteral("\""),
                                           measureInk(image, run)));
            }
        }
    }
    scroll->setValue(scroll->minimum());
    return readings;
}

// Every item of an open menu, the first item again as it stands under the
// pointer, and the menus its items open.
void readMenu(QMenu* menu, const QPoint& at, const QString& where, std::vector<Reading>& readings) {
    menu->popup(at);
    QApplication::processEvents();
    const QList<QAction*> items = menu->actions();
    const auto readItems = [&](const QString& state) {
        const QImage image = grabImage(menu);
        for (QAction* item : items) {
            if (item->isSeparator() || !item->isVisible() || !hasText(item->text()))
                continue;
            if (!state.isEmpty() && item != menu->activeAction())
                continue;
            readings.push_back(reading(where + QStringLiteral(" item ") + item->text() + state,
                                       measureInk(image, menu->actionGeometry(item))));
        }
    };
    readItems(QString());
    const auto first = std::find_if(items.begin(), items.end(), [](QAction* item) {
        return !item->isSeparator() && item->isVisible() && item->isEnabled();
    });
    if (first != items.end()) {
        menu->setActiveAction(*first);
        QApplication::processEvents();
        readItems(QStringLiteral(" (under the pointer)"));
    }
    for (QAction* item : items) {
        if (item->menu() != nullptr && item->isVisible())
            readMenu(item->menu(), menu->mapToGlobal(menu->actionGeometry(item).topRight()),
                     where + QStringLiteral(" > ") + item->text(), readings);
    }
    menu->hide();
    QApplication::processEvents();
}

// Every menu of the bar as it opens.
std::vector<Reading> readMenus(QMenuBar* bar, const QString& name) {
    std::vector<Reading> readings;
    for (QAction* title : bar->actions()) {
        if (title->menu() != nullptr && title->isVisible())
            readMenu(title->menu(), bar->mapToGlobal(bar->actionGeometry(title).bottomLeft()),
                     name + QStringLiteral(" / menu ") + title->text(), readings);
    }
    return readings;
}

// Every text of one window: labels, buttons, check boxes, list items, combo
// boxes, the menu bar's items and its menus, and each line of the text areas.
std::vector<Reading> readWindow(QWidget* window, const QString& name) {
    std::vector<Reading> readings;
    const QImage image = grabImage(window);
    const auto read = [&](QWidget* widget, const QRect& local, const QString& what) {
        if (!widget->isVisibleTo(window) || local.isEmpty())
            return;
        readings.push_back(reading(name + QStringLiteral(" / ") + widget->objectName() +
                                       QStringLiteral(" ") + what,
                                   measureInk(image, inWindow(widget, local, window))));
    };
    // Where a text is drawn, with a little of what it stands on: a label may
    // reach over a neighbour (a switch's state over the switch).
    const auto textRect = [](QWidget* widget, const QRect& room, int flags, const QString& text) {
        return widget->fontMetrics()
            .boundingRect(room, flags, text)
            .adjusted(-2, -2, 2, 2)
            .intersected(room);
    };
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (hasText(label->text()))
            read(label,
                 textRect(label, label->contentsRect(),
                          int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0),
                          label->text()),
                 label->text());
    }
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (hasText(button->text()))
            read(button,
                 textRect(button, button->rect().adjusted(3, 3, -3, -3), Qt::AlignCenter,
                          button->text()),
                 button->text());
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
        const std::vector<Reading> menus = readMenus(bar, name);
        readings.insert(readings.end(), menus.begin(), menus.end());
    }
    for (QPlainTextEdit* edit : window->findChildren<QPlainTextEdit*>()) {
        const std::vector<Reading> lines = readTextLines(edit, name);
        readings.insert(readings.end(), lines.begin(), lines.end());
    }
    for (QTextBrowser* browser : window->findChildren<QTextBrowser*>()) {
        const std::vector<Reading> lines = readTextLines(browser, name);
        readings.insert(readings.end(), lines.begin(), lines.end());
    }
    return readings;
}

Reading readProgress(QProgressBar* bar, const QString& name) {
    bar->setTextVisible(true);
    const QImage withText = grabImage(bar);
    bar->setTextVisible(false);
    const QImage withoutText = grabImage(bar);
    bar->setTextVisible(true);
    return {name + QStringLiteral(" / ") + bar->objectName() + QStringLiteral(" ") + bar->text(),
            drawnOverContrast(withText, withoutText)};
}

// Pages of other markup than the catalogue's: none of the page's own colours
// (the look's apply), a background alone (black text, as a browser draws it),
// and colours of its own with a table and preformatted text.
struct Page {
    const char* title;
    const char* html;
};
const Page kMadePages[] = {
    {"No colours of its own",
     "<html><body><h1>Plain page</h1><p>Text in the look's own colours, with <b>bold</b>, "
     "<i>italic</i> and <tt>typewriter</tt> words.</p><ul><li>A first item</li>"
     "<li>A second item</li></ul><h3>Small heading</h3><p>The last paragraph.</p>"
     "</body></html>"},
    {"A background alone",
     "<html><body bgcolor=\"#FFFFE0\"><h2>Cream page</h2><p>The page names a background and "
     "no text colour, so its text is black.</p><ol><li>One</li><li>Two</li></ol>"
     "</body></html>"},
    {"Colours of its own",
     "<html><body bgcolor=\"#10243A\" text=\"#F2F2E8\"><h2>Night page</h2>"
     "<table border=\"1\" cellpadding=\"3\"><tr><th>Control</th><th>Range</th></tr>"
     "<tr><td>Rate</td><td>0 to 100</td></tr></table>"
     "<pre>Preformatted  text</pre><p><small>Small print at the foot.</small></p>"
     "</body></html>"},
};

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
        firmware().show();
        firmware().ProgressBar1->setValue(50);
    }
    void TearDown() override { qApp->setStyleSheet(QString()); }

    TformFirmwareUpgrade& firmware() { return h.program().formFirmwareUpgrade(); }

    std::vector<Reading> readPage(const QString& caption) {
        QApplication::processEvents();
        return readWindow(&h.fxInfo(), QStringLiteral("information page \"%1\"").arg(caption));
    }

    // The information pages: two of the catalogue (a short one, and the
    // longest, which scrolls) and the pages of other markup.
    std::vector<Reading> readPages() {
        std::vector<Reading> all;
        for (const QString& effect : {QStringLiteral("Chorus"), QStringLiteral("Drive + Delay")}) {
            h.fxInfo().showPage(h.fxParameters().frameGeometry(), effect);
            const std::vector<Reading> readings = readPage(effect);
            all.insert(all.end(), readings.begin(), readings.end());
        }
        for (const Page& page : kMadePages) {
            h.fxInfo().showPage(h.fxParameters().frameGeometry(), QString::fromLatin1(page.title),
                                QByteArray(page.html));
            const std::vector<Reading> readings = readPage(QString::fromLatin1(page.title));
            all.insert(all.end(), readings.begin(), readings.end());
        }
        return all;
    }

    // Every reading of every window in `look`.
    std::vector<Reading> readAll(int look) {
        EXPECT_TRUE(apply_look(look));
        QApplication::processEvents();
        std::vector<Reading> all = readPages();
        const std::pair<QWidget*, QString> windows[] = {
            {&h.main(), "main window"},
            {&h.fxParameters(), "FX Parameters"},
            {&h.console(), "console"},
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
        EXPECT_GT(readings.size(), 200u) << "look " << look;
        for (const Reading& reading : readings) {
            EXPECT_GE(reading.ratio, kAaRatio)
                << "look " << look << ": " << reading.where.toStdString();
        }
        const auto lowest =
            std::min_element(readings.begin(), readings.end(),
                             [](const Reading& a, const Reading& b) { return a.ratio < b.ratio; });
        if (lowest != readings.end())
            std::printf("look %d (%s): %zu texts, lowest %.2f:1 at %s\n", look,
                        qPrintable(look_info(look)->name), readings.size(), lowest->ratio,
                        qPrintable(lowest->where));
    }
}

// Faded text cannot reach 4.5:1 on every background: the serial number is
// faded in the platform's look only, and drawn whole in every look that
// promises AA.
TEST_F(RenderedLooks, TextIsFadedOnlyInTheLookThatPromisesNoContrast) {
    QGraphicsEffect* fade = h.main().lblSerialNumber->graphicsEffect();
    ASSERT_NE(fade, nullptr);
    for (int look = 0; look < kLookCount; ++look) {
        ASSERT_TRUE(apply_look(look));
        EXPECT_EQ(fade->isEnabled(), !look_info(look)->meetsContrastAA) << "look " << look;
    }
    ASSERT_TRUE(apply_look(0));
    EXPECT_TRUE(fade->isEnabled()) << "back in the platform's look";
}

// Every line of a page is read: a page whose text colour is lost (the fault
// the issue saw, the look's light text on the page's white) fails line by line.
TEST_F(RenderedLooks, ALostPageTextColourFailsEveryLineOfThePage) {
    ASSERT_TRUE(apply_look(1));
    h.fxInfo().showPage(h.fxParameters().frameGeometry(), QStringLiteral("Drive + Delay"));
    QTextBrowser* view = h.fxInfo().WebBrowser1;
    view->document()->setDefaultStyleSheet(QString());
    view->reload();
    const std::vector<Reading> readings = readPage(QStringLiteral("Drive + Delay"));
    ASSERT_GT(readings.size(), 30u);
    for (const Reading& reading : readings)
        EXPECT_LT(reading.ratio, 1.5) << reading.where.toStdString();
}

// The measure itself: light text on a white page, and a label over a fill
// it does not stand out from, are caught; one dark pixel does not make a
// page of light text readable.
TEST_F(RenderedLooks, TheMeasureCatchesTextThatIsDrawnUnreadable) {
    QImage page(40, 20, QImage::Format_RGB32);
    page.fill(QColor("#ffffff"));
    for (int y = 5; y < 15; ++y)
        page.setPixel(10, y, QColor("#e6e6e6").rgb());
    EXPECT_LT(regionContrast(page, page.rect()), 1.5);
    for (int y = 5; y < 15; ++y)
        page.setPixel(12, y, QColor("#202020").rgb());
    EXPECT_GT(regionContrast(page, page.rect()), 15);

    // Real glyphs, antialiased: dark text reads, light text does not, and
    // neither does light text with one dark pixel among it.
    const auto drawn = [](const char* colour) {
        QImage text(240, 40, QImage::Format_RGB32);
        text.fill(QColor("#ffffff"));
        QPainter painter(&text);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.setFont(QFont(QStringLiteral("Sans"), 10));
        painter.setPen(QColor(colour));
        painter.drawText(text.rect(), Qt::AlignCenter, QStringLiteral("Mix (knob): balance"));
        return text;
    };
    EXPECT_GT(regionContrast(drawn("#202020"), QRect(0, 0, 240, 40)), 10);
    QImage light = drawn("#e6e6e6");
    EXPECT_LT(regionContrast(light, light.rect()), 1.5);
    light.setPixel(120, 20, QColor("#000000").rgb());
    EXPECT_LT(regionContrast(light, light.rect()), 1.5);

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
    // A single dark pixel on the fill does not carry the light text there.
    text.setPixel(16, 10, QColor("#000000").rgb());
    EXPECT_LT(drawnOverContrast(text, fill), 2.0);
}

} // namespace
} // namespace brivo::test
