// brivo-cli: the pedal session for scripts and terminals.
#include "base/Clock.h"
#include "cli/Cli.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brivo-cli"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    brivo::RealClock clock;
    brivo::cli::Cli cli(clock, out, err);
    brivo::Task<int> task = cli.run(QCoreApplication::arguments());
    bool done = false;
    int status = brivo::cli::kExitFailed;
    task.start([&] {
        done = true;
        status = task.result();
        QCoreApplication::exit(status);
    });
    // A command without the pedal may finish before the event loop starts.
    if (!done)
        QCoreApplication::exec();
    return status;
}
