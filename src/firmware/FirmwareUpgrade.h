#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace brivo {

template <typename T> class Task;

class Clock;
class D2XXUnit;
class Dialogs;
class Log;
class AsyncExchange;
struct ChunkPlan;

inline const char* const kUpgradeCompleteText =
    "Firmware Upgrade Complete, device will now restart";
inline const char* const kStandInRefusedText =
    "This image is a stand-in made for the virtual pedal, not the maker's firmware: written "
    "to a real pedal it would replace its firmware with filler. Choose the maker's firmware "
    "file (Firmware file...). Nothing was sent to the pedal.";

// What the window shows while an upgrade runs.
struct UpgradeView {
    std::function<void(const QString& phase)> showPhase;
    std::function<void(int value, int maximum)> showProgress;
    // Asked while waiting on the pedal: the user is closing the editor.
    std::function<bool()> stopRequested;
    // Runs after the completion message is closed, before the start command.
    std::function<void()> beforeStart;
    // The pedal confirmed the start: it runs its new firmware, not the
    // bootloader, from now on.
    std::function<void()> firmwareStarted;
};

// The link, log and dialogs the upgrade works with.
struct UpgradeLink {
    D2XXUnit& device;
    AsyncExchange& exchange;
    Log& log;
    Clock& clock;
    Dialogs& dialogs;
};

enum class UpgradeOutcome {
    // The image or the bootloader was refused before anything was erased.
    Refused,
    // A step failed after the erase began: the pedal has no complete firmware.
    Failed,
    // Written, verified and started.
    Started,
    // Written and started, but the bootloader could not read it back.
    StartedUnverified,
    // Written (and verified when it could be), but the start was not confirmed.
    StartUnconfirmed,
};

struct UpgradeRequest {
    QByteArray image;
    // The bootloader's state is not known (an earlier attempt failed, or was
    // stopped): synchronise with it before the first command.
    bool resynchronise = false;
};

// Logs the blocks of an image as the console has always shown them.
void log_chunks(Log& log, const ChunkPlan& plan);

// The whole upgrade: the image is checked, the bootloader's commands asked,
// the flash erased and written block by block, read back when the bootloader
// can, and only when every step was acknowledged and every byte matched does
// the user hear "Complete" and the new firmware start. Any failure stops
// there with a message naming the step, the address and what to do next;
// nothing that follows is sent. The caller holds the link for the whole run
// (the session's gate); the link's framing and latency timer are the caller's (8E1 since the
// bootloader check) and are put back as they were.
Task<UpgradeOutcome> run_firmware_upgrade(UpgradeLink link, UpgradeRequest request,
                                          UpgradeView view);

} // namespace brivo
