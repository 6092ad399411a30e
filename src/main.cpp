// brivo-editor: the desktop editor for the Tandrel Brivo pedal.
#include "app/AppIdentity.h"
#include "app/DriverOptions.h"
#include "app/Program.h"
#include "app/QtDialogs.h"
#include "app/TformMain.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDesktopServices>
#include <QStandardPaths>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    brivo::configure_application();

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Editor for the Tandrel Brivo effects pedal."));
    options.addHelpOption();
    options.addVersionOption();
    const brivo::DriverOptions driverOptions;
    driverOptions.addTo(options);
    options.process(app);

    brivo::RealClock clock;
    brivo::QtDialogs dialogs;
    brivo::Environment environment;
    environment.documentsFolder =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    environment.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    auto editor = std::make_unique<brivo::Editor>(clock, dialogs, environment);
    if (const QString fault = driverOptions.registerDrivers(options, editor->d2xx, clock);
        !fault.isEmpty()) {
        std::fprintf(stderr, "brivo-editor: %s\n", qPrintable(fault));
        return 2;
    }

    brivo::Program program(std::move(editor));
    program.formMain().show();
    return QApplication::exec();
}
