// brivo-editor: the desktop editor for the Tandrel Brivo pedal.
#include "app/AppIcon.h"
#include "app/AppIdentity.h"
#include "app/EditorOptions.h"
#include "app/Looks.h"
#include "app/Program.h"
#include "app/QtDialogs.h"
#include "app/TformMain.h"
#include "session/DriverOptions.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QStandardPaths>
#include <cstdio>

int main(int argc, char** argv) {
    brivo::EditorOptions options;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (const auto answer = options.textAnswerFor(arguments);
        answer != brivo::EditorOptions::TextAnswer::None) {
        // Help and version need no display: answer them before any window
        // system is asked for. Both print and end the program.
        QCoreApplication textOnly(argc, argv);
        brivo::configure_application();
        if (answer == brivo::EditorOptions::TextAnswer::Help)
            options.parser.showHelp(0);
        options.parser.showVersion();
    }

    // A large-text look draws every window larger, which Qt takes only before it starts.
    const bool scaledByLook = brivo::prepare_look_scale(
        QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
            .filePath(brivo::kMakerFolder));
    QApplication app(argc, argv);
    brivo::keep_look_scale_to_editor(scaledByLook);
    brivo::configure_application();
    // Desktops match the window to its desktop entry, and its icon, by this name.
    QApplication::setDesktopFileName(QStringLiteral("com.tandrel.BrivoEditor"));
    QApplication::setWindowIcon(brivo::app_icon());
    options.parser.process(app);

    brivo::RealClock clock;
    brivo::QtDialogs dialogs;
    brivo::Environment environment;
    environment.documentsFolder =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    environment.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    environment.versionCheckSite = options.parser.value(options.versionCheckSite);

    auto editor = std::make_unique<brivo::Editor>(clock, dialogs, environment);
    if (const QString fault =
            options.drivers.registerDrivers(options.parser, editor->session.driver(), clock);
        !fault.isEmpty()) {
        std::fprintf(stderr, "brivo-editor: %s\n", qPrintable(fault));
        return 2;
    }

    brivo::Program program(std::move(editor));
    program.formMain().show();
    return QApplication::exec();
}
