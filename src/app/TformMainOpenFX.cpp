// Open FX: asking the pedal what it runs.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "base/EditorError.h"
#include "catalogue/ResourceName.h"
#include "commands/IdentityReply.h"
#include "link/HexText.h"
#include "params/TformFXParameters.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <optional>

namespace brivo {

namespace {
constexpr int kOpenFXPauseMs = 100;
// The longest identity answer expected: a name and three numbers, in lines.
constexpr int kIdentityReplyMaxBytes = 64;
// How much of a refused answer the console shows.
constexpr int kIdentityLogMaxBytes = 256;
const QString kEffectListResource = QStringLiteral("effect_list");
} // namespace

void TformMain::btnOpenEffectClick() {
    if (runAfterLiveLoop(btnOpenEffect, [this] { btnOpenEffectClick(); }))
        return;
    std::optional<QByteArray> reply;
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
        reply = editor_.exchange.receiveReplyChecked(
            exchange, linkTimeoutMs(2 + kIdentityReplyMaxBytes, kReplyAllowanceMs));
    }
    // Whatever the reply says, the last status no longer tells what the
    // pedal holds: the effect may have changed or been reloaded.
    editor_.running.statusEffectName.clear();
    // A failed read was reported once by the device layer; nothing is parsed.
    if (!reply)
        return;
    parse_identity_reply(*reply);
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
    const IdentityParse parse = parse_identity_fields(reply);
    if (parse.fault != IdentityFault::None) {
        // The raw bytes help whoever reads the trace, not the player.
        const QByteArray shown = reply.left(kIdentityLogMaxBytes);
        editor_.log.log_line(
            QStringLiteral("identity reply refused (%1 bytes, hex): %2")
                .arg(reply.size())
                .arg(bytes_to_hex_text(reinterpret_cast<const std::uint8_t*>(shown.constData()),
                                       static_cast<int>(shown.size()))));
        // It may be the start of some other answer still on its way.
        editor_.exchange.expectLateBytes();
        throw EditorError(identity_fault_text(parse.fault));
    }
    RunningEffect& running = editor_.running;
    const IdentityFields& identity = parse.fields;
    running.runningEffectNumber = identity.effectNumber;
    running.runningEffectVersion = identity.effectVersion;
    running.firmwareVersion = identity.firmwareVersion;
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
