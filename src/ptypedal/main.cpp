// brivo-virtual-pedal: a virtual Brivo pedal on a pseudo-terminal.
#include "ptypedal/PedalOptions.h"
#include "ptypedal/PtyPedalServer.h"

#include <QCoreApplication>
#include <QFile>
#include <csignal>
#include <cstdio>

namespace {
brivo::PtyPedalServer* runningServer = nullptr;

void stopOnSignal(int) {
    if (runningServer != nullptr)
        runningServer->stop();
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    if (brivo::asksForHelp(arguments)) {
        std::fputs(qPrintable(brivo::pedalOptionsHelp()), stdout);
        return 0;
    }
    QString fault;
    const auto options = brivo::parsePedalOptions(arguments, fault);
    if (!options) {
        std::fprintf(stderr, "brivo-virtual-pedal: %s\n%s", qPrintable(fault),
                     qPrintable(brivo::pedalOptionsHelp()));
        return 2;
    }

    if (!options->linkPath.isEmpty()) {
        if (const QString refusal = brivo::linkPathRefusal(options->linkPath); !refusal.isEmpty()) {
            std::fprintf(stderr, "brivo-virtual-pedal: %s\n", qPrintable(refusal));
            return 1;
        }
    }

    brivo::RealClock clock;
    brivo::PtyPedalServer server(clock);
    std::string error;
    if (!server.open(error)) {
        std::fprintf(stderr, "brivo-virtual-pedal: %s\n", error.c_str());
        return 1;
    }
    server.withPedal([&](brivo::VirtualPedal& pedal) { applyPedalOptions(*options, pedal); });
    if (!options->linkPath.isEmpty()) {
        QFile::remove(options->linkPath);
        if (!QFile::link(QString::fromStdString(server.path()), options->linkPath)) {
            std::fprintf(stderr, "brivo-virtual-pedal: cannot make the link %s\n",
                         qPrintable(options->linkPath));
            return 1;
        }
    }
    // The one line a script waits for: the path to connect to.
    std::printf("%s\n", server.path().c_str());
    std::fflush(stdout);

    runningServer = &server;
    std::signal(SIGINT, stopOnSignal);
    std::signal(SIGTERM, stopOnSignal);
    if (options->unplugAfterMs >= 0)
        server.unplugAfterMs(options->unplugAfterMs);
    server.run();
    runningServer = nullptr;
    // Only the link this run made, should someone have put another there since.
    if (!options->linkPath.isEmpty() &&
        brivo::isLinkTo(options->linkPath, QString::fromStdString(server.path())))
        QFile::remove(options->linkPath);
    return 0;
}
