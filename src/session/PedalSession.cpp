#include "session/PedalSession.h"

#include "base/EditorError.h"
#include "base/Log.h"
#include "firmware/LinkFraming.h"
#include "link/LinkSettings.h"
#include "link/ReplyRules.h"

namespace brivo {

namespace {
// The names the console gives a command that waits for the live loop.
QString followerName(Conversation what) {
    switch (what) {
    case Conversation::Upload:
        return QStringLiteral("Upload Selected Effect");
    case Conversation::UploadRaw:
        return QStringLiteral("Upload File");
    case Conversation::Identify:
        return QStringLiteral("Open FX");
    default:
        return QStringLiteral("Configuration");
    }
}

const QString kCancelledLine =
    QStringLiteral("Disconnect: the command waiting for the pedal was cancelled");
const QString kNotConnectedText = QStringLiteral("The pedal is not connected.");
const QString kConnectionLostText =
    QStringLiteral("The connection to the pedal was lost. Plug it in again, then choose "
                   "Connection > Scan and Connect.");
} // namespace

PedalSession::PedalSession(Clock& clock, Log& log, QObject* parent)
    : QObject(parent), clock_(clock), log_(log), device_(driver_, clock),
      exchange_(device_, log, clock), nextTimer_(clock, [this] { runNext(); }) {
    device_.setReporter([this](const QString& text) { reportDriverFailure(text); });
    // The link's settings, applied at each connection.
    device_.ftBaudRate = kLinkBaudRate;
    device_.ftWordLength = FT_BITS_8;
    device_.ftStopBits = FT_STOP_BITS_1;
    device_.ftParity = FT_PARITY_NONE;
    exchange_.onLinkNotice = [this] { noticeFromLink(); };
}

PedalSession::~PedalSession() {
    // Nothing of a conversation may run after the session is gone.
    exchange_.onLinkNotice = nullptr;
    sends_.clear();
    afterLive_.reset();
    task_.reset();
    exchange_.detach();
    device_.setReporter({});
}

void PedalSession::reportDriverFailure(const QString& text) {
    // One message per command: the first failure is the one that explains
    // the rest.
    if (busy()) {
        driverFailed_ = true;
        if (driverFailure_.isEmpty())
            driverFailure_ = text;
        return;
    }
    emit failed(text);
}

bool PedalSession::queueable(Conversation what) const {
    return what == Conversation::Send || what == Conversation::Store ||
           what == Conversation::Assign;
}

bool PedalSession::admits(Conversation what) {
    if (what != Conversation::Connect && !isConnected()) {
        emit failed(kNotConnectedText);
        return false;
    }
    if (!busy())
        return true;
    if (current_ == Conversation::Firmware) {
        emit failed(QString::fromLatin1(kBusyText));
        return false;
    }
    if (queueable(what))
        return true;
    if (current_ == Conversation::LiveLoop &&
        (what == Conversation::Upload || what == Conversation::UploadRaw ||
         what == Conversation::Identify || what == Conversation::Configuration))
        return true;
    emit failed(QString::fromLatin1(kBusyText));
    return false;
}

void PedalSession::runConversation(Conversation what, std::function<Task<>()> make) {
    start(what, std::move(make));
}

void PedalSession::start(Conversation what, std::function<Task<>()> make,
                         std::optional<ParamChange> change) {
    if (!admits(what))
        return;
    if (busy()) {
        if (queueable(what)) {
            sends_.push_back({what, std::move(make), change});
            return;
        }
        // Only the live loop lets a command follow it.
        log_.log_line(QStringLiteral("Live Request switched off: ") + followerName(what) +
                      QStringLiteral(" follows the request in progress"));
        liveWanted_ = false;
        afterLive_ = Pending{what, std::move(make), std::nullopt};
        return;
    }
    current_ = what;
    driverFailure_.clear();
    driverFailed_ = false;
    cancelled_ = false;
    exchange_.resetCancel();
    // A command that waits for an answer first drops what an earlier one
    // left on its way; sends expect no answer and go out at once.
    make_ = std::move(make);
    task_ = queueable(what) || what == Conversation::Connect ? make_() : afterDrain();
    emit stateChanged();
    task_.start([this] { finish(); });
}

Task<> PedalSession::afterDrain() {
    co_await exchange_.drainLateBytes();
    co_await make_();
}

void PedalSession::finish() {
    const std::exception_ptr error = task_.error();
    const Conversation done = current_;
    // Runs from the conversation's last step; its frame is not used after.
    task_.reset();
    current_ = Conversation::None;
    QString message;
    if (error) {
        try {
            std::rethrow_exception(error);
        } catch (const ConversationCancelled&) {
        } catch (const EditorError& e) {
            message = e.text();
        } catch (const std::exception& e) {
            message = QString::fromLocal8Bit(e.what());
        }
    }
    // The upgrade names the step that failed and what to do; the driver's
    // words would only repeat it.
    if (!driverFailure_.isEmpty() && done != Conversation::Firmware)
        message = driverFailure_;
    if (cancelled_)
        message.clear();
    if (done == Conversation::LiveLoop) {
        liveWanted_ = false;
        emit liveChanged(false);
    }
    // A command the driver failed may have lost the port with it (a cable
    // pulled during the wait): the windows must not go on saying connected.
    if (driverFailed_ && !cancelled_ && isConnected() && !portAlive()) {
        sends_.clear();
        afterLive_.reset();
        endLostConnection();
    }
    emit stateChanged();
    if (!message.isEmpty())
        emit failed(message);
    // The next command starts from the event loop, not inside this one's end.
    if (!sends_.empty() || afterLive_)
        nextTimer_.startUs(0);
}

void PedalSession::runNext() {
    if (busy())
        return;
    if (!sends_.empty()) {
        Pending next = std::move(sends_.front());
        sends_.pop_front();
        start(next.what, std::move(next.make));
        return;
    }
    if (afterLive_) {
        Pending next = std::move(*afterLive_);
        afterLive_.reset();
        start(next.what, std::move(next.make));
    }
}

Task<> PedalSession::runQueuedSends() {
    while (!sends_.empty()) {
        Pending next = std::move(sends_.front());
        sends_.pop_front();
        try {
            co_await next.make();
        } catch (const EditorError& e) {
            emit failed(e.text());
        }
    }
}

bool PedalSession::portAlive() {
    // A silent look at the queue: the command's own failure already told
    // the user what went wrong.
    device_.setReporter({});
    const bool alive = device_.GetFTQueueStatus() == FT_OK;
    if (!alive) {
        exchange_.detach();
        device_.CloseFTDevice();
    }
    device_.setReporter([this](const QString& text) { reportDriverFailure(text); });
    return alive;
}

void PedalSession::endLostConnection() {
    log_.log_line(QStringLiteral("connection lost: the pedal's port failed"));
    connection_ = Connection::Lost;
    bootloaderFound_ = false;
    running_.statusEffectName.clear();
}

void PedalSession::noticeFromLink() {
    // Idle, a notice is either stray bytes or a port that failed; a failure
    // ends the connection with one message of its own rather than the
    // driver's words.
    if (busy() || !isConnected() || portAlive())
        return;
    endLostConnection();
    emit stateChanged();
    emit failed(kConnectionLostText);
}

void PedalSession::disconnectPedal() {
    sends_.clear();
    afterLive_.reset();
    nextTimer_.stop();
    if (busy()) {
        cancelled_ = true;
        liveWanted_ = false;
        log_.log_line(kCancelledLine);
        exchange_.cancel();
    }
    // A failed close is reported; the handle is gone either way (the driver
    // forgets it), so the session is disconnected rather than stuck.
    exchange_.detach();
    device_.CloseFTDevice();
    exchange_.resetCancel();
    connection_ = Connection::Disconnected;
    bootloaderFound_ = false;
    running_.statusEffectName.clear();
    emit stateChanged();
}

void PedalSession::setUpgradeMode(bool on) {
    // Upgrade Mode ends: the link speaks the firmware's 8N1 again.
    if (upgradeMode_ && !on && isConnected()) {
        use_firmware_framing(device_, log_);
        // The link no longer speaks the bootloader's framing.
        bootloaderFound_ = false;
    }
    upgradeMode_ = on;
    emit stateChanged();
}

void PedalSession::setLive(bool on) {
    if (!on) {
        // The loop ends after the request in progress.
        liveWanted_ = false;
        return;
    }
    if (liveLoopRunning())
        return;
    liveWanted_ = true;
    start(Conversation::LiveLoop, [this] { return liveConversation(); });
    if (!liveLoopRunning())
        liveWanted_ = false;
}

} // namespace brivo
