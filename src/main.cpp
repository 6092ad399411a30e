// brivo-editor: the desktop editor for the Tandrel Brivo pedal.
#include "app/AppIcon.h"
#include "app/AppIdentity.h"
#include "app/Looks.h"
#include "app/Program.h"
#include "app/QtDialogs.h"
#include "app/TformMain.h"
#include "session/DriverOptions.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <cstdio>

int main(int argc, char** argv) {
    // A large-text look draws every window larger, which Qt takes only before it starts.
    brivo::prepare_look_scale(
        QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
            .filePath(brivo::kMakerFolder));
    QApplication app(argc, argv);
    brivo::configure_application();
    // Desktops match the window to its desktop entry, and its icon, by this name.
    QApplication::setDesktopFileName(QStringLiteral("com.tandrel.BrivoEditor"));
    QApplication::setWindowIcon(brivo::app_icon());

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Editor for the Tandrel Brivo effects pedal."));
    options.addHelpOption();
    options.addVersionOption();
    const brivo::DriverOptions driverOptions;
    driverOptions.addTo(options);
    const QCommandLineOption versionCheckSite(
        QStringLiteral("version-check-site"),
        QStringLiteral("Ask this web site (https://host) for the latest version once at start; "
                       "an empty address turns the check off. Default: \"%1\".")
            .arg(QStringLiteral(BRIVO_VERSION_CHECK_SITE)),
        QStringLiteral("address"), QStringLiteral(BRIVO_VERSION_CHECK_SITE));
    options.addOption(versionCheckSite);
    options.process(app);

    brivo::RealClock clock;
    brivo::QtDialogs dialogs;
    brivo::Environment environment;
    environment.documentsFolder =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    environment.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    environment.versionCheckSite = options.value(versionCheckSite);

    auto editor = std::make_unique<brivo::Editor>(clock, dialogs, environment);
    if (const QString fault =
            driverOptions.registerDrivers(options, editor->session.driver(), clock);
        !fault.isEmpty()) {
        std::fprintf(stderr, "brivo-editor: %s\n", qPrintable(fault));
        return 2;
    }

    brivo::Program program(std::move(editor));
    program.formMain().show();
    return QApplication::exec();
}
