#include "session/DriverOptions.h"

#include "link/DriverChoice.h"
#include "link/d2xx/D2xx.h"
#include "link/serial/SerialDriver.h"
#include "link/usb/UsbDriver.h"
#include "virtualpedal/VirtualDriver.h"

#include <QCommandLineParser>

namespace brivo {

DriverOptions::DriverOptions()
    : virtualPedal(QStringLiteral("virtual-pedal"),
                   QStringLiteral("List a virtual pedal beside real ones, to try the editor "
                                  "without hardware.")),
      virtualPedalBootloader(
          QStringLiteral("virtual-pedal-bootloader"),
          QStringLiteral("Like --virtual-pedal, with the pedal's processor waiting in its "
                         "bootloader, to try a firmware upgrade.")),
      driver(QStringLiteral("driver"),
             QStringLiteral("Reach the pedal through <driver> only: serial (the kernel's "
                            "/dev/ttyUSBn), usb (libusb) or virtual. By default the serial "
                            "port when the kernel holds the bridge, else libusb; a serial port "
                            "that will not open is reported, not taken through libusb."),
             QStringLiteral("driver")),
      port(QStringLiteral("port"),
           QStringLiteral("List the serial port <path> as a pedal (a pty of "
                          "brivo-virtual-pedal, say). May be given more than once."),
           QStringLiteral("path")) {}

void DriverOptions::addTo(QCommandLineParser& parser) const {
    parser.addOption(virtualPedal);
    parser.addOption(virtualPedalBootloader);
    parser.addOption(driver);
    parser.addOption(port);
}

QString DriverOptions::registerDrivers(const QCommandLineParser& parser, D2xx& d2xx,
                                       Clock& clock) const {
    const QString name = parser.value(driver);
    const std::optional<DriverKind> kind =
        name.isEmpty() ? DriverKind::Automatic : driverKindOf(name);
    if (!kind)
        return QStringLiteral("Unknown driver \"%1\": use serial, usb, virtual or auto.").arg(name);
    const QStringList ports = parser.values(port);
    if (!ports.isEmpty() && (*kind == DriverKind::Usb || *kind == DriverKind::Virtual))
        return QStringLiteral("--port names a serial port: it needs the serial driver.");

    switch (*kind) {
    case DriverKind::Automatic: {
        std::vector<std::unique_ptr<Driver>> drivers;
        drivers.push_back(std::make_unique<SerialDriver>(ports));
        drivers.push_back(std::make_unique<UsbDriver>());
        d2xx.addDriver(std::make_unique<FirstListingDriver>(std::move(drivers)));
        break;
    }
    case DriverKind::Serial:
        d2xx.addDriver(std::make_unique<SerialDriver>(ports));
        break;
    case DriverKind::Usb:
        d2xx.addDriver(std::make_unique<UsbDriver>());
        break;
    case DriverKind::Virtual:
        break;
    }
    const bool inBootloader = parser.isSet(virtualPedalBootloader);
    if (*kind == DriverKind::Virtual || parser.isSet(virtualPedal) || inBootloader) {
        auto pedals = std::make_unique<VirtualDriver>(clock);
        const auto pedal = pedals->addPedal();
        if (inBootloader)
            pedal->enterBootloader();
        d2xx.addDriver(std::move(pedals));
    }
    return {};
}

} // namespace brivo
