#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace brivo {

class VirtualPedal;

// The virtual pedal's switches as brivo-virtual-pedal takes them.
struct PedalOptions {
    std::optional<int> firmwareVersion;
    bool silent = false;
    // The processor waits in its bootloader, ready for a firmware upgrade.
    bool bootloader = false;
    // A pty carries no parity, so the pedal cannot see its client's framing:
    // it takes the client to speak the bootloader's 8E1 to the bootloader
    // (as every bootloader client does), or 8N1 throughout.
    bool clientSpeaks8E1 = true;
    int replyDelayMs = 0;
    // The bridge's latency timer, when not its default.
    std::optional<int> latencyMs;
    int splitChunkBytes = 0;
    int splitGapMs = 0;
    // After this long the pty is closed, as a pedal pulled out (negative: never).
    int unplugAfterMs = -1;
    // A symbolic link made to the pty, for a path that stays the same.
    QString linkPath;
};

// Parses the arguments after the program name. On a fault returns nullopt
// and sets `fault` to a line for the user.
std::optional<PedalOptions> parsePedalOptions(const QStringList& arguments, QString& fault);
QString pedalOptionsHelp();
// True for the arguments that ask for the help text.
bool asksForHelp(const QStringList& arguments);

// Why --link may not use `path`, or empty when it may: a path that does not
// exist, or a link to a pty that is gone, as an ended run leaves it (it is
// replaced). Anything else there (a user's file, a folder, another link, a
// link to a live pty that may be another pedal's) stays.
QString linkPathRefusal(const QString& path);
// True when `path` is a link to the pty `ptyPath`: the link this run made,
// which it removes when it ends.
bool isLinkTo(const QString& path, const QString& ptyPath);

// Switches the pedal's faults and firmware version on as asked.
void applyPedalOptions(const PedalOptions& options, VirtualPedal& pedal);

} // namespace brivo
