#include "firmware/FirmwareUpgrade.h"

#include "base/Clock.h"
#include "base/Dialogs.h"
#include "base/Log.h"
#include "firmware/BootloaderClient.h"
#include "firmware/BootloaderFrames.h"
#include "firmware/FirmwareImage.h"
#include "link/D2XXUnit.h"
#include "link/HexText.h"
#include "link/MessageExchange.h"

#include <algorithm>

namespace brivo {

namespace {

const QString kNothingErasedAdvice =
    QStringLiteral("Nothing was erased: the pedal keeps its firmware. Check the cable and press "
                   "\"Upgrade Firmware\" to try again.");
const QString kFlashIncompleteAdvice = QStringLiteral(
    "The pedal's flash does not hold a complete firmware now, so the pedal stays in its "
    "bootloader. Press \"Upgrade Firmware\" to try again. If the pedal does not answer, "
    "switch it off and on in its bootloader, choose Connection > Disconnect, then Connect "
    "again with Upgrade Mode on, and repeat the upgrade.");
const QString kLinkLostAdvice = QStringLiteral(
    "Plug the pedal in again and put it in its bootloader, choose Connection > Disconnect, "
    "then Scan and Connect again with Upgrade Mode on, and press \"Upgrade Firmware\" again.");
const QString kStartAdvice = QStringLiteral(
    "The new firmware is in the pedal and was verified. Switch the pedal off and on to start "
    "it.");

// The bridge holds a part-filled packet for its latency timer (16 ms by
// default) before the host sees it: every one-byte answer would wait that
// long. For the upgrade's hundreds of answers it is set as short as it goes.
constexpr UCHAR kUpgradeLatencyTimerMs = 1;
constexpr UCHAR kDefaultLatencyTimerMs = 16;

class ShortLatency {
  public:
    ShortLatency(D2XXUnit& device, Log& log) : device_(device) {
        set_ = device_.SetFTLatencyTimer(kUpgradeLatencyTimerMs) == FT_OK;
        log.log_line(set_ ? QStringLiteral("latency timer: %1 ms").arg(kUpgradeLatencyTimerMs)
                          : QStringLiteral("latency timer: unchanged"));
    }
    ~ShortLatency() {
        if (set_)
            device_.SetFTLatencyTimer(kDefaultLatencyTimerMs);
    }
    ShortLatency(const ShortLatency&) = delete;
    ShortLatency& operator=(const ShortLatency&) = delete;

  private:
    D2XXUnit& device_;
    bool set_ = false;
};

// Thrown when the user closes the editor during an upgrade.
class UpgradeStopped : public EditorError {
  public:
    UpgradeStopped()
        : EditorError(QStringLiteral("Firmware upgrade stopped: the editor is closing.")) {}
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

// The first byte where the read-back differs, as a message; empty when equal.
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

class Procedure {
  public:
    Procedure(const UpgradeLink& link, const UpgradeView& view)
        : link_(link), view_(view), client_(link.device, link.exchange, link.log, link.clock) {}

    UpgradeOutcome run(const QByteArray& image);

  private:
    void phase(const QString& text) {
        if (view_.showPhase)
            view_.showPhase(text);
    }
    void progress(int value, int maximum) {
        if (view_.showProgress)
            view_.showProgress(value, maximum);
    }
    void checkStop() {
        if (view_.stopRequested && view_.stopRequested())
            throw UpgradeStopped();
    }
    UpgradeOutcome fail(const QString& what, const QString& advice, UpgradeOutcome outcome) {
        link_.log.log_line(QStringLiteral("firmware upgrade failed: ") + what);
        phase(QStringLiteral("Failed: see the message"));
        link_.dialogs.showMessage(QStringLiteral("Firmware upgrade failed: ") + what +
                                  QStringLiteral("\n\n") + advice);
        return outcome;
    }
    // Erase, write and read back; an empty text when all went well.
    QString transfer(const ChunkPlan& plan, bool verify);

    const UpgradeLink& link_;
    const UpgradeView& view_;
    BootloaderClient client_;
};

UpgradeOutcome Procedure::run(const QByteArray& image) {
    if (const auto refusal = check_image(image)) {
        link_.log.log_line(QStringLiteral("firmware image refused: ") + *refusal);
        phase(QStringLiteral("Image refused"));
        link_.dialogs.showMessage(*refusal + QStringLiteral(" Nothing was sent to the pedal."));
        return UpgradeOutcome::Refused;
    }
    const ChunkPlan plan = split_image(image);
    log_chunks(link_.log, plan);

    const ExchangeGuard exchange = link_.exchange.beginExchange();
    const ShortLatency latency(link_.device, link_.log);
    bool verify = false;
    try {
        phase(QStringLiteral("Asking the bootloader"));
        const std::vector<std::uint8_t> commands = client_.get_commands();
        for (const std::uint8_t needed :
             {bootloader::kErase, bootloader::kWriteMemory, bootloader::kGo}) {
            if (!offers(commands, needed))
                return fail(QStringLiteral("the pedal's bootloader does not offer command %1, "
                                           "which the upgrade needs.")
                                .arg(hex_of(needed, 2)),
                            kNothingErasedAdvice, UpgradeOutcome::Refused);
        }
        verify = offers(commands, bootloader::kReadMemory);
        if (!verify)
            link_.log.log_line(
                QStringLiteral("the bootloader offers no Read Memory: no read-back"));
    } catch (const BootloaderError& e) {
        return fail(e.text(),
                    e.fault() == ReplyFault::LinkLost
                        ? QStringLiteral("Nothing was erased. ") + kLinkLostAdvice
                        : kNothingErasedAdvice,
                    UpgradeOutcome::Refused);
    }

    try {
        const QString failure = transfer(plan, verify);
        if (!failure.isEmpty())
            return fail(failure, kFlashIncompleteAdvice, UpgradeOutcome::Failed);
    } catch (const BootloaderError& e) {
        return fail(e.text(),
                    e.fault() == ReplyFault::LinkLost ? kLinkLostAdvice : kFlashIncompleteAdvice,
                    UpgradeOutcome::Failed);
    } catch (const UpgradeStopped& e) {
        return fail(e.text(), kFlashIncompleteAdvice, UpgradeOutcome::Failed);
    }

    phase(QStringLiteral("Written and verified"));
    link_.clock.sleepUs(std::int64_t{kUpgradeSettlePauseMs} * 1000);
    link_.dialogs.showMessage(QString::fromLatin1(kUpgradeCompleteText));
    if (view_.beforeStart)
        view_.beforeStart();
    phase(QStringLiteral("Starting the new firmware"));
    try {
        client_.send_go_command();
    } catch (const BootloaderError& e) {
        link_.log.log_line(QStringLiteral("start of the new firmware not confirmed: ") + e.text());
        phase(QStringLiteral("Written; start not confirmed"));
        link_.dialogs.showMessage(QStringLiteral("The pedal did not confirm the start of its new "
                                                 "firmware: ") +
                                  e.text() + QStringLiteral("\n\n") + kStartAdvice);
        return UpgradeOutcome::StartUnconfirmed;
    }
    phase(QStringLiteral("New firmware started"));
    return UpgradeOutcome::Started;
}

QString Procedure::transfer(const ChunkPlan& plan, bool verify) {
    const int count = static_cast<int>(plan.chunks.size());
    const int maximum = verify ? 2 * count : count;
    progress(0, maximum);
    phase(QStringLiteral("Erasing the flash"));
    client_.erase_flash();

    link_.log.log_line(QStringLiteral("Start Write Command"));
    link_.log.log_line(QString());
    for (int i = 0; i < count; ++i) {
        checkStop();
        const FirmwareChunk& chunk = plan.chunks[static_cast<std::size_t>(i)];
        phase(QStringLiteral("Writing block %1 of %2").arg(i + 1).arg(count));
        client_.write_chunk(chunk, blockStep(i, count, chunk.address));
        progress(i + 1, maximum);
    }
    if (!verify)
        return {};
    for (int i = 0; i < count; ++i) {
        checkStop();
        const FirmwareChunk& chunk = plan.chunks[static_cast<std::size_t>(i)];
        const QString step = blockStep(i, count, chunk.address);
        phase(QStringLiteral("Verifying block %1 of %2").arg(i + 1).arg(count));
        const QByteArray readBack =
            client_.read_memory(chunk.address, static_cast<int>(chunk.bytes.size()), step);
        if (const QString different = mismatch(chunk, readBack, step); !different.isEmpty())
            return different;
        progress(count + i + 1, maximum);
    }
    link_.log.log_line(QStringLiteral("read-back of %1 blocks matches the image").arg(count));
    return {};
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

UpgradeOutcome run_firmware_upgrade(const UpgradeLink& link, const QByteArray& image,
                                    const UpgradeView& view) {
    return Procedure(link, view).run(image);
}

} // namespace brivo
