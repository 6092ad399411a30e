// Times an upgrade with FIRMWARE_5, from "Upgrade Firmware" to the read-back
// matched (the completion message), on the real clock:
// - against the in-process virtual pedal, beside the link's floor: every
//   byte's wire time both ways at 11 bits (8E1), the part's erase and
//   programming times, and one latency period of the bridge per answer
//   awaited. No pause counts in the floor.
// - through a pty pedal, beside stm32flash, a general bootloader client,
//   writing and verifying the same image through the same kind of pty pedal.
// Also measures the CPU the editor uses while it waits on a silent bootloader.
#include "app/Editor.h"
#include "app/Program.h"
#include "app/TformMain.h"
#include "catalogue/Resources.h"
#include "firmware/BootloaderClient.h"
#include "firmware/D2xxBootloaderLink.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareUpgrade.h"
#include "firmware/TformFirmwareUpgrade.h"
#include "link/ReplyRules.h"
#include "ptypedal/PtyPedalServer.h"
#include "support/PtyPedalHarness.h"
#include "support/RealTimeEditor.h"
#include "support/WaitForSession.h"
#include "virtualpedal/Bootloader.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <thread>

using namespace brivo;

namespace {

// 8E1: start, 8 data, parity, stop.
constexpr double kByteTimeMs = 11.0 / 115200 * 1000;
constexpr int kFirmware5Item = 1;
constexpr int kFileItem = 2;
constexpr int kUpgradeLatencyMs = 1;
// Answers awaited: Get; the erase's two ACKs; per block three for the write
// (command, address, data) and three for the read-back (command, address,
// ACK with the data).
constexpr int kGetAnswerBytes = 11;
constexpr int kAnswersPerWrite = 3;
constexpr int kAnswersPerRead = 3;

const QString kComplete = QString::fromLatin1(kUpgradeCompleteText);

struct Timed {
    double ms = 0;
    bool completed = false;
};

// Clicks "Upgrade Firmware" and times it to the completion message.
Timed clickAndTime(TformFirmwareUpgrade& window, test::ScriptedDialogs& dialogs) {
    dialogs.messages.clear();
    Timed timed;
    const double start = test::nowMs();
    double doneAt = 0;
    dialogs.onMessage = [&](const QString& text) {
        if (doneAt == 0 && text == kComplete)
            doneAt = test::nowMs();
    };
    window.btnUpgradeFirmware->click();
    // The upgrade runs on in the event loop until its conversation ends.
    QTimer tick;
    tick.start(50);
    while (window.upgradeRunning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    dialogs.onMessage = nullptr;
    timed.completed = doneAt > 0 && dialogs.messages.value(0) == kComplete;
    timed.ms = doneAt - start;
    return timed;
}

int inProcess(const QByteArray& image) {
    test::RealTimeEditor realTime;
    Program& program = realTime.program();
    test::ScriptedDialogs& dialogs = realTime.dialogs;
    const std::shared_ptr<VirtualPedal> pedal = realTime.pedal;
    TformMain& main = program.formMain();
    TformFirmwareUpgrade& window = program.formFirmwareUpgrade();

    pedal->enterBootloader();
    main.menuFirmwareUpgradeMode->trigger();
    test::waitForSession(realTime.editor().session);
    main.menuScan->trigger();
    test::waitForSession(realTime.editor().session);
    main.menuConnect->trigger();
    test::waitForSession(realTime.editor().session);
    if (dialogs.messages.last() != QStringLiteral("Connection to bootloader succeeded")) {
        std::fprintf(stderr, "no bootloader: %s\n", qPrintable(dialogs.messages.join(" | ")));
        return 2;
    }
    main.menuStartFirmwareUpgrade->trigger();
    test::waitForSession(realTime.editor().session);
    window.cmbFirmwareChoose->setCurrentIndex(kFirmware5Item);
    pedal->clearRecord();

    const double cpuStart = test::processCpuMs();
    const std::int64_t startUs = realTime.clock.nowUs();
    const Timed timed = clickAndTime(window, dialogs);
    const double cpu = test::processCpuMs() - cpuStart;
    if (!timed.completed) {
        std::fprintf(stderr, "upgrade failed: %s\n", qPrintable(dialogs.messages.join(" | ")));
        return 2;
    }
    const std::int64_t doneUs = startUs + static_cast<std::int64_t>(timed.ms * 1000);

    const auto blocks = static_cast<int>(split_image(image).chunks.size());
    std::size_t sent = 0;
    for (const WriteRecord& write : pedal->writesReceived())
        if (write.atUs <= doneUs)
            sent += write.bytes.size();
    const std::size_t received =
        kGetAnswerBytes + 2 + static_cast<std::size_t>(blocks) * kAnswersPerWrite +
        static_cast<std::size_t>(blocks) * kAnswersPerRead + static_cast<std::size_t>(image.size());
    const double wireMs = static_cast<double>(sent + received) * kByteTimeMs;
    const double partMs = Bootloader::kMassEraseUs / 1000.0 + static_cast<double>(image.size()) *
                                                                  Bootloader::kProgramUsPerByte /
                                                                  1000.0;
    const int answers = 1 + 2 + blocks * (kAnswersPerWrite + kAnswersPerRead);
    const double latencyMs = static_cast<double>(answers) * kUpgradeLatencyMs;
    const double floorMs = wireMs + partMs + latencyMs;

    std::printf("firmware upgrade, FIRMWARE_5 (%lld bytes, %d blocks, written and read back), "
                "in-process virtual pedal, real clock\n",
                static_cast<long long>(image.size()), blocks);
    std::printf("  wire time at 8E1, %5zu bytes out, %5zu in %8.1f ms\n", sent, received, wireMs);
    std::printf("  part: erase and programming                %8.1f ms\n", partMs);
    std::printf("  latency, %4d answers awaited x %d ms        %8.1f ms\n", answers,
                kUpgradeLatencyMs, latencyMs);
    std::printf("  floor                                      %8.1f ms\n", floorMs);
    std::printf("  measured, click to read-back matched       %8.1f ms\n", timed.ms);
    std::printf("  ratio measured / floor                     %8.2f  (target <= 1.10)\n",
                timed.ms / floorMs);
    std::printf("  CPU over the upgrade                       %8.1f ms = %.1f%% of one core\n", cpu,
                100.0 * cpu / timed.ms);

    // CPU while a step waits on a bootloader that has gone quiet.
    window.close();
    pedal->enterBootloader();
    main.menuDisconnect->trigger();
    test::waitForSession(realTime.editor().session);
    main.menuConnect->trigger();
    test::waitForSession(realTime.editor().session);
    pedal->setBootloaderFault({BootloaderFault::Step::Get, BootloaderFault::Action::Silence, {}});
    Editor& editor = realTime.editor();
    D2xxBootloaderLink link(editor.session.device(), editor.session.exchange(), realTime.clock);
    BootloaderClient client(link, editor.log);
    const double waitStart = test::nowMs();
    const double waitCpuStart = test::processCpuMs();
    bool timedOut = false;
    bool done = false;
    Task<std::vector<std::uint8_t>> get = client.get_commands();
    get.start([&] { done = true; });
    QTimer tick;
    tick.start(50);
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    try {
        get.result();
    } catch (const BootloaderError& e) {
        timedOut = e.fault() == ReplyFault::NoReply;
    }
    const double waitCpu = test::processCpuMs() - waitCpuStart;
    const double waited = test::nowMs() - waitStart;
    std::printf("silent bootloader: %s after %.0f ms; CPU %.1f ms = %.1f%% of one core\n",
                timedOut ? "timed out" : "did NOT time out", waited, waitCpu,
                100.0 * waitCpu / waited);
    return timedOut ? 0 : 1;
}

// The pty pedal as an upgrade finds it: in its bootloader, its client taken
// to speak 8E1, the bridge's timer at what the serial driver's low-latency
// flag gives a real ttyUSB.
void prepare(VirtualPedal& pedal) {
    pedal.setClientFollowsProcessor(true);
    pedal.setBridgeLatencyTimerMs(kUpgradeLatencyMs);
    pedal.enterBootloader();
}

bool flashHolds(const std::vector<std::uint8_t>& flash, const QByteArray& image) {
    return QByteArray(reinterpret_cast<const char*>(flash.data()), image.size()) == image;
}

Timed editorOverPty(const QString& imagePath, const QByteArray& image) {
    test::PtyPedalHarness h;
    std::string error;
    if (!h.start(error)) {
        std::fprintf(stderr, "no pty: %s\n", error.c_str());
        return {};
    }
    h.withPedal([](VirtualPedal& p) { prepare(p); });
    TformMain& main = h.program().formMain();
    PedalSession& session = h.editor().session;
    // Each command ends before the next is chosen, as a user waits for it.
    for (QAction* item : {main.menuFirmwareUpgradeMode, main.menuScan, main.menuConnect,
                          main.menuStartFirmwareUpgrade}) {
        item->trigger();
        test::waitForSession(session);
    }
    TformFirmwareUpgrade& window = h.program().formFirmwareUpgrade();
    h.dialogs.files = {imagePath};
    window.cmbFirmwareChoose->setCurrentIndex(kFileItem);
    Timed timed = clickAndTime(window, h.dialogs);
    if (!timed.completed)
        std::printf("  editor: %s\n", qPrintable(h.dialogs.messages.join(" | ")));
    timed.completed = timed.completed &&
                      flashHolds(h.withPedal([](VirtualPedal& p) { return p.flash(); }), image);
    return timed;
}

Timed stm32flashOverPty(const QString& program, const QString& imagePath, const QByteArray& image,
                        QString& output) {
    RealClock clock;
    PtyPedalServer server(clock);
    std::string error;
    if (!server.open(error)) {
        std::fprintf(stderr, "no pty: %s\n", error.c_str());
        return {};
    }
    server.withPedal([](VirtualPedal& p) { prepare(p); });
    std::thread serving([&] { server.run(); });
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // A pty drops parity: stm32flash reaches it only with -m 8n1.
    const QStringList arguments = {QStringLiteral("-b"), QStringLiteral("115200"),
                                   QStringLiteral("-m"), QStringLiteral("8n1"),
                                   QStringLiteral("-w"), imagePath,
                                   QStringLiteral("-v"), QString::fromStdString(server.path())};
    const double start = test::nowMs();
    process.start(program, arguments);
    const bool finished = process.waitForFinished(120000);
    Timed timed;
    timed.ms = test::nowMs() - start;
    output = QString::fromLocal8Bit(process.readAll());
    timed.completed =
        finished && process.exitCode() == 0 &&
        flashHolds(server.withPedal([](VirtualPedal& p) { return p.flash(); }), image);
    server.stop();
    serving.join();
    return timed;
}

int overPty(const QByteArray& standIn) {
    // A pty pedal is a device outside the editor: it gets no stand-in.
    QByteArray image = standIn;
    const QByteArray mark(kStandInMark);
    image.replace(mark, QByteArray(mark.size(), '\x55'));
    QTemporaryDir folder;
    const QString imagePath = QDir(folder.path()).filePath(QStringLiteral("firmware5.bin"));
    QFile file(imagePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
        return 2;
    file.close();

    const Timed editor = editorOverPty(imagePath, image);
    std::printf("through a pty pedal (bridge latency %d ms), write and verify FIRMWARE_5\n",
                kUpgradeLatencyMs);
    std::printf("  editor, click to read-back matched         %8.1f ms%s\n", editor.ms,
                editor.completed ? "" : "  (FAILED)");
    const QString program = QStandardPaths::findExecutable(QStringLiteral("stm32flash"));
    if (program.isEmpty()) {
        std::printf("  stm32flash                                 not installed\n");
        return editor.completed ? 0 : 1;
    }
    QString output;
    const Timed reference = stm32flashOverPty(program, imagePath, image, output);
    std::printf("  stm32flash -b 115200 -m 8n1 -w -v          %8.1f ms%s\n", reference.ms,
                reference.completed ? "" : "  (FAILED)");
    if (!reference.completed)
        std::printf("%s\n", qPrintable(output));
    std::printf("  ratio editor / stm32flash                  %8.2f  (target <= 1.10)\n",
                editor.ms / reference.ms);
    return editor.completed && reference.completed ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QByteArray image = *resources::find(QStringLiteral("FIRMWARE_5"));
    const int first = inProcess(image);
    const int second = overPty(image);
    return first != 0 ? first : second;
}
