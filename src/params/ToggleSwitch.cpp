#include "params/ToggleSwitch.h"

#include <QPainter>

namespace brivo {

namespace {

constexpr int kDefaultWidth = 40;
constexpr int kDefaultHeight = 20;
constexpr qreal kKnobMargin = 2.0;

} // namespace

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
}

QSize ToggleSwitch::sizeHint() const {
    return {kDefaultWidth, kDefaultHeight};
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = track.height() / 2.0;

    QColor trackColour = isChecked() ? pal.color(QPalette::Highlight) : pal.color(QPalette::Mid);
    if (!isEnabled())
        trackColour = pal.color(QPalette::Disabled, QPalette::Mid);
    painter.setPen(QPen(pal.color(QPalette::Dark), 1.0));
    painter.setBrush(trackColour);
    painter.drawRoundedRect(track, radius, radius);

    const qreal knobSize = track.height() - 2 * kKnobMargin;
    const qreal knobX =
        isChecked() ? track.right() - kKnobMargin - knobSize : track.left() + kKnobMargin;
    const QRectF knob(knobX, track.top() + kKnobMargin, knobSize, knobSize);
    painter.setBrush(isEnabled() ? pal.color(QPalette::Button)
                                 : pal.color(QPalette::Disabled, QPalette::Button));
    painter.drawEllipse(knob);

    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(pal.color(QPalette::Highlight), 1.0, Qt::DotLine));
        painter.drawRoundedRect(track.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }
}

} // namespace brivo
