#pragma once

#include <QProgressBar>

namespace brivo {

// A progress bar whose text stays readable wherever the fill has reached: the
// part of the text over the fill is drawn in the selection's text colour
// (the look's colour for text on its accent), the rest in the bar's text
// colour. A style sheet that styles the fill draws the whole text in one
// colour, which cannot read well on both a light fill and a dark groove.
class TwoToneProgressBar final : public QProgressBar {
    Q_OBJECT
  public:
    explicit TwoToneProgressBar(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace brivo
