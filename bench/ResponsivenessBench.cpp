// Prints the longest time the event loop goes without running while the
// editor uploads its largest effect and reads a 24-parameter status, on the
// real clock against the virtual pedal: the windows must stay responsive
// (target: under 20 ms).
#include "app/Editor.h"
#include "app/Program.h"
#include "app/TformMain.h"
#include "support/RealTimeEditor.h"
#include "support/WaitForSession.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace brivo;

namespace {

void clickItem(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    if (items.size() != 1) {
        std::fprintf(stderr, "no list item %s\n", qPrintable(text));
        std::exit(2);
    }
    list->setCurrentItem(items.first());
    emit list->itemClicked(items.first());
}

// A 1 ms timer notes the longest gap between its ticks while `work` runs
// and the session is busy.
double longestGapMs(PedalSession& session, const std::function<void()>& work) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    qint64 longest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    tick.start();
    QCoreApplication::processEvents();
    last = clock.nsecsElapsed();
    work();
    test::waitForSession(session);
    longest = std::max(longest, clock.nsecsElapsed() - last);
    return longest / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    test::RealTimeEditor realTime;
    Editor& editor = realTime.editor();
    TformMain& main = realTime.program().formMain();
    main.menuScan->trigger();
    main.menuConnect->trigger();
    test::waitForSession(editor.session);
    realTime.dialogs.messages.clear();

    clickItem(main.lstCategory, QStringLiteral("Other"));
    clickItem(main.lstEffects, QStringLiteral("Hall Reverb"));
    const double uploadGap = longestGapMs(editor.session, [&] { main.btnUpload->click(); });
    const double openGap = longestGapMs(editor.session, [&] { main.btnOpenEffect->click(); });
    const double requestGap = longestGapMs(editor.session, [&] { main.btnRequest->click(); });
    if (!realTime.dialogs.messages.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(realTime.dialogs.messages.join(" | ")));
        return 2;
    }
    std::printf("longest time the event loop did not run (target: under 20 ms):\n");
    std::printf("  upload of Hall Reverb  %6.1f ms\n", uploadGap);
    std::printf("  Open FX                %6.1f ms\n", openGap);
    std::printf("  status request         %6.1f ms\n", requestGap);
    return 0;
}
