#pragma once

#include <QCommandLineOption>
#include <QString>

class QCommandLineParser;

namespace brivo {

class Clock;
class D2xx;

// The command-line options that choose how a front end (the editor, brivo-cli)
// reaches a pedal:
// --virtual-pedal, --virtual-pedal-bootloader, --driver serial|usb|virtual|auto and --port PATH.
struct DriverOptions {
    DriverOptions();
    void addTo(QCommandLineParser& parser) const;
    // Registers the drivers the options ask for. An error text for the user
    // when they contradict each other or name no driver; empty when all is well.
    QString registerDrivers(const QCommandLineParser& parser, D2xx& d2xx, Clock& clock) const;

    QCommandLineOption virtualPedal;
    QCommandLineOption virtualPedalBootloader;
    QCommandLineOption driver;
    QCommandLineOption port;
};

} // namespace brivo
