#include "firmware/BootloaderClient.h"

#include "base/Clock.h"
#include "base/Log.h"
#include "firmware/BootloaderFrames.h"
#include "firmware/FirmwareImage.h"
#include "link/D2XXUnit.h"
#include "link/HexText.h"
#include "link/MessageExchange.h"

#include <algorithm>

namespace brivo {

namespace {

// ACK, N, version, up to 256 codes, ACK.
constexpr int kGetAnswerBytesAtMost = 260;

QString hex2(std::uint8_t byte) {
    return hex_of(byte, 2);
}

QString hexBytes(std::span<const std::uint8_t> bytes) {
    QStringList parts;
    for (const std::uint8_t byte : bytes)
        parts.append(hex2(byte));
    return parts.join(QLatin1Char(' '));
}

std::span<const std::uint8_t> spanOf(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

} // namespace

QString describeFault(const QString& step, ReplyFault fault, std::uint8_t byte, int timeoutMs) {
    switch (fault) {
    case ReplyFault::Nack:
        return QStringLiteral("the pedal refused (NACK) %1.").arg(step);
    case ReplyFault::UnexpectedByte:
        return QStringLiteral("the pedal answered %1 instead of ACK to %2.").arg(hex2(byte), step);
    case ReplyFault::NoReply:
        return QStringLiteral("the pedal did not answer %1 within %2 ms.").arg(step).arg(timeoutMs);
    case ReplyFault::LinkLost:
        return QStringLiteral("the link to the pedal was lost waiting for the answer to %1.")
            .arg(step);
    case ReplyFault::BadAnswer:
        return QStringLiteral("the pedal's answer to %1 was incomplete.").arg(step);
    }
    return step;
}

BootloaderError::BootloaderError(QString step, ReplyFault fault, std::uint8_t byte, int timeoutMs)
    : EditorError(describeFault(step, fault, byte, timeoutMs)), step_(std::move(step)),
      fault_(fault) {}

BootloaderClient::BootloaderClient(D2XXUnit& unit, MessageExchange& exchange, Log& log,
                                   Clock& clock)
    : unit_(unit), exchange_(exchange), log_(log), clock_(clock) {}

void BootloaderClient::writeFrame(std::span<const std::uint8_t> frame, int pauseAfterMs) {
    // The bootloader takes a whole frame at line speed: one write per frame.
    exchange_.sendBytes(frame, false, pauseAfterMs);
}

QByteArray BootloaderClient::readSome(const QString& step, int timeoutMs) {
    bool linkUp = false;
    try {
        linkUp = exchange_.waitForQueuedBytes(timeoutMs);
    } catch (const EditorError&) {
        throw BootloaderError(step, ReplyFault::NoReply, 0, timeoutMs);
    }
    if (!linkUp)
        throw BootloaderError(step, ReplyFault::LinkLost);
    const DWORD n = unit_.ReadFTDevice(kRxBufferSize);
    // Bytes were queued; a read that brings none failed (and was reported).
    if (n == 0)
        throw BootloaderError(step, ReplyFault::LinkLost);
    return QByteArray(reinterpret_cast<const char*>(unit_.rxBuffer.data()),
                      static_cast<qsizetype>(n));
}

QByteArray BootloaderClient::collect(const QString& step,
                                     const std::function<int(const QByteArray&)>& wholeSize,
                                     int timeoutMs) {
    const std::int64_t startMs = clock_.nowMs();
    QByteArray got;
    while (got.size() < wholeSize(got)) {
        const int leftMs = timeoutMs - static_cast<int>(clock_.nowMs() - startMs);
        if (leftMs <= 0)
            throw BootloaderError(step, got.isEmpty() ? ReplyFault::NoReply : ReplyFault::BadAnswer,
                                  0, timeoutMs);
        try {
            got += readSome(step, leftMs);
        } catch (const BootloaderError& e) {
            if (got.isEmpty() || e.fault() != ReplyFault::NoReply)
                throw;
            throw BootloaderError(step, ReplyFault::BadAnswer);
        }
        // A refusal ends the answer at its first byte.
        if (static_cast<std::uint8_t>(got.at(0)) != bootloader::kAck)
            break;
    }
    log_.log_line(QStringLiteral("num of bytes received: ") + QString::number(got.size()));
    unit_.PurgeFTDeviceRX();
    const auto first = static_cast<std::uint8_t>(got.at(0));
    if (first == bootloader::kNack)
        throw BootloaderError(step, ReplyFault::Nack);
    if (first != bootloader::kAck)
        throw BootloaderError(step, ReplyFault::UnexpectedByte, first);
    return got;
}

QString BootloaderClient::wait_bootloader_reply(const QString& step, int timeoutMs) {
    const QByteArray got = readSome(step, timeoutMs);
    log_.log_line(QStringLiteral("num of bytes received: ") + QString::number(got.size()));
    unit_.PurgeFTDeviceRX();
    const auto first = static_cast<std::uint8_t>(got.at(0));
    const QString text = hex2(first);
    log_.log_line(QStringLiteral("received: ") + text);
    if (first == bootloader::kAck) {
        log_.log_line(QStringLiteral("ACK"));
        return text;
    }
    if (first == bootloader::kNack) {
        log_.log_line(QStringLiteral("NOT ACK"));
        throw BootloaderError(step, ReplyFault::Nack);
    }
    throw BootloaderError(step, ReplyFault::UnexpectedByte, first);
}

std::vector<std::uint8_t> BootloaderClient::get_commands() {
    log_.log_line(QStringLiteral("SEND GET COMMAND"));
    writeFrame(bootloader::commandFrame(bootloader::kGet), 0);
    const QString step = QStringLiteral("the request for its command list (Get)");
    // ACK and N first; N tells how much follows.
    const QByteArray answer = collect(
        step,
        [](const QByteArray& got) {
            return std::max<int>(2, bootloader::getAnswerBytes(spanOf(got)));
        },
        linkTimeoutMs(kGetAnswerBytesAtMost, kBootloaderAckTimeoutMs));
    std::vector<std::uint8_t> commands;
    if (!bootloader::parseGetAnswer(spanOf(answer), commands))
        throw BootloaderError(step, ReplyFault::BadAnswer);
    log_.log_line(QStringLiteral("bootloader version: ") +
                  hex2(static_cast<std::uint8_t>(answer.at(2))));
    log_.log_line(QStringLiteral("bootloader commands: ") + hexBytes(commands));
    return commands;
}

void BootloaderClient::logAddress(std::uint32_t address) {
    log_.log_line(QStringLiteral("SEND ADDRESS + CHECKSUM"));
    log_.log_line(QStringLiteral("Address: ") + hex_of(address, 8));
    log_.log_line(QStringLiteral("address checksum: ") +
                  hex2(bootloader::addressChecksum(address)));
}

void BootloaderClient::erase_flash() {
    log_.log_line(QStringLiteral("Start Erase Command"));
    const std::vector<std::uint8_t> command = bootloader::commandFrame(bootloader::kErase);
    for (const std::uint8_t byte : command)
        log_.log_line(QStringLiteral("erase bytes: ") + hex2(byte));
    writeFrame(command, kBootloaderFramePauseMs);
    wait_bootloader_reply(QStringLiteral("the erase command"), kBootloaderAckTimeoutMs);
    writeFrame(bootloader::globalEraseFrame(), kBootloaderFramePauseMs);
    wait_bootloader_reply(QStringLiteral("the global erase of the flash"), kGlobalEraseTimeoutMs);
}

void BootloaderClient::send_write_command(std::uint32_t address, const QString& step) {
    log_.log_line(QStringLiteral("SEND WRITE COMMAND"));
    writeFrame(bootloader::commandFrame(bootloader::kWriteMemory), kBootloaderFramePauseMs);
    wait_bootloader_reply(QStringLiteral("the write command for ") + step, kBootloaderAckTimeoutMs);
    logAddress(address);
    writeFrame(bootloader::addressFrame(address), kBootloaderFramePauseMs);
    wait_bootloader_reply(QStringLiteral("the address of ") + step, kBootloaderAckTimeoutMs);
}

void BootloaderClient::write_chunk(const FirmwareChunk& chunk, const QString& step) {
    send_write_command(chunk.address, step);
    const std::vector<std::uint8_t> frame = bootloader::dataFrame(spanOf(chunk.bytes));
    log_.log_line(QStringLiteral("SEND N BYTE + DATA + CHECKSUM"));
    log_.log_line(QStringLiteral("N_byte: ") + hex2(frame.front()));
    log_.log_line(QStringLiteral("chunk size: ") + QString::number(chunk.bytes.size()));
    log_.log_line(QStringLiteral("data checksum: ") + hex2(frame.back()));
    writeFrame(frame, 0);
    wait_bootloader_reply(
        QStringLiteral("the data of ") + step,
        linkTimeoutMs(static_cast<std::int64_t>(frame.size()) + 1, kBlockWriteAllowanceMs));
    log_.log_line(QString());
}

QByteArray BootloaderClient::read_memory(std::uint32_t address, int count, const QString& step) {
    log_.log_line(QStringLiteral("SEND READ COMMAND"));
    writeFrame(bootloader::commandFrame(bootloader::kReadMemory), 0);
    wait_bootloader_reply(QStringLiteral("the read command for ") + step, kBootloaderAckTimeoutMs);
    logAddress(address);
    writeFrame(bootloader::addressFrame(address), 0);
    wait_bootloader_reply(QStringLiteral("the read address of ") + step, kBootloaderAckTimeoutMs);
    log_.log_line(QStringLiteral("read bytes: ") + QString::number(count));
    writeFrame(bootloader::readLengthFrame(count), 0);
    const QByteArray answer = collect(
        QStringLiteral("the read-back of ") + step,
        [count](const QByteArray&) { return count + 1; },
        linkTimeoutMs(count + 1, kBootloaderAckTimeoutMs));
    return answer.mid(1);
}

void BootloaderClient::send_go_command() {
    log_.log_line(QString());
    log_.log_line(QStringLiteral("SEND GO COMMAND"));
    writeFrame(bootloader::commandFrame(bootloader::kGo), kGoFramePauseMs);
    wait_bootloader_reply(QStringLiteral("the start command (Go)"), kBootloaderAckTimeoutMs);
    logAddress(kFlashStartAddress);
    writeFrame(bootloader::addressFrame(kFlashStartAddress), kGoFramePauseMs);
    wait_bootloader_reply(QStringLiteral("the start address of the new firmware"),
                          kBootloaderAckTimeoutMs);
}

} // namespace brivo
