// Prints how long the editor takes from program start to its main window on
// screen, and the memory it holds at that point.
#include "app/Program.h"
#include "app/TformMain.h"
#include "support/ScriptedDialogs.h"
#include "virtualpedal/VirtualDriver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
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

    brivo::RealClock clock;
    brivo::test::ScriptedDialogs dialogs;
    QTemporaryDir documents;
    brivo::Environment environment;
    environment.documentsFolder = documents.path();
    auto editor = std::make_unique<brivo::Editor>(clock, dialogs, environment);
    auto driver = std::make_unique<brivo::VirtualDriver>(clock);
    driver->addPedal();
    editor->d2xx.addDriver(std::move(driver));

    brivo::Program program(std::move(editor));
    program.formMain().show();
    QApplication::processEvents();
    const double shownMs = sinceStart.nsecsElapsed() / 1e6;

    std::printf("platform: %s\n", qPrintable(QApplication::platformName()));
    std::printf("start-up to main window shown: %.1f ms\n", shownMs);
    std::printf("resident memory at that point: %ld KiB\n", residentKiB());
    return 0;
}
