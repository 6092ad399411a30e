#include "cli/Cli.h"

#include "base/EditorError.h"
#include "cli/CliCatalogue.h"
#include "link/DeviceNames.h"
#include "virtualpedal/VirtualPedal.h"

#include <algorithm>

namespace brivo::cli {

namespace {
// After the last byte has left the host, the bridge still shifts it out:
// the port is closed only once the line is free, plus this margin.
constexpr int kCloseMarginMs = 20;

const QString kCommandsText =
    QStringLiteral("Talks to the Tandrel Brivo effects pedal from a terminal or a script.\n"
                   "\n"
                   "Commands:\n"
                   "  list                      the pedals found\n"
                   "  effects                   the catalogue, category by category\n"
                   "  params EFFECT             an effect's parameters and what each takes\n"
                   "  identify                  what the pedal runs (Open FX)\n"
                   "  upload EFFECT             upload an effect of the catalogue\n"
                   "  upload --raw FILE         upload a program file of hex digit pairs\n"
                   "  status [--json]           the running effect's values, assignments,\n"
                   "                            reverse flags and limits\n"
                   "  set PARAM VALUE           set a parameter (number from 1, or name)\n"
                   "  store                     store the settings on the pedal\n"
                   "  config save FILE          save the running effect's settings\n"
                   "  config load FILE          send a saved configuration to the pedal\n"
                   "  ir WAV --effect EFFECT    upload EFFECT with the impulse response of WAV\n"
                   "  firmware IMAGE            upgrade the firmware (a file, or Firmware_4 or\n"
                   "                            Firmware_5); the pedal must be in its bootloader\n"
                   "\n"
                   "Exit status: 0 on success, 1 when the pedal, the link or a file failed,\n"
                   "2 for a wrong command line.");
} // namespace

Cli::Cli(Clock& clock, QTextStream& out, QTextStream& err, DriverSetup setup)
    : clock_(clock), out_(out), err_(err), setup_(std::move(setup)),
      log_(std::make_unique<CliLog>(err)), dialogs_(std::make_unique<CliDialogs>()),
      session_(clock, *log_), helpOption_({QStringLiteral("h"), QStringLiteral("help")},
                                          QStringLiteral("Show this help and end.")),
      versionOption_(QStringLiteral("version"), QStringLiteral("Show the version and end.")),
      jsonOption_(QStringLiteral("json"), QStringLiteral("status: print the status as JSON.")),
      rawOption_(QStringLiteral("raw"),
                 QStringLiteral("upload: send the program file <file> instead of an effect."),
                 QStringLiteral("file")),
      effectOption_(QStringLiteral("effect"),
                    QStringLiteral("ir: the impulse-response effect <name> to upload."),
                    QStringLiteral("name")),
      verboseOption_({QStringLiteral("v"), QStringLiteral("verbose")},
                     QStringLiteral("Copy the console's lines to the error output.")),
      wake_(clock, [this] { wake(); }) {
    if (!setup_)
        setup_ = [this](const QCommandLineParser& parser, D2xx& d2xx, Clock& c) {
            return driverOptions_.registerDrivers(parser, d2xx, c);
        };
    parser_.setApplicationDescription(kCommandsText);
    parser_.addOption(helpOption_);
    parser_.addOption(versionOption_);
    driverOptions_.addTo(parser_);
    for (const QCommandLineOption* option :
         {&jsonOption_, &rawOption_, &effectOption_, &verboseOption_})
        parser_.addOption(*option);
    parser_.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do."),
                                  QStringLiteral("command [arguments]"));

    QObject::connect(&session_, &PedalSession::failed, &session_,
                     [this](const QString& text) { failures_.append(text); });
    QObject::connect(&session_, &PedalSession::stateChanged, &session_,
                     [this] { sessionStateChanged(); });
    QObject::connect(&session_, &PedalSession::firmwareVersionRead, &session_,
                     [this] { firmwareRead_ = true; });
    QObject::connect(&session_, &PedalSession::uploadProgress, &session_,
                     [this](int percent) { showProgress(QStringLiteral("Uploading"), percent); });
    QObject::connect(&session_, &PedalSession::uploadStatus, &session_,
                     [this](const QString& text) { uploadAnswer_ = text; });
}

Cli::~Cli() {
    waiting_ = {};
    wake_.stop();
}

void Cli::sessionStateChanged() {
    // Woken from the event loop, not inside the session's own signal: the
    // failure of the command that just ended is emitted after this notice.
    if (waitingForIdle_ && !session_.busy()) {
        waitingForIdle_ = false;
        wake_.startUs(0);
    }
}

void Cli::wake() {
    if (const std::coroutine_handle<> h = std::exchange(waiting_, {}))
        h.resume();
}

void Cli::showProgress(const QString& what, int percent) {
    if (percent < 0) {
        shownProgress_ = -1;
        return;
    }
    // A line every tenth: readable in a terminal and in a script's log.
    const int step = percent / 10 * 10;
    if (step <= shownProgress_)
        return;
    shownProgress_ = step;
    err_ << what << ": " << step << "%\n";
    err_.flush();
}

Task<int> Cli::run(QStringList arguments) {
    if (!parser_.parse(arguments)) {
        err_ << "brivo-cli: " << parser_.errorText() << "\n";
        err_.flush();
        co_return kExitUsage;
    }
    if (parser_.isSet(helpOption_)) {
        out_ << parser_.helpText();
        out_.flush();
        co_return kExitOk;
    }
    if (parser_.isSet(versionOption_)) {
        out_ << "brivo-cli " << BRIVO_VERSION_TEXT << "\n";
        out_.flush();
        co_return kExitOk;
    }
    log_->verbose = parser_.isSet(verboseOption_);
    QStringList positional = parser_.positionalArguments();
    if (positional.isEmpty()) {
        err_ << "brivo-cli: no command given. Try brivo-cli --help.\n";
        err_.flush();
        co_return kExitUsage;
    }
    const QString command = positional.takeFirst();
    int status = kExitOk;
    QString message;
    try {
        status = co_await dispatch(command, positional);
    } catch (const Failure& failure) {
        status = failure.status;
        message = failure.text;
    } catch (const EditorError& error) {
        status = kExitFailed;
        message = error.text();
    } catch (const std::exception& error) {
        status = kExitFailed;
        message = QString::fromLocal8Bit(error.what());
    }
    // The port is left free for the next program, whatever happened.
    co_await idle();
    if (session_.isConnected())
        co_await closeLink();
    if (!message.isEmpty())
        err_ << "brivo-cli: " << message << "\n";
    out_.flush();
    err_.flush();
    co_return status;
}

void Cli::expectArguments(const QString& command, const QStringList& arguments, int count,
                          const QString& names) const {
    if (arguments.size() == count)
        return;
    throw Failure{kExitUsage, names.isEmpty()
                                  ? QStringLiteral("%1 takes no arguments.").arg(command)
                                  : QStringLiteral("usage: brivo-cli %1 %2").arg(command, names)};
}

Task<int> Cli::dispatch(QString command, QStringList arguments) {
    const auto refuseOption = [this, &command](const QCommandLineOption& option,
                                               const QString& owner) {
        if (parser_.isSet(option) && command != owner)
            throw Failure{kExitUsage, QStringLiteral("--%1 belongs to the %2 command.")
                                          .arg(option.names().constLast(), owner)};
    };
    refuseOption(jsonOption_, QStringLiteral("status"));
    refuseOption(rawOption_, QStringLiteral("upload"));
    refuseOption(effectOption_, QStringLiteral("ir"));

    if (command == QLatin1String("list")) {
        expectArguments(command, arguments, 0, {});
        co_return listCommand();
    }
    if (command == QLatin1String("effects")) {
        expectArguments(command, arguments, 0, {});
        co_return effectsCommand();
    }
    if (command == QLatin1String("params")) {
        expectArguments(command, arguments, 1, QStringLiteral("EFFECT"));
        co_return paramsCommand(arguments.at(0));
    }
    if (command == QLatin1String("identify")) {
        expectArguments(command, arguments, 0, {});
        co_return co_await identifyCommand();
    }
    if (command == QLatin1String("upload")) {
        if (parser_.isSet(rawOption_)) {
            expectArguments(command, arguments, 0, QStringLiteral("--raw FILE"));
            co_return co_await uploadRawCommand(parser_.value(rawOption_));
        }
        expectArguments(command, arguments, 1, QStringLiteral("EFFECT | --raw FILE"));
        co_return co_await uploadCommand(arguments.at(0));
    }
    if (command == QLatin1String("status")) {
        expectArguments(command, arguments, 0, QStringLiteral("[--json]"));
        co_return co_await statusCommand(parser_.isSet(jsonOption_));
    }
    if (command == QLatin1String("set")) {
        expectArguments(command, arguments, 2, QStringLiteral("PARAM VALUE"));
        co_return co_await setCommand(arguments.at(0), arguments.at(1));
    }
    if (command == QLatin1String("store")) {
        expectArguments(command, arguments, 0, {});
        co_return co_await storeCommand();
    }
    if (command == QLatin1String("config")) {
        expectArguments(command, arguments, 2, QStringLiteral("save|load FILE"));
        if (arguments.at(0) == QLatin1String("save"))
            co_return co_await configSaveCommand(arguments.at(1));
        if (arguments.at(0) == QLatin1String("load"))
            co_return co_await configLoadCommand(arguments.at(1));
        throw Failure{kExitUsage, QStringLiteral("usage: brivo-cli config save|load FILE")};
    }
    if (command == QLatin1String("ir")) {
        expectArguments(command, arguments, 1, QStringLiteral("WAV --effect EFFECT"));
        if (!parser_.isSet(effectOption_))
            throw Failure{kExitUsage, QStringLiteral("usage: brivo-cli ir WAV --effect EFFECT")};
        co_return co_await irCommand(arguments.at(0), parser_.value(effectOption_));
    }
    if (command == QLatin1String("firmware")) {
        expectArguments(command, arguments, 1, QStringLiteral("IMAGE"));
        co_return co_await firmwareCommand(arguments.at(0));
    }
    throw Failure{
        kExitUsage,
        unknown_name_text(QStringLiteral("command"), command,
                          {QStringLiteral("list"), QStringLiteral("effects"),
                           QStringLiteral("params"), QStringLiteral("identify"),
                           QStringLiteral("upload"), QStringLiteral("status"),
                           QStringLiteral("set"), QStringLiteral("store"), QStringLiteral("config"),
                           QStringLiteral("ir"), QStringLiteral("firmware")})};
}

void Cli::registerDrivers() {
    if (driversRegistered_)
        return;
    driversRegistered_ = true;
    if (const QString fault = setup_(parser_, session_.driver(), clock_); !fault.isEmpty())
        throw Failure{kExitUsage, fault};
}

void Cli::beginStep() {
    failures_.clear();
}

Task<> Cli::settled() {
    co_await idle();
    if (!failures_.isEmpty())
        throw Failure{kExitFailed, failures_.first()};
}

Task<> Cli::connect(bool upgradeMode) {
    registerDrivers();
    const ScanResult found = session_.scan(false);
    if (found.devices.empty()) {
        QStringList lines;
        for (const QString& reason : found.inaccessible)
            lines.append(inaccessibleDeviceMessage(reason));
        throw Failure{kExitFailed,
                      lines.isEmpty() ? QStringLiteral("No device found") : lines.join('\n')};
    }
    // The port the user named, else the virtual pedal asked for, else the first one.
    QString wanted;
    if (parser_.isSet(driverOptions_.port))
        wanted = parser_.values(driverOptions_.port).constFirst();
    else if (parser_.isSet(driverOptions_.virtualPedal) ||
             parser_.isSet(driverOptions_.virtualPedalBootloader))
        wanted = QString::fromLatin1(VirtualPedal::kDefaultSerial);
    const auto chosen =
        std::find_if(found.devices.begin(), found.devices.end(),
                     [&wanted](const FoundDevice& device) { return device.serial == wanted; });
    const FoundDevice& device = chosen != found.devices.end() ? *chosen : found.devices.front();
    session_.selectDevice(device.serial);
    session_.setUpgradeMode(upgradeMode);
    beginStep();
    session_.connectPedal();
    co_await settled();
    if (!session_.isConnected())
        throw Failure{kExitFailed,
                      QStringLiteral("The pedal %1 could not be opened.").arg(device.serial)};
}

Task<> Cli::openEffect(bool allowEmpty) {
    firmwareRead_ = false;
    failures_.clear();
    session_.identify();
    co_await idle();
    RunningEffect& running = session_.running();
    if (!failures_.isEmpty()) {
        // The identity was read and names no effect: the pedal is empty.
        if (firmwareRead_ && running.runningEffectNumber == 0) {
            if (allowEmpty)
                co_return;
            throw Failure{kExitFailed,
                          QStringLiteral("The pedal has no effect loaded: upload one first "
                                         "(brivo-cli upload EFFECT).")};
        }
        throw Failure{kExitFailed, failures_.first()};
    }
    session_.params() = param_state_of_effect(running.runningEffectName);
    session_.setShownEffect(running.runningEffectName);
}

Task<StatusRecord> Cli::readStatus() {
    beginStep();
    session_.requestStatus();
    co_await settled();
    if (session_.running().statusEffectName != session_.shownEffect())
        throw Failure{kExitFailed, QStringLiteral("The pedal's status could not be read.")};
    co_return decode_status_record(std::span<const std::uint8_t>(session_.statusBytes()),
                                   session_.params().paramCount);
}

void Cli::beginUpload(bool raw) {
    beginStep();
    uploadAnswer_.clear();
    rawAnswer_.clear();
    log_->received = raw ? &rawAnswer_ : nullptr;
    shownProgress_ = -1;
}

Task<> Cli::uploadSettled(bool raw) {
    static const QString kCompleted = QStringLiteral("Upload Completed");
    co_await idle();
    log_->received = nullptr;
    if (!failures_.isEmpty())
        throw Failure{kExitFailed, failures_.first()};
    QString answer = raw ? rawAnswer_ : uploadAnswer_;
    // The answer is "Upload Completed" and a zero byte; anything else is
    // the pedal refusing the program, or no answer at all.
    if (!answer.startsWith(kCompleted)) {
        answer.remove(QChar(0));
        throw Failure{kExitFailed,
                      answer.isEmpty() || answer == QStringLiteral("Uploading...")
                          ? QStringLiteral("The pedal did not confirm the upload.")
                          : QStringLiteral("The pedal answered \"%1\" instead of \"%2\".")
                                .arg(answer.trimmed(), kCompleted)};
    }
    out_ << kCompleted << "\n";
}

Task<> Cli::closeLink() {
    co_await pauseUs(session_.lineFreeAtUs() - clock_.nowUs() +
                     std::int64_t{kCloseMarginMs} * 1000);
    session_.disconnectPedal();
}

} // namespace brivo::cli
