// brivo-editor: the desktop editor for the Tandrel Brivo pedal.
#include "app/Program.h"
#include "app/QtDialogs.h"
#include "app/TformMain.h"
#include "link/usb/UsbDriver.h"
#include "virtualpedal/VirtualDriver.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDesktopServices>
#include <QStandardPaths>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("brivo-editor"));
    QApplication::setApplicationDisplayName(QStringLiteral("Tandrel Editor"));
    QApplication::setApplicationVersion(QStringLiteral(BRIVO_VERSION_TEXT));

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Editor for the Tandrel Brivo effects pedal."));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption virtualPedal(
        QStringLiteral("virtual-pedal"),
        QStringLiteral(
            "List a virtual pedal beside real ones, to try the editor without hardware."));
    options.addOption(virtualPedal);
    const QCommandLineOption virtualPedalBootloader(
        QStringLiteral("virtual-pedal-bootloader"),
        QStringLiteral("Like --virtual-pedal, with the pedal's processor waiting in its "
                       "bootloader, to try a firmware upgrade."));
    options.addOption(virtualPedalBootloader);
    options.process(app);

    brivo::RealClock clock;
    brivo::QtDialogs dialogs;
    brivo::Environment environment;
    environment.documentsFolder =
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    environment.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };

    auto editor = std::make_unique<brivo::Editor>(clock, dialogs, environment);
    editor->d2xx.addDriver(std::make_unique<brivo::UsbDriver>());
    if (options.isSet(virtualPedal) || options.isSet(virtualPedalBootloader)) {
        auto driver = std::make_unique<brivo::VirtualDriver>(clock);
        const auto pedal = driver->addPedal();
        if (options.isSet(virtualPedalBootloader))
            pedal->enterBootloader();
        editor->d2xx.addDriver(std::move(driver));
    }

    brivo::Program program(std::move(editor));
    program.formMain().show();
    return QApplication::exec();
}
