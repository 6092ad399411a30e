#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

class QChartView;
class QLineSeries;

namespace brivo {

// Beside the main window after a Load IR: the response's waveform over the
// samples the pedal uses, and its magnitude in dB over 20 Hz to 20 kHz.
class TformIRResponse final : public QWidget {
    Q_OBJECT
  public:
    explicit TformIRResponse(QWidget* parent = nullptr);
    void showResponse(const QString& fileName, const std::vector<std::int32_t>& samples);

    QLineSeries* waveform = nullptr;
    QLineSeries* magnitude = nullptr;

  private:
    QChartView* waveformView_ = nullptr;
    QChartView* magnitudeView_ = nullptr;
};

} // namespace brivo
