#include "firmware/FirmwareUpgrade.h"
#include "base/Task.h"

#include "base/Dialogs.h"
#include "base/Log.h"
#include "firmware/BootloaderClient.h"
#include "firmware/BootloaderFrames.h"
#include "firmware/D2xxBootloaderLink.h"
#include "firmware/FirmwareImage.h"
#include "firmware/LinkFraming.h"
#include "link/AsyncExchange.h"
#include "link/D2XXUnit.h"
#include "link/HexText.h"

#include <algorithm>

namespace brivo {

namespace {

using namespace brivo::bootloader;

const QString kNothingErasedAdvice =
    QStringLiteral("Nothing was erased: the pedal keeps its firmware. Check the cable and press "
                   "\"Upgrade Firmware\" to try again.");
const QString kLeftBootloaderAdvice = QStringLiteral(
    "Nothing was erased. The pedal has left its bootloader: put it back in its bootloader, "
    "choose Connection > Disconnect, then Connect again with Upgrade Mode on, and press "
    "\"Upgrade Firmware\" again.");
const QString kFlashIncompleteAdvice = QStringLiteral(
    "The pedal's flash does not hold a complete firmware now, so the pedal stays in its "
    "bootloader. Press \"Upgrade Firmware\" to try again. If the pedal does not answer, "
    "switch it off and on in its bootloader, choose Connection > Disconnect, then Connect "
    "again with Upgrade Mode on, and repeat the upgrade.");
const QString kLinkLostAdvice = QStringLiteral(
    "Plug the pedal in again and put it in its bootloader, choose Connection > Disconnect, "
    "then Scan and Connect again with Upgrade Mode on, and press \"Upgrade Firmware\" again.");
const QString kStartAdvice =
    QStringLiteral("The new firmware is in the pedal. Switch the pedal off and on to start it.");
const QString kStoppedBeforeEraseText =
    QStringLiteral("Nothing was erased: the pedal keeps its firmware and waits in its bootloader.");
const QString kStoppedInEraseText = QStringLiteral(
    "The flash was being erased: the pedal has no firmware to start and stays in its "
    "bootloader. Connect in Upgrade Mode and upgrade again before using it.");
const QString kStoppedWritingText = QStringLiteral(
    "The flash holds part of the new firmware only: the pedal stays in its bootloader. "
    "Connect in Upgrade Mode and upgrade again before using it.");

// The bridge holds a part-filled packet for its latency timer (16 ms by
// default) before the host sees it: every one-byte answer would wait that
// long. For the upgrade's hundreds of answers it is set as short as it goes,
// and given back the value it had.
constexpr UCHAR kUpgradeLatencyTimerMs = 1;

class ShortLatency {
  public:
    ShortLatency(D2XXUnit& device, Log& log) : device_(device) {
        if (device_.GetFTLatencyTimer(&before_) != FT_OK) {
            log.log_line(QStringLiteral("latency timer: unchanged (it cannot be read)"));
            return;
        }
        set_ = before_ != kUpgradeLatencyTimerMs &&
               device_.SetFTLatencyTimer(kUpgradeLatencyTimerMs) == FT_OK;
        log.log_line(QStringLiteral("latency timer: %1 ms, was %2 ms")
                         .arg(set_ ? kUpgradeLatencyTimerMs : before_)
                         .arg(before_));
    }
    ~ShortLatency() {
        if (set_)
            device_.SetFTLatencyTimer(before_);
    }
    ShortLatency(const ShortLatency&) = delete;
    ShortLatency& operator=(const ShortLatency&) = delete;

  private:
    D2XXUnit& device_;
    UCHAR before_ = 0;
    bool set_ = false;
};

QString blockStep(int index, int count, std::uint32_t address) {
    return QStringLiteral("block %1 of %2 at address %3")
        .arg(index + 1)
        .arg(count)
        .arg(hex_of(address, 8));
}

bool offers(const std::vector<std::uint8_t>& commands, std::uint8_t code) {
    return std::find(commands.begin(), commands.end(), code) != commands.end();
}

std::span<const std::uint8_t> spanOf(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

// The first byte where the read-back differs from the image's own bytes, as
// a message; empty when equal.
QString mismatch(const FirmwareChunk& chunk, const QByteArray& readBack, const QString& step) {
    for (qsizetype k = 0; k < chunk.bytes.size(); ++k) {
        if (k >= readBack.size() || readBack.at(k) != chunk.bytes.at(k))
            return QStringLiteral("the flash does not hold what was written: at address %1 "
                                  "(%2) it reads %3 where the image has %4.")
                .arg(hex_of(chunk.address + static_cast<std::uint32_t>(k), 8), step,
                     k < readBack.size() ? hex_of(static_cast<std::uint8_t>(readBack.at(k)), 2)
                                         : QStringLiteral("nothing"),
                     hex_of(static_cast<std::uint8_t>(chunk.bytes.at(k)), 2));
    }
    return {};
}

// How far the flash got, for a stop.
enum class FlashState { Untouched, Erasing, Writing };

class Procedure {
  public:
    Procedure(const UpgradeLink& link, const UpgradeView& view)
        : link_(link), view_(view),
          bootloaderLink_(link.device, link.exchange, link.clock, view.stopRequested),
          client_(bootloaderLink_, link.log) {}

    Task<UpgradeOutcome> run(const UpgradeRequest& request);

  private:
    void phase(const QString& text) {
        if (view_.showPhase)
            view_.showPhase(text);
    }
    void progress(int value, int maximum) {
        if (view_.showProgress)
            view_.showProgress(value, maximum);
    }
    UpgradeOutcome fail(const QString& what, const QString& advice, UpgradeOutcome outcome) {
        link_.log.log_line(QStringLiteral("firmware upgrade failed: ") + what);
        phase(QStringLiteral("Failed: see the message"));
        link_.dialogs.showMessage(QStringLiteral("Firmware upgrade failed: ") + what +
                                  QStringLiteral("\n\n") + advice);
        return outcome;
    }
    UpgradeOutcome stopped(const UpgradeStopped& e) {
        const QString state = flash_ == FlashState::Untouched ? kStoppedBeforeEraseText
                              : flash_ == FlashState::Erasing ? kStoppedInEraseText
                                                              : kStoppedWritingText;
        link_.log.log_line(QStringLiteral("firmware upgrade stopped: ") + state);
        phase(QStringLiteral("Stopped"));
        link_.dialogs.showMessage(e.text() + QStringLiteral(" ") + state);
        return flash_ == FlashState::Untouched ? UpgradeOutcome::Refused : UpgradeOutcome::Failed;
    }
    // The commands the upgrade needs, or a failure message.
    Task<QString> askCommands(bool resynchronise);
    Task<> writeImage(const ChunkPlan& plan);
    // Empty when every block matched; `unverified` tells why it could not be read.
    Task<QString> verify(const ChunkPlan& plan, QString& unverified);
    Task<UpgradeOutcome> start(bool verified, const QString& unverified);

    const UpgradeLink& link_;
    const UpgradeView& view_;
    D2xxBootloaderLink bootloaderLink_;
    BootloaderClient client_;
    std::vector<std::uint8_t> commands_;
    FlashState flash_ = FlashState::Untouched;
    int progressMaximum_ = 0;
};

Task<QString> Procedure::askCommands(bool resynchronise) {
    phase(QStringLiteral("Asking the bootloader"));
    if (resynchronise) {
        const bool synchronised = co_await client_.synchronise(kResyncBytesAtMost);
        if (!synchronised)
            throw BootloaderError(QStringLiteral("the sync byte"), ReplyFault::NoReply, {},
                                  kBootloaderAckTimeoutMs);
    }
    commands_ = co_await client_.get_commands();
    if (!massEraseFor(commands_))
        co_return QStringLiteral("the pedal's bootloader offers no erase command (43 or 44), which "
                                 "the upgrade needs.");
    for (const std::uint8_t needed : {kWriteMemory, kGo}) {
        if (!offers(commands_, needed))
            co_return QStringLiteral("the pedal's bootloader does not offer command %1, which the "
                                     "upgrade needs.")
                .arg(hex_of(needed, 2));
    }
    co_return QString();
}

Task<UpgradeOutcome> Procedure::run(const UpgradeRequest& request) {
    if (const auto refusal = check_image(request.image)) {
        link_.log.log_line(QStringLiteral("firmware image refused: ") + *refusal);
        phase(QStringLiteral("Image refused"));
        link_.dialogs.showMessage(*refusal + QStringLiteral(" Nothing was sent to the pedal."));
        co_return UpgradeOutcome::Refused;
    }
    if (is_stand_in(request.image) && !link_.device.deviceIsSimulated()) {
        link_.log.log_line(QStringLiteral("firmware image refused: a stand-in for the virtual "
                                          "pedal, and this is a real one"));
        phase(QStringLiteral("Image refused"));
        link_.dialogs.showMessage(QString::fromLatin1(kStandInRefusedText));
        co_return UpgradeOutcome::Refused;
    }
    const ChunkPlan plan = split_image(request.image);
    log_chunks(link_.log, plan);

    const ShortLatency latency(link_.device, link_.log);
    try {
        try {
            const QString missing = co_await askCommands(request.resynchronise);
            if (!missing.isEmpty())
                co_return fail(missing, kNothingErasedAdvice, UpgradeOutcome::Refused);
        } catch (const BootloaderError& e) {
            co_return fail(e.text(),
                           e.fault() == ReplyFault::LinkLost
                               ? QStringLiteral("Nothing was erased. ") + kLinkLostAdvice
                           : e.fault() == ReplyFault::NoReply ? kLeftBootloaderAdvice
                                                              : kNothingErasedAdvice,
                           UpgradeOutcome::Refused);
        }
        const bool canRead = offers(commands_, kReadMemory);
        const int count = static_cast<int>(plan.chunks.size());
        progressMaximum_ = canRead ? 2 * count : count;
        QString unverified;
        try {
            co_await writeImage(plan);
            if (!canRead) {
                unverified = QStringLiteral("the pedal's bootloader offers no Read Memory");
                link_.log.log_line(
                    QStringLiteral("the bootloader offers no Read Memory: no read-back"));
            } else {
                const QString different = co_await verify(plan, unverified);
                if (!different.isEmpty())
                    co_return fail(different, kFlashIncompleteAdvice, UpgradeOutcome::Failed);
            }
        } catch (const BootloaderError& e) {
            co_return fail(e.text(),
                           e.fault() == ReplyFault::LinkLost ? kLinkLostAdvice
                           : flash_ == FlashState::Untouched ? kNothingErasedAdvice
                                                             : kFlashIncompleteAdvice,
                           flash_ == FlashState::Untouched ? UpgradeOutcome::Refused
                                                           : UpgradeOutcome::Failed);
        }
        const UpgradeOutcome started = co_await start(unverified.isEmpty(), unverified);
        co_return started;
    } catch (const UpgradeStopped& e) {
        co_return stopped(e);
    }
}

Task<> Procedure::writeImage(const ChunkPlan& plan) {
    const int count = static_cast<int>(plan.chunks.size());
    progress(0, progressMaximum_);
    phase(QStringLiteral("Erasing the flash"));
    const MassErase erase = *massEraseFor(commands_);
    // A refused erase command leaves the flash as it was; once its second
    // frame is sent, it may be anywhere between.
    co_await client_.begin_erase(erase);
    flash_ = FlashState::Erasing;
    try {
        co_await client_.erase_whole_flash(erase);
    } catch (const BootloaderError& e) {
        // A refused erase frame is dropped whole: nothing was erased.
        if (e.fault() == ReplyFault::Nack)
            flash_ = FlashState::Untouched;
        throw;
    }
    flash_ = FlashState::Writing;

    link_.log.log_line(QStringLiteral("Start Write Command"));
    link_.log.log_line(QString());
    for (int i = 0; i < count; ++i) {
        const FirmwareChunk& chunk = plan.chunks[static_cast<std::size_t>(i)];
        phase(QStringLiteral("Writing block %1 of %2").arg(i + 1).arg(count));
        co_await client_.write_chunk(chunk.address, spanOf(chunk.bytes),
                                     blockStep(i, count, chunk.address));
        progress(i + 1, progressMaximum_);
    }
}

Task<QString> Procedure::verify(const ChunkPlan& plan, QString& unverified) {
    const int count = static_cast<int>(plan.chunks.size());
    for (int i = 0; i < count; ++i) {
        const FirmwareChunk& chunk = plan.chunks[static_cast<std::size_t>(i)];
        const QString step = blockStep(i, count, chunk.address);
        phase(QStringLiteral("Verifying block %1 of %2").arg(i + 1).arg(count));
        QByteArray readBack;
        bool refused = false;
        try {
            readBack = co_await client_.read_memory(chunk.address,
                                                    static_cast<int>(chunk.bytes.size()), step);
        } catch (const BootloaderError& e) {
            if (e.fault() != ReplyFault::Nack)
                throw;
            // Some parts protect their flash from reading: it was written,
            // but cannot be checked.
            unverified = e.text();
            link_.log.log_line(QStringLiteral("read-back refused: ") + e.text());
            refused = true;
        }
        if (refused)
            co_return QString();
        if (const QString different = mismatch(chunk, readBack, step); !different.isEmpty())
            co_return different;
        progress(count + i + 1, progressMaximum_);
    }
    link_.log.log_line(QStringLiteral("read-back of %1 blocks matches the image").arg(count));
    co_return QString();
}

Task<UpgradeOutcome> Procedure::start(bool verified, const QString& unverified) {
    progress(progressMaximum_, progressMaximum_);
    if (verified) {
        phase(QStringLiteral("Written and verified"));
        link_.dialogs.showMessage(QString::fromLatin1(kUpgradeCompleteText));
    } else {
        phase(QStringLiteral("Written, not verified"));
        link_.dialogs.showMessage(
            QStringLiteral("The firmware was written, but it could not be verified: %1. The "
                           "pedal will now restart; if it does not work as before, upgrade "
                           "again.")
                .arg(unverified.endsWith(QLatin1Char('.')) ? unverified.chopped(1) : unverified));
    }
    if (view_.beforeStart)
        view_.beforeStart();
    phase(QStringLiteral("Starting the new firmware"));
    try {
        co_await client_.send_go_command();
    } catch (const BootloaderError& e) {
        link_.log.log_line(QStringLiteral("start of the new firmware not confirmed: ") + e.text());
        phase(QStringLiteral("Written; start not confirmed"));
        link_.dialogs.showMessage(QStringLiteral("The pedal did not confirm the start of its new "
                                                 "firmware: ") +
                                  e.text() + QStringLiteral("\n\n") + kStartAdvice);
        co_return UpgradeOutcome::StartUnconfirmed;
    }
    // The firmware speaks 8N1: the link follows it at once.
    use_firmware_framing(link_.device, link_.log);
    if (view_.firmwareStarted)
        view_.firmwareStarted();
    phase(QStringLiteral("New firmware started"));
    co_return verified ? UpgradeOutcome::Started : UpgradeOutcome::StartedUnverified;
}

} // namespace

void log_chunks(Log& log, const ChunkPlan& plan) {
    log.log_line(QStringLiteral("num of chunks: ") + QString::number(plan.fullChunkCount));
    log.log_line(QStringLiteral("num of byte last chunk: ") + QString::number(plan.lastChunkSize));
    if (plan.chunks.empty())
        return;
    log.log_line(QStringLiteral("num of bytes last chunk: ") +
                 QString::number(plan.chunks.back().bytes.size()));
    for (std::size_t i = 0; i < plan.chunks.size(); ++i) {
        const QByteArray& bytes = plan.chunks[i].bytes;
        const QString hex =
            bytes_to_hex_text(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                              static_cast<int>(bytes.size()));
        log.log_line(QStringLiteral("chunk from string %1: ").arg(i));
        log.log_line(hex);
        log.log_line(QStringLiteral("chunk from bytes check %1: ").arg(i));
        log.log_line(hex);
    }
}

Task<UpgradeOutcome> run_firmware_upgrade(UpgradeLink link, UpgradeRequest request,
                                          UpgradeView view) {
    // The procedure lives in this frame, with the link and view it refers to.
    // Callers pass named values: GCC 12 destroys a temporary argument of a
    // coroutine twice.
    Procedure procedure(link, view);
    const UpgradeOutcome outcome = co_await procedure.run(request);
    co_return outcome;
}

} // namespace brivo
