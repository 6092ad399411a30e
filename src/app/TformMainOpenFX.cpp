// Open FX: asking the pedal what it runs.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "base/EditorError.h"
#include "catalogue/ResourceName.h"
#include "commands/IdentityReply.h"
#include "params/TformFXParameters.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace brivo {

namespace {
constexpr int kOpenFXPauseMs = 100;
const QString kEffectListResource = QStringLiteral("effect_list");
} // namespace

void TformMain::btnOpenEffectClick() {
    if (runAfterLiveLoop(btnOpenEffect, [this] { btnOpenEffectClick(); }))
        return;
    QByteArray reply;
    {
        const ExchangeGuard exchange = editor_.exchange.beginExchange();
        D2XXUnit& device = editor_.device;
        device.txBuffer[0] = 0x05;
        device.txBuffer[1] = 0x00;
        // A late answer to an earlier command must not pass for the identity.
        device.PurgeFTDeviceRX();
        device.PurgeFTDeviceTX();
        device.WriteFTDevice(2);
        btnOpenEffect->setEnabled(false);
        editor_.clock.sleepMs(kOpenFXPauseMs);
        btnOpenEffect->setEnabled(true);
        reply = editor_.exchange.receive_reply(exchange);
    }
    // Whatever the reply says, the last status no longer tells what the
    // pedal holds: the effect may have changed or been reloaded.
    editor_.running.statusEffectName.clear();
    parse_identity_reply(reply);
    lookup_running_effect();

    const RunningEffect& running = editor_.running;
    if (!showFXParameters(running.runningEffectName + QStringLiteral(" v") +
                          QString::number(running.runningEffectVersion)))
        return;
    fxParameters_->EnableDisableControls(false);
    btnRequest->setEnabled(true);

    for (int i = 0; i < static_cast<int>(categoryNames.size()); ++i) {
        const QString resource = resource_name_of(categoryNames.at(static_cast<std::size_t>(i)));
        lstEffects->clear();
        load_resource_lines(resource);
        if (select_running_effect(i)) {
            // The category shown is the current one: the upload and Load IR
            // follow the effect's own category.
            editor_.catalogue.currentCategory = categoryNames.at(static_cast<std::size_t>(i));
            updateMenus();
            const int row = selectedEffectRow_;
            load_resource_lines(resource);
            fill_effect_list();
            lstEffects->setCurrentRow(row);
            return;
        }
    }
}

void TformMain::parse_identity_reply(const QByteArray& reply) {
    const QStringList fields = identity_reply_fields(reply);
    RunningEffect& running = editor_.running;
    // Each field is kept as soon as it converts; the first bad one ends the command.
    running.runningEffectNumber = to_integer(fields.value(1));
    running.runningEffectVersion = to_integer(fields.value(2));
    running.firmwareVersion = to_integer(fields.value(3));
    const IdentityFields identity{running.runningEffectNumber, running.runningEffectVersion,
                                  running.firmwareVersion};
    for (const QString& line : identity_log_lines(identity))
        editor_.log.log_line(line);
    lblFirmwareVersion->setText(QStringLiteral("Firmware Version: ") +
                                QString::number(running.firmwareVersion));
}

void TformMain::lookup_running_effect() {
    RunningEffect& running = editor_.running;
    load_resource_lines(kEffectListResource);
    const QStringList& lines = editor_.catalogue.resourceLines;
    const int number = running.runningEffectNumber;
    if (number < 0 || number >= lines.size()) {
        forgetRunningEffect();
        throw EditorError(QStringLiteral("List index out of bounds (%1)").arg(number));
    }
    const QString& line = lines.at(number);
    editor_.log.log_line(line);
    if (number == 0) {
        forgetRunningEffect();
        throw EditorError(QStringLiteral(
            "The pedal has no effect loaded. Choose an effect, upload it, then click Open FX."));
    }
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    running.runningEffectName = colon < 0 ? line : line.mid(colon + 1);
    editor_.log.log_line(QStringLiteral("effetto ottenuto dalla lista: ") +
                         running.runningEffectName);
    editor_.catalogue.currentEffectName = running.runningEffectName;
    editor_.catalogue.editable = true;
    btnRequest->setEnabled(true);
    btnRequest->setFocus();
}

void TformMain::forgetRunningEffect() {
    editor_.running.runningEffectName.clear();
    editor_.running.statusEffectName.clear();
    editor_.catalogue.editable = false;
    // The window would offer edits of an effect the pedal no longer runs.
    if (fxParameters_ != nullptr && fxParameters_->isVisible())
        fxParameters_->close();
    btnRequest->setEnabled(false);
    btnAssign->setEnabled(false);
    btnStoreSettingsOnPedal->setEnabled(false);
}

bool TformMain::select_running_effect(int category) {
    const qsizetype row =
        editor_.catalogue.resourceLines.indexOf(editor_.running.runningEffectName);
    if (row < 0)
        return false;
    lstCategory->setCurrentRow(category);
    selectedEffectRow_ = static_cast<int>(row);
    return true;
}

} // namespace brivo
