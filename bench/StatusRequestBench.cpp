// Times "Request" from the click to the applied window for a 24-parameter
// effect, on the real clock against the virtual pedal, and measures the CPU a
// command uses while it waits for a pedal that does not answer.
#include "app/Editor.h"
#include "app/Program.h"
#include "app/TformMain.h"
#include "link/ReplyRules.h"
#include "params/StatusDisplay.h"
#include "params/TformFXParameters.h"
#include "support/RealTimeEditor.h"
#include "support/WaitForSession.h"
#include "virtualpedal/StatusRecord.h"
#include "virtualpedal/VirtualDriver.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <numeric>
#include <vector>

using namespace brivo;

namespace {

constexpr int kRuns = 10;
constexpr int kParams = 24;
constexpr double kStatusPauseMs = 200.0;
constexpr double kAllowanceMs = 30.0;
constexpr double kByteTimeUs = 86.8;
constexpr int kLineBytesAtMost = 5;

void clickItem(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> items = list->findItems(text, Qt::MatchExactly);
    if (items.size() != 1) {
        std::fprintf(stderr, "no list item %s\n", qPrintable(text));
        std::exit(2);
    }
    list->setCurrentItem(items.first());
    emit list->itemClicked(items.first());
}

void requireNoMessages(test::ScriptedDialogs& dialogs, const char* step) {
    if (!dialogs.messages.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", step, qPrintable(dialogs.messages.join(" | ")));
        std::exit(2);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    test::RealTimeEditor realTime;
    Program& program = realTime.program();
    Editor& editor = realTime.editor();
    test::ScriptedDialogs& dialogs = realTime.dialogs;
    const std::shared_ptr<VirtualPedal> pedal = realTime.pedal;
    TformMain& main = program.formMain();

    main.menuScan->trigger();
    test::waitForSession(editor.session);
    main.menuConnect->trigger();
    test::waitForSession(editor.session);
    dialogs.messages.clear();
    clickItem(main.lstCategory, QStringLiteral("Other"));
    clickItem(main.lstEffects, QStringLiteral("Drive + Delay"));
    main.btnUpload->click();
    test::waitForSession(editor.session);
    main.btnOpenEffect->click();
    test::waitForSession(editor.session);
    requireNoMessages(dialogs, "upload and Open FX");
    if (editor.session.params().paramCount != kParams) {
        std::fprintf(stderr, "expected %d parameters, got %u\n", kParams,
                     editor.session.params().paramCount);
        return 2;
    }
    // Values the window does not show yet, so the first request moves controls.
    for (int i = 0; i < kParams; ++i)
        pedal->setParameterValue(i, (i * 97) % 1024);

    std::vector<double> runs;
    for (int run = 0; run <= kRuns; ++run) {
        const double start = test::nowMs();
        main.btnRequest->click();
        test::waitForSession(editor.session);
        const double took = test::nowMs() - start;
        requireNoMessages(dialogs, "Request");
        if (run > 0) // the first one also sends every moved pot back
            runs.push_back(took);
        else
            std::printf("first request (pots move and send back): %.1f ms\n", took);
    }

    const int lines = 4 * kParams + 288;
    const double byteTimeMs = lines * kLineBytesAtMost * kByteTimeUs / 1000.0;
    const double budgetMs = kStatusPauseMs + byteTimeMs + kAllowanceMs;
    const std::size_t replyBytes =
        statusRecordText(buildStatusRecord(pedal->settings(), kParams)).size();
    const double mean = std::accumulate(runs.begin(), runs.end(), 0.0) / runs.size();
    const auto [lo, hi] = std::minmax_element(runs.begin(), runs.end());

    // The apply steps alone, on the same status.
    const double applyStart = test::nowMs();
    TformFXParameters& fx = program.formFXParameters();
    apply_status_values(fx, editor.session.params(), editor.session.statusBytes());
    apply_status_assignments(fx, editor.session.params(), editor.session.statusBytes());
    apply_status_reverse_flags(fx, editor.session.params(), editor.session.statusBytes());
    apply_status_limits(fx, editor.session.params(), editor.session.statusBytes());
    fx.EnableDisableControls(true);
    const double applyMs = test::nowMs() - applyStart;

    std::printf("status request, %d parameters, %d runs on the real clock\n", kParams, kRuns);
    std::printf("  pause after the request                  %8.1f ms\n", kStatusPauseMs);
    std::printf(
        "  byte time of the reply, at most          %8.1f ms  (%d lines x %d bytes x %.1f us)\n",
        byteTimeMs, lines, kLineBytesAtMost, kByteTimeUs);
    std::printf("  allowance                                %8.1f ms\n", kAllowanceMs);
    std::printf("  budget                                   %8.1f ms\n", budgetMs);
    std::printf("  measured, click to applied window, mean  %8.1f ms  (min %.1f, max %.1f)\n", mean,
                *lo, *hi);
    std::printf("  ratio measured / budget                  %8.2f\n", mean / budgetMs);
    std::printf(
        "  reply actually sent                      %8.1f ms  (%zu bytes; it travels during "
        "the pause)\n",
        replyBytes * kByteTimeUs / 1000.0, replyBytes);
    std::printf("  apply steps alone, nothing to move       %8.1f ms\n", applyMs);

    // CPU while Open FX waits for a pedal that never answers.
    pedal->setSilent(true);
    dialogs.messages.clear();
    const double wallStart = test::nowMs();
    const double cpuStart = test::processCpuMs();
    main.btnOpenEffect->click();
    test::waitForSession(editor.session);
    const double cpuUsed = test::processCpuMs() - cpuStart;
    const double wall = test::nowMs() - wallStart;
    const bool timedOut = dialogs.messages == QStringList{QString::fromLatin1(kNoReplyText)};
    std::printf("Open FX on a silent pedal: %s after %.0f ms; CPU %.1f ms = %.1f%% of one core\n",
                timedOut ? "timed out" : "did NOT time out", wall, cpuUsed, 100.0 * cpuUsed / wall);
    return timedOut ? 0 : 1;
}
