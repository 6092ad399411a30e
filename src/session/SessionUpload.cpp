// Uploading effect programs: from the catalogue, an impulse-response
// effect's spliced program, or a raw file of hex digit pairs.
#include "base/EditorError.h"
#include "base/Log.h"
#include "base/PrintableText.h"
#include "catalogue/CatalogueState.h"
#include "catalogue/ResourceName.h"
#include "catalogue/Resources.h"
#include "commands/UploadProgram.h"
#include "link/HexText.h"
#include "link/LinkSettings.h"
#include "link/ReplyRules.h"
#include "session/PedalSession.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace brivo {

void PedalSession::uploadEffect(const QString& category, const QString& effect) {
    start(Conversation::Upload,
          [this, category, effect] { return uploadEffectConversation(category, effect); });
}

Task<> PedalSession::uploadEffectConversation(QString category, QString effect) {
    QString program;
    if (category == kImpulseResponseCategory) {
        // Without a response prepared for this very effect there is nothing
        // the pedal could answer: refuse instead of waiting for nothing.
        if (irProgram_.isEmpty() || irProgramEffect_ != effect)
            throw EditorError(QStringLiteral(
                "No impulse response is loaded for this effect. Choose File > Load IR first."));
        program = irProgram_;
        log_.log_line(QStringLiteral("file content size: ") + QString::number(program.size() / 2));
    } else {
        const QString name = resource_name_of(effect);
        log_.log_line(QStringLiteral("resource name: ") + name);
        program = resources::load_resource_lines(name).value(0);
    }
    if (const QString fault = program_text_fault(program); !fault.isEmpty())
        throw EditorError(fault);
    // Checked while still a qsizetype: an int could wrap for a huge text.
    const qsizetype programBytes = program.size() / 2;
    log_.log_line(QStringLiteral("size: ") + QString::number(programBytes));
    if (programBytes > kTxBufferSize)
        throw EditorError(
            QStringLiteral("The effect program is too long for the transmit buffer."));
    const int count = static_cast<int>(programBytes);
    const int converted = hex_text_to_bytes(program, device_.txBuffer.data(), count);
    log_.log_line(QStringLiteral("num of bytes: ") + QString::number(converted));
    // A late answer to an earlier command must not pass for this one's.
    device_.PurgeFTDeviceRX();
    device_.WriteFTDevice(static_cast<DWORD>(count));
    log_.log_line(QStringLiteral("write to device"));
    emit uploadStatus(QStringLiteral("Uploading..."));
    // The pedal reloads its effect: the last status no longer holds.
    running_.statusEffectName.clear();
    const bool ok = co_await waitForUploadAnswer(count);
    if (!ok)
        co_return;
    const std::optional<QByteArray> answer =
        co_await readUploadAnswer([this](const QByteArray& bytes) {
            const QString text = upload_answer_text(bytes);
            log_.log_line(QStringLiteral("received: ") + text);
            emit uploadStatus(strip_control_characters(text));
        });
    // A link that failed mid-answer (reported once) leaves the limits alone.
    if (answer)
        params_.reset_min_max_array();
}

void PedalSession::uploadRawFile(const QString& path) {
    start(Conversation::UploadRaw, [this, path] { return uploadRawConversation(path); });
}

Task<> PedalSession::uploadRawConversation(QString path) {
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
    log_.append_line(path);
    log_.append_line(QFileInfo(path).fileName());
    log_.append_line(raw_file_summary(content));
    log_.append_line(QString::number(content.size()));
    // Line ends and blanks around the digits are not part of the program.
    const QString program = content.trimmed();
    if (const QString fault = program_text_fault(program); !fault.isEmpty())
        throw EditorError(fault);
    const qsizetype programBytes = program.size() / 2;
    if (programBytes > kTxBufferSize)
        throw EditorError(QStringLiteral("The file is too long for the transmit buffer."));
    const int count = static_cast<int>(programBytes);
    const int converted = hex_text_to_bytes(program, device_.txBuffer.data(), count);
    log_.append_line(QStringLiteral("num of bytes: ") + QString::number(converted));
    // The pedal reads as many bytes as the program's length field says.
    if (const QString fault = program_length_fault(device_.txBuffer.data(), count);
        !fault.isEmpty())
        throw EditorError(fault);
    device_.PurgeFTDeviceRX();
    device_.WriteFTDevice(static_cast<DWORD>(count));
    log_.append_line(QStringLiteral("write to device"));
    running_.statusEffectName.clear();
    const bool ok = co_await waitForUploadAnswer(count);
    if (!ok)
        co_return;
    qsizetype logged = 0;
    co_await readUploadAnswer([this, &logged](const QByteArray& bytes) {
        // Only the bytes this read brought, not the rest of the receive buffer.
        log_.append_line(QStringLiteral("received: ") + QString::fromLatin1(bytes.mid(logged)));
        logged = bytes.size();
    });
}

Task<bool> PedalSession::waitForUploadAnswer(int byteCount) {
    // The write returns at once; the program then travels for its byte time.
    const std::int64_t started = clock_.nowUs();
    const double travelUs = byteCount * kLinkByteTimeUs;
    emit uploadProgress(0);
    const int timeoutMs = linkTimeoutMs(byteCount + kUploadAnswerBytes, kUploadAllowanceMs);
    bool ok = false;
    try {
        ok = co_await exchange_.waitForQueuedBytes(timeoutMs, [this, started, travelUs] {
            const double done = travelUs <= 0 ? 1.0 : (clock_.nowUs() - started) / travelUs;
            emit uploadProgress(static_cast<int>(100 * std::min(done, 1.0)));
        });
    } catch (const EditorError&) {
        emit uploadProgress(-1);
        emit uploadStatus(QStringLiteral("Status: no answer from the pedal"));
        throw;
    } catch (...) {
        emit uploadProgress(-1);
        throw;
    }
    emit uploadProgress(-1);
    co_return ok;
}

Task<std::optional<QByteArray>>
PedalSession::readUploadAnswer(const std::function<void(const QByteArray&)>& onRead) {
    // The answer may come in pieces: read until all of it is here or the
    // link has gone quiet.
    const auto whole = [](const QByteArray& bytes) { return bytes.size() >= kUploadAnswerBytes; };
    co_return co_await exchange_.collectReply(
        whole, linkTimeoutMs(kUploadAnswerBytes, kReplyAllowanceMs), kPollIntervalMs, onRead);
}

} // namespace brivo
