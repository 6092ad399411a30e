// Prints how long the editor takes from program start to its main window on
// screen, and the memory it holds at that point.
#include "support/RealTimeEditor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace {

long residentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    brivo::test::RealTimeEditor realTime;
    QApplication::processEvents();
    const double shownMs = sinceStart.nsecsElapsed() / 1e6;

    std::printf("platform: %s\n", qPrintable(QApplication::platformName()));
    std::printf("start-up to main window shown: %.1f ms\n", shownMs);
    std::printf("resident memory at that point: %ld KiB\n", residentKiB());
    return 0;
}
