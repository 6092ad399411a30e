// Prints the CPU the editor uses while it waits for a pedal that does not
// answer, on the real clock: the wait must leave the core to other work.
#include "app/Program.h"
#include "app/TformMain.h"
#include "base/EditorError.h"
#include "support/ScriptedDialogs.h"
#include "virtualpedal/VirtualDriver.h"
#include "virtualpedal/VirtualPedal.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <sys/resource.h>

namespace {

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv) {
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
    auto pedal = driver->addPedal();
    editor->d2xx.addDriver(std::move(driver));
    brivo::Program program(std::move(editor));
    program.formMain().show();
    program.formMain().menuConnect->trigger();
    pedal->setSilent(true);

    brivo::Editor& e = program.editor();
    e.exchange.send(QStringLiteral("0500"), 2, true, 0);
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = cpuSeconds();
    try {
        e.exchange.receive_reply();
    } catch (const brivo::EditorError&) {
        // The time-out is what ends this wait.
    }
    const double cpuUsed = cpuSeconds() - cpuBefore;
    const double wallSeconds = wall.nsecsElapsed() / 1e9;
    std::printf("reply wait on a silent pedal: %.2f s wall, %.3f s CPU\n", wallSeconds, cpuUsed);
    std::printf("CPU while waiting: %.2f %% of one core (target: under 5 %%)\n",
                100.0 * cpuUsed / wallSeconds);
    return 0;
}
