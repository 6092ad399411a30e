// The commands of brivo-cli, each from the command line to the pedal and back.
#include "base/EditorError.h"
#include "base/Task.h"
#include "catalogue/CatalogueState.h"
#include "catalogue/ResourceName.h"
#include "catalogue/Resources.h"
#include "cli/Cli.h"
#include "cli/CliCatalogue.h"
#include "cli/CliStatus.h"
#include "config/ConfigOfStatus.h"
#include "firmware/FirmwareUpgrade.h"
#include "ir/IrSplice.h"
#include "ir/WavImpulse.h"
#include "link/DeviceNames.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace brivo::cli {

namespace {
QStringList effectNames() {
    QStringList names;
    for (const CatalogueEffect& effect : catalogue_effects())
        names.append(effect.name);
    return names;
}

QStringList impulseResponseEffects() {
    QStringList names;
    for (const CatalogueEffect& effect : catalogue_effects())
        if (ir_layout_of(effect.name))
            names.append(effect.name);
    return names;
}

const QString kFirmwarePrefix = QStringLiteral("FIRMWARE_");

} // namespace

int Cli::listCommand() {
    registerDrivers();
    const ScanResult found = session_.scan(false);
    QStringList unreadable;
    for (const QString& reason : found.inaccessible)
        unreadable.append(inaccessibleDeviceMessage(reason));
    // Bridges seen but not readable are the reason when nothing else is there.
    if (found.devices.empty())
        throw Failure{kExitFailed, unreadable.isEmpty() ? QStringLiteral("No device found")
                                                        : unreadable.join(QLatin1Char('\n'))};
    for (const FoundDevice& device : found.devices)
        out_ << device.serial << '\t' << QString::fromLocal8Bit(device.description) << '\n';
    for (const QString& line : unreadable)
        err_ << line << '\n';
    return kExitOk;
}

int Cli::effectsCommand() {
    out_ << effects_text();
    return kExitOk;
}

int Cli::paramsCommand(const QString& name) {
    const std::optional<CatalogueEffect> effect = find_effect(name);
    if (!effect)
        throw Failure{kExitUsage, unknown_name_text(QStringLiteral("effect"), name, effectNames())};
    out_ << params_text(effect->name, param_state_of_effect(effect->name));
    return kExitOk;
}

Task<int> Cli::identifyCommand() {
    co_await connect(false);
    co_await openEffect(true);
    const RunningEffect& running = session_.running();
    out_ << identity_text({running.runningEffectNumber == 0 ? QString() : running.runningEffectName,
                           running.runningEffectNumber, running.runningEffectVersion,
                           running.firmwareVersion});
    co_return kExitOk;
}

Task<int> Cli::uploadCommand(QString name) {
    const std::optional<CatalogueEffect> effect = find_effect(name);
    if (!effect)
        throw Failure{kExitUsage, unknown_name_text(QStringLiteral("effect"), name, effectNames())};
    // The impulse-response effects go with a response of the user's.
    if (effect->category == kImpulseResponseCategory)
        throw Failure{kExitUsage,
                      ir_layout_of(effect->name)
                          ? QStringLiteral("%1 takes an impulse response: use brivo-cli ir WAV "
                                           "--effect \"%1\".")
                                .arg(effect->name)
                          : QStringLiteral("%1 has no place for an impulse response, and its "
                                           "category uploads only spliced responses.")
                                .arg(effect->name)};
    co_await connect(false);
    beginUpload(false);
    session_.uploadEffect(effect->category, effect->name);
    co_await uploadSettled(false);
    co_return kExitOk;
}

Task<int> Cli::uploadRawCommand(QString path) {
    if (!QFileInfo(path).isFile())
        throw Failure{kExitFailed, QStringLiteral("Cannot open %1: no such file.").arg(path)};
    co_await connect(false);
    beginUpload(true);
    session_.uploadRawFile(path);
    co_await uploadSettled(true);
    co_return kExitOk;
}

Task<int> Cli::statusCommand(bool json) {
    co_await connect(false);
    co_await openEffect(false);
    const StatusRecord record = co_await readStatus();
    const RunningEffect& running = session_.running();
    const RunningReport report{running.runningEffectName, running.runningEffectNumber,
                               running.runningEffectVersion, running.firmwareVersion};
    const std::vector<ParamStatus> rows = param_statuses(session_.params(), record);
    if (json)
        out_ << QString::fromUtf8(status_json(report, rows));
    else
        out_ << status_text(report, rows);
    co_return kExitOk;
}

Task<int> Cli::setCommand(QString param, QString valueText) {
    co_await connect(false);
    co_await openEffect(false);
    const QString effect = session_.running().runningEffectName;
    const ParamState& params = session_.params();
    const SlotLookup slot = find_parameter(params, effect, param);
    if (slot.slot < 0)
        throw Failure{kExitUsage, slot.error};
    const ValueParse value = parse_param_value(params, slot.slot, valueText);
    if (!value.error.isEmpty())
        throw Failure{kExitUsage, value.error};
    beginStep();
    session_.sendValue(slot.slot, value.value);
    co_await settled();
    out_ << param_info(params, slot.slot).name << ": "
         << shown_value(params, slot.slot, value.value) << '\n';
    co_return kExitOk;
}

Task<int> Cli::storeCommand() {
    co_await connect(false);
    co_await openEffect(false);
    beginStep();
    session_.store();
    co_await settled();
    out_ << "Stored the settings of " << session_.running().runningEffectName << " on the pedal.\n";
    co_return kExitOk;
}

Task<int> Cli::configSaveCommand(QString path) {
    co_await connect(false);
    co_await openEffect(false);
    const StatusRecord record = co_await readStatus();
    const QByteArray text = config_file_text(config_of_status(session_.params(), record));
    // Written beside the old file and put in its place only when whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw Failure{kExitFailed,
                      QStringLiteral("Error saving file %1: %2").arg(path, file.errorString())};
    out_ << "Saved the settings of " << session_.running().runningEffectName << " to " << path
         << ".\n";
    co_return kExitOk;
}

Task<int> Cli::configLoadCommand(QString path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure{kExitFailed,
                      QStringLiteral("Cannot read %1: %2").arg(path, file.errorString())};
    const QByteArray bytes = file.readAll();
    co_await connect(false);
    co_await openEffect(false);
    ParamState& params = session_.params();
    // The whole file is checked before anything is sent.
    const ConfigCheck check =
        parse_config_file(bytes, static_cast<int>(params.paramCount),
                          static_cast<int>(params.potCount), multi_switch_options(params));
    if (!check.settings)
        throw Failure{kExitFailed, QStringLiteral("The configuration file %1 was not loaded: line "
                                                  "%2 %3. Nothing was changed.")
                                       .arg(path)
                                       .arg(check.badLine)
                                       .arg(check.reason)};
    const ConfigSettings& settings = *check.settings;
    for (const ConfigSend& send : config_values_to_send(params, settings)) {
        beginStep();
        session_.sendValue(send.slot, send.value);
        co_await settled();
    }
    // No window keeps the assignments for a later Assign: they go now, with
    // the reverse flags, and the limits of the assigned pots after them.
    const ConfigAssignment assignment = apply_config_assignments(params, settings);
    beginStep();
    session_.assign(assignment.reversed);
    co_await settled();
    for (const int j : assignment.limitedPots) {
        const auto slot = static_cast<std::size_t>(j);
        beginStep();
        session_.setLimit(j, false, static_cast<std::int32_t>(session_.params().minLimits[slot]));
        co_await settled();
        beginStep();
        session_.setLimit(j, true, static_cast<std::int32_t>(session_.params().maxLimits[slot]));
        co_await settled();
    }
    out_ << "Loaded " << path << " into " << session_.running().runningEffectName
         << " (not stored: use brivo-cli store to keep it).\n";
    co_return kExitOk;
}

Task<int> Cli::irCommand(QString wavPath, QString effectName) {
    const std::optional<CatalogueEffect> effect = find_effect(effectName);
    const std::optional<IrLayout> layout =
        effect ? ir_layout_of(effect->name) : std::optional<IrLayout>();
    if (!layout)
        throw Failure{kExitUsage, unknown_name_text(QStringLiteral("impulse-response effect"),
                                                    effectName, impulseResponseEffects())};
    QFile file(wavPath);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure{kExitFailed,
                      QStringLiteral("Cannot read %1: %2").arg(wavPath, file.errorString())};
    const ImpulseResponse response = read_impulse_response(file.readAll(), layout->samples);
    const QString name = QFileInfo(wavPath).fileName();
    if (!response.error.isEmpty())
        throw Failure{kExitFailed,
                      QStringLiteral("%1 was not loaded: %2.").arg(name, response.error)};
    const QString program = resources::load_resource_lines(resource_name_of(effect->name)).value(0);
    const QString spliced = splice_ir(program, *layout, response.samples);
    if (spliced.isEmpty())
        throw Failure{kExitFailed,
                      QStringLiteral("The program of %1 is too short for its impulse response.")
                          .arg(effect->name)};
    const WavHeader& h = response.header;
    err_ << name << ": " << h.sampleRate << " Hz, " << h.bitsPerSample << " bits, " << h.channels
         << (h.channels == 1 ? " channel" : " channels (the first one is used)") << '\n';
    if (response.resampled)
        err_ << "Resampled from " << h.sampleRate << " Hz to " << kPedalRateHz << " Hz.\n";
    if (response.padded)
        err_ << "The response holds " << response.framesAtPedalRate << " samples; the other "
             << layout->samples - response.framesAtPedalRate << " of " << layout->samples
             << " are silence.\n";
    err_.flush();
    co_await connect(false);
    session_.setIrProgram(spliced, effect->name);
    beginUpload(false);
    session_.uploadEffect(kImpulseResponseCategory, effect->name);
    co_await uploadSettled(false);
    co_return kExitOk;
}

Task<int> Cli::firmwareCommand(QString imageName) {
    QByteArray image;
    if (QFileInfo(imageName).isFile()) {
        QFile file(imageName);
        if (!file.open(QIODevice::ReadOnly))
            throw Failure{kExitFailed, QStringLiteral("Cannot read the firmware file %1: %2")
                                           .arg(imageName, file.errorString())};
        image = file.readAll();
    } else {
        const std::optional<QByteArray> builtIn =
            imageName.startsWith(kFirmwarePrefix, Qt::CaseInsensitive) ? resources::find(imageName)
                                                                       : std::nullopt;
        if (!builtIn)
            throw Failure{kExitUsage, QStringLiteral("No firmware file or built-in image \"%1\". "
                                                     "The built-in images are: Firmware_4, "
                                                     "Firmware_5.")
                                          .arg(imageName)};
        image = *builtIn;
    }
    co_await connect(true);
    if (!session_.bootloaderFound())
        throw Failure{kExitFailed,
                      QStringLiteral("The pedal's bootloader did not answer: start the pedal in "
                                     "its bootloader, then try again. Nothing was sent.")};
    UpgradeView view;
    view.showPhase = [this](const QString& phase) {
        err_ << phase << '\n';
        err_.flush();
    };
    view.showProgress = [this](int value, int maximum) {
        showProgress(QStringLiteral("Firmware"), maximum > 0 ? value * 100 / maximum : 0);
    };
    shownProgress_ = -1;
    dialogs_->messages.clear();
    beginStep();
    session_.upgradeFirmware(image, view, *dialogs_);
    co_await settled();
    const QString messages = dialogs_->messages.join(QLatin1Char('\n'));
    if (session_.upgradeOutcome() != UpgradeOutcome::Started)
        throw Failure{kExitFailed, messages.isEmpty()
                                       ? QStringLiteral("The firmware upgrade did not complete.")
                                       : messages};
    out_ << messages << '\n';
    co_return kExitOk;
}

} // namespace brivo::cli
