#pragma once

#include "session/PedalSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

namespace brivo::test {

// On the real clock: runs the event loop until no conversation holds the
// link (a minute at most), as a user waits for a command to end.
inline void waitForSession(const PedalSession& session) {
    const QDeadlineTimer deadline(60'000);
    while (session.busy() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    QCoreApplication::processEvents();
}

} // namespace brivo::test
