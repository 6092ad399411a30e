// Prints what the serial-port driver costs over a real pty: the CPU of a reply
// wait on a silent pedal (the wait must sleep, not poll), and the upload of
// the catalogue's largest program against the time its bytes need on the wire.
#include "app/TformMain.h"
#include "base/EditorError.h"
#include "link/LinkSettings.h"
#include "support/EditorHarness.h"
#include "support/PtyPedalHarness.h"
#include "support/RealTimeEditor.h"
#include "support/WaitForSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <cstdio>
#include <ctime>

namespace {

// Long enough that the wait itself, not its start and end, is measured.

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// The editor waits for an answer that never comes, until its time-out.
void idleWait(brivo::test::PtyPedalHarness& h) {
    h.withPedal([](brivo::VirtualPedal& p) { p.setSilent(true); });
    brivo::Editor& e = h.editor();
    QElapsedTimer wall;
    wall.start();
    const double processBefore = brivo::test::processCpuMs();
    const double editorBefore = threadCpuMs();
    // Open FX on a silent pedal: its time-out is what ends this wait.
    e.session.identify();
    brivo::test::waitForSession(e.session);
    const double editorMs = threadCpuMs() - editorBefore;
    const double processMs = brivo::test::processCpuMs() - processBefore;
    const double wallMs = wall.nsecsElapsed() / 1e6;
    std::printf("reply wait on a silent pedal over the pty: %.0f ms wall\n", wallMs);
    std::printf("  editor thread: %.1f ms CPU = %.2f %% of one core (target: under 1 %%)\n",
                editorMs, 100.0 * editorMs / wallMs);
    std::printf("  editor and pty server together: %.1f ms CPU = %.2f %%\n", processMs,
                100.0 * processMs / wallMs);
    h.withPedal([](brivo::VirtualPedal& p) { p.setSilent(false); });
}

void largestUpload(brivo::test::PtyPedalHarness& h) {
    brivo::TformMain& main = h.program().formMain();
    brivo::test::clickListItem(main.lstCategory, QStringLiteral("Other"));
    brivo::test::clickListItem(main.lstEffects, QStringLiteral("Hall Reverb"));
    QElapsedTimer wall;
    wall.start();
    const double editorBefore = threadCpuMs();
    main.btnUpload->click();
    brivo::test::waitForSession(h.editor().session);
    const double wallMs = wall.nsecsElapsed() / 1e6;
    const double editorMs = threadCpuMs() - editorBefore;
    const std::size_t bytes =
        h.withPedal([](brivo::VirtualPedal& p) { return p.lastUpload().size(); });
    const double wireMs = bytes * brivo::kLinkByteTimeUs / 1000.0;
    std::printf("upload of Hall Reverb (%zu bytes) over the pty: %.0f ms, wire time %.0f ms "
                "(+%.0f ms: the pedal's work, the answer and its quiet time)\n",
                bytes, wallMs, wireMs, wallMs - wireMs);
    std::printf("  status: \"%s\"; editor thread %.1f ms CPU = %.2f %% of one core\n",
                qPrintable(main.lblStatus->text().remove(QChar(0))), editorMs,
                100.0 * editorMs / wallMs);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    brivo::test::PtyPedalHarness h;
    std::string error;
    if (!h.start(error)) {
        std::printf("no pseudo-terminal: %s\n", error.c_str());
        return 1;
    }
    h.connect();
    idleWait(h);
    largestUpload(h);
    return 0;
}
