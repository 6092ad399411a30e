#pragma once

#include "base/Clock.h"
#include "base/Task.h"
#include "commands/RunningEffect.h"
#include "firmware/FirmwareUpgrade.h"
#include "link/AsyncExchange.h"
#include "link/D2XXUnit.h"
#include "link/LinkState.h"
#include "params/ParamState.h"
#include "session/Conversation.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace brivo {

class Dialogs;
class Log;

// A bridge the listing found.
struct FoundDevice {
    QString serial;
    QByteArray description;
};

struct ScanResult {
    std::vector<FoundDevice> devices;
    // Bridges seen but not readable, each as the reason the driver gave.
    std::vector<QString> inaccessible;
};

// Everything the editor knows about the pedal, and every conversation with
// it. The windows and the command-line tool show what it holds and call its
// methods; only it talks to the link.
//
// One gate decides what may go on the wire: a command that waits for an
// answer runs when the link is free and is refused (failed(kBusyText))
// while another one waits; sends that expect no answer (parameter values,
// limits, Store, Assign) queue and go out in order as soon as the link is
// free, also between two requests of the live loop. A command that needs
// the link to itself while the live loop runs ends the loop and follows
// the request in progress. Nothing waits by blocking: conversations are
// coroutines woken by the link's notices and the clock's timers.
class PedalSession final : public QObject {
    Q_OBJECT
  public:
    enum class Connection {
        Disconnected,
        // Open, talking to the effect firmware.
        Effect,
        // Open in upgrade mode; bootloaderFound() tells whether it answered.
        Bootloader,
        // The port failed under the connection (a cable pulled): closed, and
        // Scan and Connect are needed again.
        Lost,
    };

    PedalSession(Clock& clock, Log& log, QObject* parent = nullptr);
    ~PedalSession() override;

    D2xx& driver() { return driver_; }
    D2XXUnit& device() { return device_; }
    Clock& clock() { return clock_; }
    Log& log() { return log_; }

    // State.
    Connection connection() const { return connection_; }
    bool isConnected() const {
        return connection_ == Connection::Effect || connection_ == Connection::Bootloader;
    }
    bool bootloaderFound() const { return bootloaderFound_; }
    // A conversation holds the link (the live loop included).
    bool busy() const { return current_ != Conversation::None; }
    Conversation current() const { return current_; }
    bool liveLoopRunning() const { return current_ == Conversation::LiveLoop; }
    bool upgradeMode() const { return upgradeMode_; }
    const LinkState& link() const { return link_; }
    const RunningEffect& running() const { return running_; }
    RunningEffect& running() { return running_; }
    // The parameters of the effect the editor shows: built from its
    // descriptor, then filled from the pedal's status.
    ParamState& params() { return params_; }
    const ParamState& params() const { return params_; }
    const std::vector<std::uint8_t>& statusBytes() const { return statusBytes_; }
    // The effect whose controls the parameters describe now; a status reply
    // asked for another one is dropped.
    void setShownEffect(const QString& effect) { shownEffect_ = effect; }
    const QString& shownEffect() const { return shownEffect_; }

    // Impulse responses: the program of the chosen cabinet effect with a
    // response spliced in, and the effect it was made for.
    void setIrProgram(const QString& program, const QString& effect) {
        irProgram_ = program;
        irProgramEffect_ = effect;
    }
    const QString& irProgram() const { return irProgram_; }
    const QString& irProgramEffect() const { return irProgramEffect_; }

    // Whether `what` would start now; false after reporting why not.
    bool admits(Conversation what);

    // Conversations.
    ScanResult scan(bool quiet);
    // The bridge Connect opens; a scan leaves the last one it listed.
    void selectDevice(const QString& serial) { link_.deviceSerialNumber = serial; }
    void connectPedal();
    void disconnectPedal();
    void setUpgradeMode(bool on);
    void uploadEffect(const QString& category, const QString& effect);
    void uploadRawFile(const QString& path);
    void identify();
    void requestStatus();
    void setLive(bool on);
    void store();
    void assign(const std::array<bool, kParamSlots>& reversed);
    void setParameter(int slot, std::int32_t value, const QString& logLine, bool appendLine);
    // The value of parameter `slot`, with the console line of its kind of
    // control (pot, switch or multi-switch).
    void sendValue(int slot, std::int32_t value);
    void setLimit(int slot, bool maximum, std::int32_t value);
    void clearLimits(int slot);
    // Inside a conversation: the parameter and limit sends queued so far go
    // out now, in order, and the first one the link refuses ends them; the
    // rest are dropped. What failed is in `failure` and is not reported
    // again; `sent` and `unsent` name the settings that did and did not go.
    struct SendsOutcome {
        std::vector<ParamChange> sent;
        std::vector<ParamChange> unsent;
        QString failure;
    };
    Task<SendsOutcome> flushSends();
    // The upgrade of the pedal's firmware with `image` through its
    // bootloader: the phase and progress go to `view`, the upgrade's own
    // messages to `dialogs`. It holds the link to itself until it ends; a
    // retry after a failure synchronises with the bootloader first.
    void upgradeFirmware(const QByteArray& image, const UpgradeView& view, Dialogs& dialogs);
    bool upgradeRunning() const { return current_ == Conversation::Firmware; }
    // An image was written and started: one upgrade per run, the pedal
    // restarts into it.
    bool upgradeDone() const { return upgradeDone_; }
    UpgradeOutcome upgradeOutcome() const { return upgradeOutcome_; }
    // Ends a running upgrade at its next wait, the erase's included (the
    // editor is closing); the upgrade says what the flash holds.
    void stopUpgrade() { upgradeStopRequested_ = true; }
    // When the last byte written has left the bridge: a front end that
    // closes the link waits for it.
    std::int64_t lineFreeAtUs() { return device_.txLineFreeAtUs(); }
    // The open bridge is the in-process virtual pedal.
    bool deviceIsSimulated() { return isConnected() && device_.deviceIsSimulated(); }

    // Runs a conversation of another subsystem (configuration files) under
    // the same gate.
    void runConversation(Conversation what, std::function<Task<>()> make);

    AsyncExchange& exchange() { return exchange_; }
    // One status request, for a conversation of another subsystem that
    // needs what the pedal holds now; false when the link failed or the
    // reply was dropped.
    Task<bool> readStatus() { return statusOnce(); }

  signals:
    // The connection, the running effect or the link's use changed.
    void stateChanged();
    // A command failed: one message for the user.
    void failed(const QString& message);
    // A message for the user that is not a failure.
    void notice(const QString& message);
    // Upload progress: -1 hides it; otherwise 0 to 100.
    void uploadProgress(int percent);
    // The upload's status line.
    void uploadStatus(const QString& text);
    // Open FX's answer was read and its effect found.
    void identified();
    // The pedal no longer runs an effect the editor knows.
    void runningEffectForgotten();
    void firmwareVersionRead(int version);
    // A status reply was read for the shown effect; `live` during the loop.
    void statusRead(bool live);
    // The live loop started or ended.
    void liveChanged(bool running);
    // The pedal confirmed the start of its new firmware: Upgrade Mode ended.
    void firmwareStarted();

  private:
    struct Pending {
        Conversation what;
        std::function<Task<>()> make;
        // The setting a parameter or limit send changes.
        std::optional<ParamChange> change;
    };
    void start(Conversation what, std::function<Task<>()> make,
               std::optional<ParamChange> change = std::nullopt);
    // The conversation being started, after the late bytes of an earlier one.
    Task<> afterDrain();
    void finish();
    void runNext();
    void reportDriverFailure(const QString& text);
    void noticeFromLink();
    // Whether the open port still answers; a dead one is closed, quietly.
    bool portAlive();
    // The port failed: the session is disconnected, with a console line.
    void endLostConnection();
    bool queueable(Conversation what) const;

    Task<> connectConversation();
    Task<> checkBootloader();
    void readEepromIdentity();
    Task<> uploadEffectConversation(QString category, QString effect);
    Task<> uploadRawConversation(QString path);
    Task<bool> waitForUploadAnswer(int byteCount);
    Task<std::optional<QByteArray>>
    readUploadAnswer(const std::function<void(const QByteArray&)>& onRead);
    Task<> identifyConversation();
    void parseIdentityReply(const QByteArray& reply);
    void lookupRunningEffect();
    void forgetRunningEffect();
    Task<> statusConversation();
    Task<bool> statusOnce();
    Task<bool> receiveStatus(std::uint32_t paramCount);
    Task<> liveConversation();
    Task<> runQueuedSends();
    Task<> storeConversation();
    Task<> assignConversation(std::array<bool, kParamSlots> reversed);
    Task<> parameterConversation(QString message, QString logLine, bool appendLine);
    Task<> limitConversation(int slot, bool maximum, std::int32_t value);
    Task<> upgradeConversation();

    Clock& clock_;
    Log& log_;
    D2xx driver_;
    D2XXUnit device_;
    AsyncExchange exchange_;
    ClockTimer nextTimer_;

    Connection connection_ = Connection::Disconnected;
    bool bootloaderFound_ = false;
    bool upgradeMode_ = false;
    bool liveWanted_ = false;
    LinkState link_;
    RunningEffect running_;
    ParamState params_;
    std::vector<std::uint8_t> statusBytes_;
    QString shownEffect_;
    QString irProgram_;
    QString irProgramEffect_;

    Conversation current_ = Conversation::None;
    Task<> task_;
    // What makes the conversation in progress; kept here, not passed into a
    // coroutine (GCC 12 destroys a coroutine's temporary arguments twice).
    std::function<Task<>()> make_;
    // The first failure the device layer reported during the command.
    QString driverFailure_;
    // The device layer reported a failure during the command.
    bool driverFailed_ = false;
    bool cancelled_ = false;
    std::deque<Pending> sends_;
    // The upgrade asked for, and how the last one went.
    QByteArray upgradeImage_;
    UpgradeView upgradeView_;
    Dialogs* upgradeDialogs_ = nullptr;
    UpgradeOutcome upgradeOutcome_ = UpgradeOutcome::Refused;
    bool upgradeStopRequested_ = false;
    bool upgradeDone_ = false;
    // An attempt ended early: where the bootloader stands is not known.
    bool resynchronise_ = false;
    std::optional<Pending> afterLive_;
};

} // namespace brivo
