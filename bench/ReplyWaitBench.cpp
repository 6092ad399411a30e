// Prints the CPU the editor uses while it waits for a pedal that does not
// answer, on the real clock: the wait must leave the core to other work.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "support/RealTimeEditor.h"
#include "support/WaitForSession.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    brivo::test::RealTimeEditor realTime;
    realTime.program().formMain().menuConnect->trigger();
    brivo::test::waitForSession(realTime.editor().session);
    realTime.pedal->setSilent(true);

    brivo::Editor& e = realTime.editor();
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = brivo::test::processCpuMs();
    // Open FX on a silent pedal: its time-out is what ends this wait.
    e.session.identify();
    brivo::test::waitForSession(e.session);
    const double cpuUsedMs = brivo::test::processCpuMs() - cpuBefore;
    const double wallMs = wall.nsecsElapsed() / 1e6;
    std::printf("reply wait on a silent pedal: %.0f ms wall, %.1f ms CPU\n", wallMs, cpuUsedMs);
    std::printf("CPU while waiting: %.2f %% of one core (target: under 5 %%)\n",
                100.0 * cpuUsedMs / wallMs);
    return 0;
}
