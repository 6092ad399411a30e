// Open FX: asking the pedal what it runs.
#include "base/EditorError.h"
#include "base/Log.h"
#include "catalogue/Resources.h"
#include "commands/IdentityReply.h"
#include "link/HexText.h"
#include "link/ReplyRules.h"
#include "session/PedalSession.h"

namespace brivo {

namespace {
constexpr int kOpenFXPauseMs = 100;
// The longest identity answer expected: a name and three numbers, in lines.
constexpr int kIdentityReplyMaxBytes = 64;
// How much of a refused answer the console shows.
constexpr int kIdentityLogMaxBytes = 256;
const QString kEffectListResource = QStringLiteral("effect_list");
} // namespace

void PedalSession::identify() {
    start(Conversation::Identify, [this] { return identifyConversation(); });
}

Task<> PedalSession::identifyConversation() {
    device_.txBuffer[0] = 0x05;
    device_.txBuffer[1] = 0x00;
    // A late answer to an earlier command must not pass for the identity.
    device_.PurgeFTDeviceRX();
    co_await exchange_.purgeTx();
    device_.WriteFTDevice(2);
    co_await exchange_.pauseMs(kOpenFXPauseMs);
    const std::optional<QByteArray> reply =
        co_await exchange_.receiveReply(linkTimeoutMs(2 + kIdentityReplyMaxBytes));
    // Whatever the reply says, the last status no longer tells what the
    // pedal holds: the effect may have changed or been reloaded.
    running_.statusEffectName.clear();
    // A failed read was reported once by the device layer; nothing is parsed.
    if (!reply)
        co_return;
    parseIdentityReply(*reply);
    lookupRunningEffect();
    emit identified();
}

void PedalSession::parseIdentityReply(const QByteArray& reply) {
    const IdentityParse parse = parse_identity_fields(reply);
    if (parse.fault != IdentityFault::None) {
        // The raw bytes help whoever reads the trace, not the player.
        const QByteArray shown = reply.left(kIdentityLogMaxBytes);
        log_.log_line(
            QStringLiteral("identity reply refused (%1 bytes, hex): %2")
                .arg(reply.size())
                .arg(bytes_to_hex_text(reinterpret_cast<const std::uint8_t*>(shown.constData()),
                                       static_cast<int>(shown.size()))));
        // It may be the start of some other answer still on its way.
        exchange_.expectLateBytes();
        throw EditorError(identity_fault_text(parse.fault));
    }
    const IdentityFields& identity = parse.fields;
    running_.runningEffectNumber = identity.effectNumber;
    running_.runningEffectVersion = identity.effectVersion;
    running_.firmwareVersion = identity.firmwareVersion;
    for (const QString& line : identity_log_lines(identity))
        log_.log_line(line);
    emit firmwareVersionRead(running_.firmwareVersion);
}

void PedalSession::lookupRunningEffect() {
    const QStringList lines = resources::load_resource_lines(kEffectListResource);
    const int number = running_.runningEffectNumber;
    if (number < 0 || number >= lines.size()) {
        forgetRunningEffect();
        throw EditorError(QStringLiteral("List index out of bounds (%1)").arg(number));
    }
    const QString& line = lines.at(number);
    log_.log_line(line);
    if (number == 0) {
        forgetRunningEffect();
        throw EditorError(QStringLiteral(
            "The pedal has no effect loaded. Choose an effect, upload it, then click Open FX."));
    }
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    running_.runningEffectName = colon < 0 ? line : line.mid(colon + 1);
    log_.log_line(QStringLiteral("effetto ottenuto dalla lista: ") + running_.runningEffectName);
}

void PedalSession::forgetRunningEffect() {
    running_.runningEffectName.clear();
    running_.statusEffectName.clear();
    emit runningEffectForgotten();
}

} // namespace brivo
