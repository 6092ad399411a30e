// Uploading effect programs to the pedal.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "base/EditorError.h"
#include "base/PrintableText.h"
#include "catalogue/ResourceName.h"
#include "commands/UploadProgram.h"
#include "link/HexText.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace brivo {

void TformMain::btnUploadClick() {
    if (runAfterLiveLoop(btnUpload, [this] { btnUploadClick(); }))
        return;
    // Refused at once while another command waits for the pedal: its reply
    // and the upload's answer would be mixed up.
    const ExchangeGuard exchange = editor_.exchange.beginExchange();
    if (!editor_.dialogs.askYesNo(QStringLiteral("Upload the selected effect?")))
        return;
    CatalogueState& catalogue = editor_.catalogue;
    QString program;
    if (catalogue.currentCategory == kImpulseResponseCategory) {
        // Without a response prepared for this very effect there is nothing
        // the pedal could answer: refuse instead of waiting for nothing.
        if (editor_.irProgram.isEmpty() || editor_.irProgramEffect != catalogue.currentEffectName)
            throw EditorError(QStringLiteral(
                "No impulse response is loaded for this effect. Choose File > Load IR first."));
        program = editor_.irProgram;
        editor_.log.log_line(QStringLiteral("file content size: ") +
                             QString::number(program.size() / 2));
    } else {
        const QString name = resource_name_of(catalogue.currentEffectName);
        editor_.log.log_line(QStringLiteral("resource name: ") + name);
        load_resource_lines(name);
        program = catalogue.resourceLines.value(0);
    }
    if (const QString fault = program_text_fault(program); !fault.isEmpty())
        throw EditorError(fault);

    // Checked while still a qsizetype: an int could wrap for a huge text.
    const qsizetype programBytes = program.size() / 2;
    editor_.log.log_line(QStringLiteral("size: ") + QString::number(programBytes));
    if (programBytes > kTxBufferSize)
        throw EditorError(
            QStringLiteral("The effect program is too long for the transmit buffer."));
    const int count = static_cast<int>(programBytes);
    const int converted = hex_text_to_bytes(program, editor_.device.txBuffer.data(), count);
    editor_.log.log_line(QStringLiteral("num of bytes: ") + QString::number(converted));
    // A late answer to an earlier command must not pass for this one's.
    editor_.device.PurgeFTDeviceRX();
    editor_.device.WriteFTDevice(static_cast<DWORD>(count));
    editor_.log.log_line(QStringLiteral("write to device"));
    lblStatus->setText(QStringLiteral("Uploading..."));
    // The pedal reloads its effect: the last status no longer holds.
    editor_.running.statusEffectName.clear();

    if (!waitForUploadAnswer(count))
        return;
    const bool answered = readUploadAnswer([this](const QByteArray& answer) {
        const QString text = upload_answer_text(answer);
        editor_.log.log_line(QStringLiteral("received: ") + text);
        lblStatus->setText(strip_control_characters(text));
    });
    // A link that failed mid-answer (reported once) leaves the limits alone.
    if (answered)
        editor_.params.reset_min_max_array();
}

bool TformMain::waitForUploadAnswer(int byteCount) {
    // The write returns at once; the program then travels for its byte time.
    const std::int64_t started = editor_.clock.nowUs();
    const double travelUs = byteCount * kLinkByteTimeUs;
    prgUpload->setValue(0);
    prgUpload->show();
    const int timeoutMs = linkTimeoutMs(byteCount + kUploadAnswerBytes, kUploadAllowanceMs);
    bool ok = false;
    try {
        ok = editor_.exchange.waitForQueuedBytes(timeoutMs, [&] {
            const double done = travelUs <= 0 ? 1.0 : (editor_.clock.nowUs() - started) / travelUs;
            prgUpload->setValue(static_cast<int>(100 * std::min(done, 1.0)));
        });
    } catch (...) {
        prgUpload->hide();
        lblStatus->setText(QStringLiteral("Status: no answer from the pedal"));
        throw;
    }
    prgUpload->hide();
    return ok;
}

void TformMain::btnUploadFileClick() {
    const ExchangeGuard exchange = editor_.exchange.beginExchange();
    const QString path = editor_.dialogs.openFileName(openDialogFilter_);
    if (path.isEmpty())
        return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EditorError(QStringLiteral("Cannot open %1: %2").arg(path, file.errorString()));
    // A file too large for any program is refused before it is read.
    if (const QString fault = raw_file_size_fault(file.size()); !fault.isEmpty())
        throw EditorError(fault);
    const QByteArray raw = file.read(kMaxRawProgramFileBytes + 1);
    if (const QString fault = raw_file_size_fault(raw.size()); !fault.isEmpty())
        throw EditorError(fault);
    const QString content = QString::fromLatin1(raw);
    Log& log = editor_.log;
    log.append_line(path);
    log.append_line(QFileInfo(path).fileName());
    log.append_line(raw_file_summary(content));
    log.append_line(QString::number(content.size()));
    // Line ends and blanks around the digits are not part of the program.
    const QString program = content.trimmed();
    if (const QString fault = program_text_fault(program); !fault.isEmpty())
        throw EditorError(fault);
    const qsizetype programBytes = program.size() / 2;
    if (programBytes > kTxBufferSize)
        throw EditorError(QStringLiteral("The file is too long for the transmit buffer."));
    const int count = static_cast<int>(programBytes);
    const int converted = hex_text_to_bytes(program, editor_.device.txBuffer.data(), count);
    log.append_line(QStringLiteral("num of bytes: ") + QString::number(converted));
    // The pedal reads as many bytes as the program's length field says.
    if (const QString fault = program_length_fault(editor_.device.txBuffer.data(), count);
        !fault.isEmpty())
        throw EditorError(fault);
    editor_.device.PurgeFTDeviceRX();
    editor_.device.WriteFTDevice(static_cast<DWORD>(count));
    log.append_line(QStringLiteral("write to device"));
    if (!waitForUploadAnswer(count))
        return;
    qsizetype logged = 0;
    readUploadAnswer([&log, &logged](const QByteArray& answer) {
        // Only the bytes this read brought, not the rest of the receive buffer.
        log.append_line(QStringLiteral("received: ") + QString::fromLatin1(answer.mid(logged)));
        logged = answer.size();
    });
}

bool TformMain::readUploadAnswer(const std::function<void(const QByteArray&)>& onRead) {
    // The answer may come in pieces: read until all of it is here or the
    // link has gone quiet.
    QByteArray answer;
    const auto whole = [](const QByteArray& bytes) { return bytes.size() >= kUploadAnswerBytes; };
    return editor_.exchange.collectReply(answer, whole,
                                         linkTimeoutMs(kUploadAnswerBytes, kReplyAllowanceMs),
                                         kPollIntervalMs, onRead);
}

} // namespace brivo
