#include "ptypedal/PedalOptions.h"

#include "virtualpedal/VirtualPedal.h"

#include <QFileInfo>

namespace brivo {

namespace {
std::optional<int> number(const QString& text, int min) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < min)
        return std::nullopt;
    return value;
}
} // namespace

QString pedalOptionsHelp() {
    return QStringLiteral(
        "Usage: brivo-virtual-pedal [options]\n"
        "Serves a virtual Brivo pedal on a pseudo-terminal and prints its path.\n"
        "Connect with: brivo-editor --driver serial --port <path>\n\n"
        "  --firmware-version N     firmware version the pedal reports\n"
        "  --bootloader             start in the processor's bootloader (for an upgrade)\n"
        "  --bootloader-framing F   the framing the client is taken to use with the\n"
        "                           bootloader, which a pty cannot show: 8e1 (the default,\n"
        "                           as every bootloader client sets) or 8n1 (bytes sent\n"
        "                           back to back are then misframed, even-weight answers\n"
        "                           lost)\n"
        "  --latency-ms N           the bridge's latency timer, 1 to 255 ms (default 16);\n"
        "                           a host's serial driver sets it, which a pty cannot carry\n"
        "  --silent                 act on every message but never answer\n"
        "  --reply-delay-ms N       wait N ms before every answer\n"
        "  --split-replies B:G      send answers in pieces of B bytes, G ms apart\n"
        "  --unplug-after-ms N      close the pty after N ms, as a pedal pulled out\n"
        "  --link PATH              also make PATH a symbolic link to the pty\n"
        "  -h, --help               show this text\n");
}

bool asksForHelp(const QStringList& arguments) {
    return arguments.contains(QStringLiteral("--help")) || arguments.contains(QStringLiteral("-h"));
}

QString linkPathRefusal(const QString& path) {
    const QFileInfo info(path);
    // exists() follows the link: a link whose pty is gone is not "there".
    if (!info.isSymLink() && !info.exists())
        return {};
    // A link to a pty that is gone was left by a run that ended; one to a
    // live pty may be another pedal's, and stays.
    if (info.isSymLink() && !info.exists() &&
        info.symLinkTarget().startsWith(QStringLiteral("/dev/pts/")))
        return {};
    return path + QStringLiteral(" exists and is not a link to a pty that is gone: choose "
                                 "another --link path");
}

bool isLinkTo(const QString& path, const QString& ptyPath) {
    const QFileInfo info(path);
    return info.isSymLink() && info.symLinkTarget() == ptyPath;
}

std::optional<PedalOptions> parsePedalOptions(const QStringList& arguments, QString& fault) {
    PedalOptions options;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& name = arguments[i];
        const auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= arguments.size())
                return std::nullopt;
            return arguments[++i];
        };
        const auto bad = [&](const QString& why) {
            fault = name + QStringLiteral(": ") + why;
            return std::nullopt;
        };
        if (name == QLatin1String("--silent")) {
            options.silent = true;
        } else if (name == QLatin1String("--bootloader")) {
            options.bootloader = true;
        } else if (name == QLatin1String("--firmware-version") ||
                   name == QLatin1String("--reply-delay-ms") ||
                   name == QLatin1String("--unplug-after-ms")) {
            const auto text = value();
            const auto n = text ? number(*text, 0) : std::nullopt;
            if (!n)
                return bad(QStringLiteral("needs a number of 0 or more"));
            if (name == QLatin1String("--firmware-version"))
                options.firmwareVersion = *n;
            else if (name == QLatin1String("--reply-delay-ms"))
                options.replyDelayMs = *n;
            else
                options.unplugAfterMs = *n;
        } else if (name == QLatin1String("--latency-ms")) {
            const auto text = value();
            const auto n = text ? number(*text, 1) : std::nullopt;
            if (!n || *n > 255)
                return bad(QStringLiteral("needs a number from 1 to 255"));
            options.latencyMs = *n;
        } else if (name == QLatin1String("--split-replies")) {
            const auto text = value();
            const QStringList parts = text ? text->split(QLatin1Char(':')) : QStringList();
            const auto bytes = parts.size() == 2 ? number(parts[0], 1) : std::nullopt;
            const auto gap = parts.size() == 2 ? number(parts[1], 0) : std::nullopt;
            if (!bytes || !gap)
                return bad(QStringLiteral("needs BYTES:GAP_MS, e.g. 8:20"));
            options.splitChunkBytes = *bytes;
            options.splitGapMs = *gap;
        } else if (name == QLatin1String("--bootloader-framing")) {
            const QString text = value().value_or(QString()).toLower();
            if (text != QLatin1String("8e1") && text != QLatin1String("8n1"))
                return bad(QStringLiteral("needs 8e1 or 8n1"));
            options.clientSpeaks8E1 = text == QLatin1String("8e1");
        } else if (name == QLatin1String("--link")) {
            const auto text = value();
            if (!text || text->isEmpty())
                return bad(QStringLiteral("needs a path"));
            options.linkPath = *text;
        } else {
            fault = QStringLiteral("unknown option ") + name;
            return std::nullopt;
        }
    }
    return options;
}

void applyPedalOptions(const PedalOptions& options, VirtualPedal& pedal) {
    if (options.firmwareVersion)
        pedal.setFirmwareVersion(*options.firmwareVersion);
    pedal.setSilent(options.silent);
    pedal.setReplyDelayMs(options.replyDelayMs);
    pedal.setSplitReplies(options.splitChunkBytes, options.splitGapMs);
    // The pty's line settings are always 8N1: following the processor means
    // 8E1 with the bootloader.
    pedal.setClientFollowsProcessor(options.clientSpeaks8E1);
    if (options.latencyMs)
        pedal.setBridgeLatencyTimerMs(static_cast<UCHAR>(*options.latencyMs));
    if (options.bootloader)
        pedal.enterBootloader();
}

} // namespace brivo
