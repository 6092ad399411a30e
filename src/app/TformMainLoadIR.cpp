// File > Load IR: an impulse response from a WAV file spliced into the
// selected effect's program.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "base/EditorError.h"
#include "catalogue/ResourceName.h"
#include "ir/IrSplice.h"
#include "ir/TformIRResponse.h"
#include "ir/WavImpulse.h"
#include "link/HexText.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>

namespace brivo {

namespace {
const QString kWaveFilter = QStringLiteral("Wave Files (*.wav)");

QString hexOf(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}
} // namespace

void TformMain::menuLoadIRClick() {
    load_ir_from_wav();
}

void TformMain::load_ir_from_wav() {
    const QString effect = editor_.catalogue.currentEffectName;
    const std::optional<IrLayout> layout = ir_layout_of(effect);
    if (!layout) {
        editor_.dialogs.showMessage(
            QStringLiteral("%1 has no place for an impulse response; nothing was loaded.")
                .arg(effect.isEmpty() ? QStringLiteral("No effect is selected:") : effect));
        return;
    }
    openDialogFilter_ = kWaveFilter;
    const QString path = editor_.dialogs.openFileName(openDialogFilter_);
    if (path.isEmpty())
        return;
    Log& log = editor_.log;
    const QString name = QFileInfo(path).fileName();
    log.log_line(path);
    log.log_line(name);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EditorError(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    // Mapped: a large file costs only the parts read. Logged whole only when small.
    const QByteArray bytes = file_bytes(file);
    log.log_line(QString::number(bytes.size()));
    log.log_line(bytes_for_log(bytes));

    const ImpulseResponse response = read_impulse_response(bytes, layout->samples);
    const WavHeader& h = response.header;
    if (!response.error.isEmpty()) {
        log.log_line(QStringLiteral("IR refused: ") + response.error);
        editor_.dialogs.showMessage(
            QStringLiteral("%1 was not loaded: %2. The impulse response stays as it was.")
                .arg(name, response.error));
        return;
    }
    log.log_line(QStringLiteral("ID: ") + h.id);
    log.log_line(QStringLiteral("chunk size: ") + QString::number(h.riffSize));
    log.log_line(QStringLiteral("Subchunk ID: ") + h.subchunkId);
    log.log_line(QStringLiteral("Subchink size: ") + QString::number(h.fmtSize));
    log.log_line(QStringLiteral("Audio format: ") + QString::number(h.audioFormat));
    log.log_line(QStringLiteral("Num_of_channels: ") + QString::number(h.channels));
    log.log_line(QStringLiteral("Sample_Rate: ") + QString::number(h.sampleRate));
    log.log_line(QStringLiteral("Byte_Rate: ") + QString::number(h.byteRate));
    log.log_line(QStringLiteral("Block align: ") + QString::number(h.blockAlign));
    log.log_line(QStringLiteral("Bits_per_sample: ") + QString::number(h.bitsPerSample));
    log.log_line(QStringLiteral("subchunk2size: ") + QString::number(h.dataSize));
    const QByteArray data = sample_data_of(bytes, h);
    log.log_line(QStringLiteral("Audio data: ") + sample_data_for_log(bytes, h));
    log.log_line(QStringLiteral("irdata: ") +
                 hexOf(data.left(static_cast<qsizetype>(layout->samples) * h.blockAlign)));
    QString words;
    QStringList wordLines; // one line per word, added to the console in one step
    for (const std::int32_t sample : response.samples) {
        wordLines.append(ir_word_of(sample));
        words += wordLines.last();
    }
    log.log_lines(wordLines);
    log.log_line(QStringLiteral("irdata swapped endianess: ") + words);

    load_resource_lines(resource_name_of(effect));
    const QString spliced =
        splice_ir(editor_.catalogue.resourceLines.value(0), *layout, response.samples);
    if (spliced.isEmpty())
        throw EditorError(
            QStringLiteral("The program of %1 is too short for its impulse response.").arg(effect));
    editor_.session.setIrProgram(spliced, effect);
    log.log_line(spliced);

    QStringList box = {QStringLiteral("Selected file data:"), QStringLiteral("Name: ") + name,
                       QStringLiteral("Size: ") + QString::number(bytes.size()),
                       QStringLiteral("Sample rate: ") + QString::number(h.sampleRate),
                       QStringLiteral("Bits per sample: ") + QString::number(h.bitsPerSample)};
    if (h.channels > 1)
        box.append(
            QStringLiteral("The file has %1 channels: the first one is used.").arg(h.channels));
    if (response.resampled)
        box.append(
            QStringLiteral("Resampled from %1 Hz to %2 Hz.").arg(h.sampleRate).arg(kPedalRateHz));
    if (response.clipped > 0)
        box.append(QStringLiteral("%1 of the %2 samples were beyond full scale and are clipped.")
                       .arg(response.clipped)
                       .arg(layout->samples));
    if (response.padded)
        box.append(QStringLiteral("The response holds %1 samples; the other %2 of %3 are silence.")
                       .arg(response.framesAtPedalRate)
                       .arg(layout->samples - response.framesAtPedalRate)
                       .arg(layout->samples));
    // The picture stands beside the main window while the box is read.
    if (irResponse_ == nullptr)
        irResponse_ = new TformIRResponse(this);
    irResponse_->move(frameGeometry().topRight());
    irResponse_->showResponse(name, response.samples);
    editor_.dialogs.showMessage(box.join(QStringLiteral("\r\n")));
}

} // namespace brivo
