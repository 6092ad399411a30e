#pragma once

#include "link/d2xx/Driver.h"

#include <QSerialPort>
#include <QString>
#include <optional>
#include <vector>

namespace brivo::serial {

// What the system tells about one serial port, as far as the listing needs it.
struct PortFacts {
    QString systemLocation; // /dev/ttyUSB0, /dev/pts/3
    bool hasUsbIds = false;
    quint16 vendorId = 0;
    quint16 productId = 0;
    QString serialNumber;
    QString description;
};

// A listed port: the D2XX listing entry and the device path it opens.
struct ListedPort {
    ListedDevice device;
    QString systemLocation;
};

// USB ids of the pedal's FT230X bridge.
constexpr quint16 kFtdiVendorId = 0x0403;
constexpr quint16 kFt230xProductId = 0x6015;
// Shown for a port the user named that does not describe itself (a pty).
inline const char* const kNamedPortDescription = "FT230X Basic UART";

// The ports to list: every port of the system with the bridge's USB ids, in
// the system's order, then each port the user named that is not among them.
// A named port keeps its own serial number and description when it has them;
// otherwise its path serves as the serial number (that is what opens it) and
// the bridge's factory description stands for it, since the user said the
// pedal is there.
std::vector<ListedPort> listedPorts(const std::vector<PortFacts>& systemPorts,
                                    const std::vector<PortFacts>& namedPorts);

// Qt Serial Port's line settings for the D2XX codes; nullopt for an unknown code.
std::optional<QSerialPort::DataBits> serialDataBitsFor(UCHAR wordLength);
std::optional<QSerialPort::StopBits> serialStopBitsFor(UCHAR stopBits);
std::optional<QSerialPort::Parity> serialParityFor(UCHAR parity);

// The D2XX status of a Qt Serial Port error. A time-out only means nothing
// arrived, which is no failure.
FT_STATUS statusOfSerialError(QSerialPort::SerialPortError error);
// Errors after which the port is gone for good (unplugged, hung up).
bool isFatalSerialError(QSerialPort::SerialPortError error);

} // namespace brivo::serial
