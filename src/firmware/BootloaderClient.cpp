#include "firmware/BootloaderClient.h"

#include "base/Log.h"
#include "firmware/BootloaderLink.h"
#include "firmware/FirmwareImage.h"
#include "link/HexText.h"
#include "link/ReplyRules.h"

namespace brivo {

namespace {

using namespace brivo::bootloader;

QString hex2(std::uint8_t byte) {
    return hex_of(byte, 2);
}

QByteArray toBytes(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())};
}

// ACK, N, version, up to 256 codes, ACK.
constexpr int kGetAnswerBytesAtMost = 260;

} // namespace

QString describeFault(const QString& step, ReplyFault fault, const QString& came, int timeoutMs) {
    switch (fault) {
    case ReplyFault::Nack:
        return QStringLiteral("the pedal refused (NACK) %1.").arg(step);
    case ReplyFault::UnexpectedBytes:
        return QStringLiteral("the pedal answered %1 instead of ACK to %2.").arg(came, step);
    case ReplyFault::NoReply:
        return QStringLiteral("the pedal did not answer %1 within %2 ms.").arg(step).arg(timeoutMs);
    case ReplyFault::LinkLost:
        return QStringLiteral("the link to the pedal was lost waiting for the answer to %1.")
            .arg(step);
    case ReplyFault::BadAnswer:
        return QStringLiteral("the pedal's answer to %1 was incomplete (%2 came).").arg(step, came);
    }
    return step;
}

BootloaderError::BootloaderError(QString step, ReplyFault fault, QString came, int timeoutMs)
    : EditorError(describeFault(step, fault, came, timeoutMs)), step_(std::move(step)),
      fault_(fault) {}

BootloaderClient::BootloaderClient(BootloaderLink& link, Log& log) : link_(link), log_(log) {}

Task<std::vector<std::uint8_t>> BootloaderClient::awaitAnswer(int answerBytes, const QString& step,
                                                              int timeoutMs) {
    // The first byte says whether the rest comes: a refusal is one byte.
    BootloaderLink::Awaited got = co_await link_.await(1, timeoutMs);
    if (got.end == BootloaderLink::End::Whole && got.bytes.front() == kAck && answerBytes > 1) {
        BootloaderLink::Awaited rest = co_await link_.await(answerBytes - 1, timeoutMs);
        got.bytes.insert(got.bytes.end(), rest.bytes.begin(), rest.bytes.end());
        got.end = rest.end;
    }
    log_.log_line(QStringLiteral("num of bytes received: ") + QString::number(got.bytes.size()));
    if (!got.bytes.empty())
        log_.log_line(QStringLiteral("received: ") + hex2(got.bytes.front()));
    if (got.end == BootloaderLink::End::LinkLost)
        throw BootloaderError(step, ReplyFault::LinkLost);
    switch (classifyAnswer(got.bytes, answerBytes)) {
    case AnswerKind::Ack:
        log_.log_line(QStringLiteral("ACK"));
        co_return std::move(got.bytes);
    case AnswerKind::Nack:
        log_.log_line(QStringLiteral("NOT ACK"));
        throw BootloaderError(step, ReplyFault::Nack);
    case AnswerKind::Other:
        throw BootloaderError(step, ReplyFault::UnexpectedBytes, bytesText(got.bytes));
    case AnswerKind::Nothing:
        throw BootloaderError(step, ReplyFault::NoReply, {}, timeoutMs);
    case AnswerKind::Truncated:
        throw BootloaderError(
            step, ReplyFault::BadAnswer,
            QStringLiteral("%1 of %2 bytes").arg(got.bytes.size()).arg(answerBytes));
    }
    co_return std::vector<std::uint8_t>{};
}

Task<bool> BootloaderClient::synchronise(int bytesAtMost) {
    link_.purgeReceive();
    for (int sent = 0; sent < bytesAtMost; ++sent) {
        log_.log_line(QStringLiteral("SEND SYNC"));
        const std::uint8_t sync[] = {kSync};
        link_.write(sync);
        const int waitMs = sent == 0                 ? kSyncSilenceMs
                           : sent + 1 == bytesAtMost ? kBootloaderAckTimeoutMs
                                                     : kSyncProbeMs;
        const BootloaderLink::Awaited got = co_await link_.await(1, waitMs);
        if (got.end == BootloaderLink::End::LinkLost)
            throw BootloaderError(QStringLiteral("the sync byte"), ReplyFault::LinkLost);
        if (got.bytes.empty() && sent + 1 < bytesAtMost)
            continue;
        log_.log_line(QStringLiteral("num of bytes received: ") +
                      QString::number(got.bytes.size()));
        log_.log_line(QStringLiteral("received Byte: ") +
                      (got.bytes.empty() ? QString() : hex2(got.bytes.front())));
        if (got.bytes.empty())
            co_return false;
        if (got.bytes.front() == kNack)
            log_.log_line(QStringLiteral("bootloader already synchronised"));
        // An answer ends it: nothing more is sent that could start a frame.
        co_return got.bytes.front() == kAck || got.bytes.front() == kNack;
    }
    co_return false;
}

Task<> BootloaderClient::command(std::uint8_t code, const QString& step) {
    link_.purgeReceive();
    link_.write(commandFrame(code));
    co_await awaitAnswer(1, step, kBootloaderAckTimeoutMs);
}

void BootloaderClient::sendMore(std::span<const std::uint8_t> frame, const QString& step) {
    // Bytes before the frame is even sent belong to no answer of it.
    if (const std::vector<std::uint8_t> early = link_.takeArrived(); !early.empty())
        throw BootloaderError(step, ReplyFault::UnexpectedBytes, bytesText(early));
    link_.write(frame);
}

Task<> BootloaderClient::frameThenAck(std::span<const std::uint8_t> frame, const QString& step,
                                      int timeoutMs) {
    sendMore(frame, step);
    co_await awaitAnswer(1, step, timeoutMs);
}

Task<std::vector<std::uint8_t>> BootloaderClient::get_commands() {
    log_.log_line(QStringLiteral("SEND GET COMMAND"));
    const QString step = QStringLiteral("the request for its command list (Get)");
    link_.purgeReceive();
    link_.write(commandFrame(kGet));
    const int timeoutMs = linkTimeoutMs(kGetAnswerBytesAtMost, kBootloaderAckTimeoutMs);
    // ACK and N first; N tells how much follows.
    std::vector<std::uint8_t> answer = co_await awaitAnswer(kGetAnswerHeadBytes, step, timeoutMs);
    const int whole = getAnswerBytes(answer);
    const BootloaderLink::Awaited rest =
        co_await link_.await(whole - kGetAnswerHeadBytes, timeoutMs);
    answer.insert(answer.end(), rest.bytes.begin(), rest.bytes.end());
    if (rest.end == BootloaderLink::End::LinkLost)
        throw BootloaderError(step, ReplyFault::LinkLost);
    const auto commands = parseGetAnswer(answer);
    if (!commands)
        throw BootloaderError(step, ReplyFault::BadAnswer, bytesText(answer));
    log_.log_line(QStringLiteral("bootloader version: ") + hex2(answer.at(2)));
    log_.log_line(QStringLiteral("bootloader commands: ") + bytesText(*commands));
    co_return *commands;
}

void BootloaderClient::logAddress(std::uint32_t address) {
    log_.log_line(QStringLiteral("SEND ADDRESS + CHECKSUM"));
    log_.log_line(QStringLiteral("Address: ") + hex_of(address, 8));
    log_.log_line(QStringLiteral("address checksum: ") + hex2(addressChecksum(address)));
}

Task<> BootloaderClient::begin_erase(const MassErase& erase) {
    log_.log_line(QStringLiteral("Start Erase Command"));
    for (const std::uint8_t byte : commandFrame(erase.command))
        log_.log_line(QStringLiteral("erase bytes: ") + hex2(byte));
    co_await command(erase.command, QStringLiteral("the erase command"));
}

Task<> BootloaderClient::erase_whole_flash(const MassErase& erase) {
    co_await frameThenAck(erase.frame, QStringLiteral("the erase of the whole flash"),
                          kMassEraseTimeoutMs);
}

Task<> BootloaderClient::write_chunk(std::uint32_t address, std::span<const std::uint8_t> bytes,
                                     const QString& step) {
    log_.log_line(QStringLiteral("SEND WRITE COMMAND"));
    co_await command(kWriteMemory, QStringLiteral("the write command for ") + step);
    logAddress(address);
    co_await frameThenAck(addressFrame(address), QStringLiteral("the address of ") + step,
                          kBootloaderAckTimeoutMs);
    const std::vector<std::uint8_t> frame = dataFrame(paddedBlock(bytes));
    log_.log_line(QStringLiteral("SEND N BYTE + DATA + CHECKSUM"));
    log_.log_line(QStringLiteral("N_byte: ") + hex2(frame.front()));
    log_.log_line(QStringLiteral("chunk size: ") + QString::number(bytes.size()));
    log_.log_line(QStringLiteral("data checksum: ") + hex2(frame.back()));
    co_await frameThenAck(
        frame, QStringLiteral("the data of ") + step,
        linkTimeoutMs(static_cast<std::int64_t>(frame.size()) + 1, kBlockWriteAllowanceMs));
    log_.log_line(QString());
}

Task<QByteArray> BootloaderClient::read_memory(std::uint32_t address, int count,
                                               const QString& step) {
    log_.log_line(QStringLiteral("SEND READ COMMAND"));
    co_await command(kReadMemory, QStringLiteral("the read command for ") + step);
    logAddress(address);
    co_await frameThenAck(addressFrame(address), QStringLiteral("the read address of ") + step,
                          kBootloaderAckTimeoutMs);
    log_.log_line(QStringLiteral("read bytes: ") + QString::number(count));
    const QString readStep = QStringLiteral("the read-back of ") + step;
    sendMore(readLengthFrame(count), readStep);
    const std::vector<std::uint8_t> answer = co_await awaitAnswer(
        count + 1, readStep, linkTimeoutMs(count + 1, kBootloaderAckTimeoutMs));
    co_return toBytes(std::span(answer).subspan(1));
}

Task<> BootloaderClient::send_go_command() {
    log_.log_line(QString());
    log_.log_line(QStringLiteral("SEND GO COMMAND"));
    co_await command(kGo, QStringLiteral("the start command (Go)"));
    logAddress(kFlashStartAddress);
    co_await frameThenAck(addressFrame(kFlashStartAddress),
                          QStringLiteral("the start address of the new firmware"),
                          kBootloaderAckTimeoutMs);
}

} // namespace brivo
