#pragma once

#include <QAbstractButton>

namespace brivo {

// An on/off switch: a checkable button drawn as a track with a knob. Like
// every QAbstractButton it emits `clicked` only when the user clicks it (after
// it has taken its new state); setChecked from code raises no click.
class ToggleSwitch : public QAbstractButton {
    Q_OBJECT

  public:
    explicit ToggleSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace brivo
