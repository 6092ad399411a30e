#pragma once

#include "link/d2xx/Driver.h"

#include <QEventLoop>
#include <QTimer>

namespace brivo::test {

// Runs the event loop until the port's notice that bytes arrived (true) or
// until `timeoutMs` has passed (false), as a conversation waits.
inline bool waitForNotice(Port& port, int timeoutMs) {
    QEventLoop loop;
    bool noticed = false;
    port.setReceiveNotifier([&] {
        noticed = true;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!noticed)
        loop.exec();
    port.setReceiveNotifier({});
    return noticed;
}

} // namespace brivo::test
