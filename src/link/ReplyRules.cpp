#include "link/ReplyRules.h"

#include "link/LinkSettings.h"

#include <algorithm>

namespace brivo {

int linkTimeoutMs(std::int64_t bytesToMove, int allowanceMs) {
    const std::int64_t bits = std::max<std::int64_t>(bytesToMove, 0) * kLinkBitsPerByte;
    const std::int64_t transferMs = (bits * 1000 + kLinkBaudRate - 1) / kLinkBaudRate;
    return static_cast<int>(transferMs + allowanceMs);
}

QString noReplyLogLine(int timeoutMs) {
    return QStringLiteral("no reply from the pedal within %1 ms").arg(timeoutMs);
}

QString endlessReplyLogLine(int timeoutMs) {
    return QStringLiteral("reply from the pedal did not end within %1 ms").arg(timeoutMs);
}

QString slowReplyLogLine(int timeoutMs, std::int64_t bytesReceived) {
    return QStringLiteral("reply from the pedal too slow or incomplete: %1 bytes within %2 ms")
        .arg(bytesReceived)
        .arg(timeoutMs);
}

QString lateBytesLogLine(std::int64_t bytesDropped) {
    return QStringLiteral("late bytes from the pedal dropped: %1").arg(bytesDropped);
}

} // namespace brivo
