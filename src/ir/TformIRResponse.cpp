#include "ir/TformIRResponse.h"

#include "ir/IrSpectrum.h"

#include <QChart>
#include <QChartView>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

namespace brivo {

namespace {
constexpr int kWidth = 420;
constexpr int kHeight = 480;
constexpr double kFullScale = 2147483648.0;
constexpr double kLowestHz = 20.0;
constexpr double kHighestHz = 20000.0;

QChartView* makeView(QLineSeries* series, const QString& title, QAbstractAxis* x, QAbstractAxis* y,
                     QWidget* parent) {
    auto* chart = new QChart();
    chart->setTitle(title);
    chart->legend()->hide();
    chart->addSeries(series);
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(x);
    series->attachAxis(y);
    auto* view = new QChartView(chart, parent);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}
} // namespace

TformIRResponse::TformIRResponse(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("formIRResponse"));
    resize(kWidth, kHeight);
    waveform = new QLineSeries(this);
    magnitude = new QLineSeries(this);
    auto* time = new QValueAxis(this);
    time->setTitleText(QStringLiteral("sample"));
    auto* level = new QValueAxis(this);
    level->setRange(-1.0, 1.0);
    auto* frequency = new QLogValueAxis(this);
    frequency->setBase(10.0);
    frequency->setRange(kLowestHz, kHighestHz);
    frequency->setTitleText(QStringLiteral("Hz"));
    frequency->setLabelFormat(QStringLiteral("%g"));
    auto* decibels = new QValueAxis(this);
    decibels->setTitleText(QStringLiteral("dB"));
    waveformView_ = makeView(waveform, QStringLiteral("Waveform"), time, level, this);
    magnitudeView_ = makeView(magnitude, QStringLiteral("Magnitude"), frequency, decibels, this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(waveformView_);
    layout->addWidget(magnitudeView_);
}

void TformIRResponse::showResponse(const QString& fileName,
                                   const std::vector<std::int32_t>& samples) {
    setWindowTitle(QStringLiteral("Impulse response: ") + fileName);
    QList<QPointF> wave;
    for (std::size_t i = 0; i < samples.size(); ++i)
        wave.append(QPointF(static_cast<double>(i), samples[i] / kFullScale));
    waveform->replace(wave);
    if (auto* axis = qobject_cast<QValueAxis*>(waveform->attachedAxes().value(0)))
        axis->setRange(0, std::max<double>(1, static_cast<double>(samples.size()) - 1));
    QList<QPointF> spectrum;
    double top = -120.0;
    double bottom = 0.0;
    for (const auto& [hz, db] : ir_magnitude_db(samples)) {
        spectrum.append(QPointF(hz, db));
        top = std::max(top, db);
        bottom = std::min(bottom, db);
    }
    magnitude->replace(spectrum);
    if (auto* axis = qobject_cast<QValueAxis*>(magnitude->attachedAxes().value(1)))
        axis->setRange(std::max(bottom, top - 60.0) - 1.0, top + 3.0);
    show();
    raise();
}

} // namespace brivo
