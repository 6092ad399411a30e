#include "firmware/TwoToneProgressBar.h"

#include <QStyleOptionProgressBar>
#include <QStylePainter>
#include <algorithm>

namespace brivo {

TwoToneProgressBar::TwoToneProgressBar(QWidget* parent) : QProgressBar(parent) {}

void TwoToneProgressBar::paintEvent(QPaintEvent* /*event*/) {
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    const QString label = option.text;
    const bool showLabel = option.textVisible && !label.isEmpty();
    option.textVisible = false;
    option.text.clear();
    {
        QStylePainter bar(this);
        bar.drawControl(QStyle::CE_ProgressBar, option);
    }
    if (!showLabel)
        return;
    QPainter painter(this);
    painter.setFont(font());

    // The fill grows from the start of the bar's contents, as the style draws it.
    const QRect contents = style()->subElementRect(QStyle::SE_ProgressBarContents, &option, this);
    const qint64 span = qint64(maximum()) - minimum();
    const double done = span > 0 ? double(qint64(value()) - minimum()) / double(span) : 0.0;
    QRect filled = contents;
    if (orientation() == Qt::Horizontal) {
        const int width = qRound(contents.width() * std::clamp(done, 0.0, 1.0));
        const bool fromRight = invertedAppearance() != (layoutDirection() == Qt::RightToLeft);
        filled = fromRight
                     ? QRect(contents.right() - width + 1, contents.top(), width, contents.height())
                     : QRect(contents.left(), contents.top(), width, contents.height());
    } else {
        const int height = qRound(contents.height() * std::clamp(done, 0.0, 1.0));
        filled = QRect(contents.left(), contents.bottom() - height + 1, contents.width(), height);
    }
    // The text in the middle of the bar's height, at the bar's alignment.
    Qt::Alignment align = alignment();
    if (!(align & Qt::AlignVertical_Mask))
        align |= Qt::AlignVCenter;
    const int flags = int(align) | Qt::TextSingleLine;
    const QRect textRect = contents;
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;

    painter.save();
    painter.setClipRect(filled);
    painter.setPen(palette().color(group, QPalette::HighlightedText));
    painter.drawText(textRect, flags, label);
    painter.restore();
    painter.setClipRegion(QRegion(rect()).subtracted(QRegion(filled)));
    painter.setPen(palette().color(group, QPalette::Text));
    painter.drawText(textRect, flags, label);
}

} // namespace brivo
