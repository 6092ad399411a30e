// Effect configuration files: the File menu's save and load of an effect's
// settings.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "base/EditorError.h"
#include "base/Task.h"
#include "config/ConfigFile.h"
#include "config/ConfigOfStatus.h"
#include "config/ConfigWindow.h"
#include "params/TformFXParameters.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace brivo {

namespace {
const QString kNoDocuments = QStringLiteral("Error: Could not retrieve the user documents path.");
const QString kConfigFilter = QStringLiteral("Configuration Files (*.txt)");
} // namespace

bool TformMain::configurationAvailable() const {
    // The file is read from and written to the pedal's running effect.
    return fxParameters_ != nullptr && fxParameters_->isBuilt() && editor_.catalogue.editable &&
           editor_.session.isConnected();
}

QString TformMain::configurationPath() const {
    const QString documents = editor_.environment.documentsFolder;
    const QString effect = editor_.catalogue.currentEffectName;
    if (documents.isEmpty() || effect.isEmpty())
        return {};
    return QDir(config_folder(documents)).filePath(config_file_name(effect));
}

QString TformMain::usableConfigurationPath() {
    if (!configurationAvailable())
        return {};
    const QString path = configurationPath();
    if (path.isEmpty())
        editor_.dialogs.showMessage(kNoDocuments);
    return path;
}

void TformMain::menuSaveConfigurationClick() {
    if (const QString path = usableConfigurationPath(); !path.isEmpty())
        saveConfigurationTo(path);
}

void TformMain::menuSaveConfigurationAsClick() {
    const QString fixed = usableConfigurationPath();
    if (fixed.isEmpty())
        return;
    const QString path = editor_.dialogs.saveFileName(kConfigFilter, QFileInfo(fixed).path(),
                                                      QFileInfo(fixed).fileName());
    if (!path.isEmpty())
        saveConfigurationTo(path);
}

void TformMain::saveConfigurationTo(const QString& path) {
    editor_.session.runConversation(Conversation::Configuration,
                                    [this, path] { return saveConfiguration(path); });
}

Task<> TformMain::saveConfiguration(QString path) {
    // The file keeps what the pedal holds now; a status that could not be read
    // would leave stale values in it.
    const QString notSaved =
        QStringLiteral("The configuration was not saved: the pedal's settings could not be read.");
    bool statusRead = false;
    try {
        statusRead = co_await editor_.session.readStatus();
    } catch (const EditorError& error) {
        throw EditorError(error.text() + QStringLiteral("\r\n") + notSaved);
    }
    if (!statusRead || !configurationAvailable())
        throw EditorError(notSaved);
    const QByteArray text =
        config_file_text(gather_config(*fxParameters_, editor_.session.params()));
    // Written beside the old file and put in its place only when whole.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        throw EditorError(QStringLiteral("Error saving file: ") + file.errorString());
    editor_.dialogs.showMessage(QStringLiteral("FX Configuration File Saved"));
}

void TformMain::menuLoadConfigurationClick() {
    const QString path = usableConfigurationPath();
    if (path.isEmpty())
        return;
    if (!QFileInfo::exists(path)) {
        editor_.dialogs.showMessage(QStringLiteral("No configuration file has been saved for ") +
                                    editor_.catalogue.currentEffectName);
        return;
    }
    loadConfigurationFrom(path);
}

void TformMain::menuLoadConfigurationFromClick() {
    const QString fixed = usableConfigurationPath();
    if (fixed.isEmpty())
        return;
    const QString path = editor_.dialogs.openFileName(kConfigFilter, QFileInfo(fixed).path());
    if (!path.isEmpty())
        loadConfigurationFrom(path);
}

void TformMain::loadConfigurationFrom(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EditorError(QStringLiteral("Cannot read %1: %2")
                              .arg(QDir::toNativeSeparators(path), file.errorString()));
    const ParamState& params = editor_.session.params();
    // The whole file is checked before anything of the window changes.
    const ConfigCheck check =
        parse_config_file(file.readAll(), static_cast<int>(params.paramCount),
                          static_cast<int>(params.potCount), multi_switch_options(params));
    if (!check.settings) {
        editor_.dialogs.showMessage(
            QStringLiteral("The configuration file %1 was not loaded: line %2 %3. Nothing was "
                           "changed.")
                .arg(QDir::toNativeSeparators(path))
                .arg(check.badLine)
                .arg(check.reason));
        return;
    }
    // Loaded while the live loop runs, the loop ends first: its next poll
    // would overwrite what the file sets.
    editor_.session.runConversation(
        Conversation::Configuration,
        [this, settings = *check.settings] { return applyConfiguration(settings); });
}

Task<> TformMain::applyConfiguration(ConfigSettings settings) {
    PedalSession& session = editor_.session;
    ParamState& params = session.params();
    const ShownSettings held = shown_settings(*fxParameters_, params);
    // The pedal gets each value the window did not show already, then the
    // limits of the pots the file assigns: the window shows what it sends.
    const std::vector<ConfigSend> values = config_values_to_send(params, settings, held.controls);
    std::vector<int> limited;
    {
        const auto quiet = fxParameters_->quietChanges();
        limited = apply_config(*fxParameters_, params, settings);
    }
    for (const ConfigSend& send : values)
        session.sendValue(send.slot, send.value);
    for (const int j : limited) {
        session.setLimit(j, false, static_cast<std::int32_t>(params.minLimits[j]));
        session.setLimit(j, true, static_cast<std::int32_t>(params.maxLimits[j]));
    }
    const PedalSession::SendsOutcome outcome = co_await session.flushSends();
    if (!outcome.failure.isEmpty()) {
        // The link failed part-way: what never reached the pedal goes back
        // in the window, and the message names both halves.
        restore_unsent(*fxParameters_, params, held, outcome.unsent);
        throw EditorError(partial_load_text(params, outcome.sent, outcome.unsent, outcome.failure));
    }
    editor_.dialogs.showMessage(QStringLiteral("FX Configuration File Loaded"));
}

} // namespace brivo
