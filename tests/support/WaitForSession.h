#pragma once

#include "session/PedalSession.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace brivo::test {

// On the real clock: runs the event loop until no conversation holds the
// link (a minute at most), as a user waits for a command to end.
inline void waitForSession(const PedalSession& session) {
    const QDeadlineTimer deadline(60'000);
    // Sleeps in the event loop between events, as the program's own loop
    // does (the timed overload of processEvents never sleeps); the tick only
    // bounds a wait that nothing would end.
    QTimer tick;
    tick.start(50);
    while (session.busy() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QCoreApplication::processEvents();
}

} // namespace brivo::test
