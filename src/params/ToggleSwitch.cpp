#include "params/ToggleSwitch.h"

#include <QPainter>

namespace brivo {

namespace {

constexpr int kDefaultWidth = 40;
constexpr int kDefaultHeight = 20;
constexpr qreal kKnobMargin = 2.0;
// Room around the track for the focus ring.
constexpr qreal kFocusGap = 2.0;
constexpr qreal kDisabledOpacity = 0.55;

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
    // Colours come from the palette, which a look's style sheet sets through
    // color, background-color and the selection colours, so the switch
    // follows every look: on is the selection colour, off the button face.
    const QPalette& pal = palette();
    const QPalette::ColorGroup group = isEnabled() ? QPalette::Active : QPalette::Disabled;
    const QColor frame = pal.color(group, QPalette::ButtonText);
    // A disabled switch is drawn faded as well as in the disabled colours, so
    // it stands apart in every look.
    if (!isEnabled())
        painter.setOpacity(kDisabledOpacity);

    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const QRectF track = outer.adjusted(kFocusGap, kFocusGap, -kFocusGap, -kFocusGap);
    const qreal radius = track.height() / 2.0;
    painter.setPen(QPen(frame, 1.0));
    painter.setBrush(isChecked() ? pal.color(group, QPalette::Highlight)
                                 : pal.color(group, QPalette::Button));
    painter.drawRoundedRect(track, radius, radius);

    const qreal knobSize = track.height() - 2 * kKnobMargin;
    const qreal knobX =
        isChecked() ? track.right() - kKnobMargin - knobSize : track.left() + kKnobMargin;
    const QRectF knob(knobX, track.top() + kKnobMargin, knobSize, knobSize);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? pal.color(group, QPalette::HighlightedText) : frame);
    painter.drawEllipse(knob);

    // The focus ring stands outside the track, in the text colour, so it shows
    // whether the switch is on or off.
    if (hasFocus()) {
        const qreal outerRadius = outer.height() / 2.0;
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(frame, 1.0, Qt::DotLine));
        painter.drawRoundedRect(outer, outerRadius, outerRadius);
    }
}

} // namespace brivo
