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
// The device layer hands at most this many characters of a serial number to
// the open call, so a longer path cannot serve as one.
constexpr int kSerialNumberMaxChars = 49;

// The ports to list: every port of the system with the bridge's USB ids, in
// the system's order, then each port the user named that is not among them.
// Ports are compared by location, so give every location resolved (links
// followed): a link to a listed port is that port. A named port keeps its own
// serial number and description when it has them; otherwise its path serves
// as the serial number (that is what opens it; a path too long for the open
// call gets a short key made from it) and the bridge's factory description
// stands for it, since the user said the pedal is there.
std::vector<ListedPort> listedPorts(const std::vector<PortFacts>& systemPorts,
                                    const std::vector<PortFacts>& namedPorts);

// Qt Serial Port's line settings for the D2XX codes; nullopt for an unknown code.
std::optional<QSerialPort::DataBits> serialDataBitsFor(UCHAR wordLength);
std::optional<QSerialPort::StopBits> serialStopBitsFor(UCHAR stopBits);
std::optional<QSerialPort::Parity> serialParityFor(UCHAR parity);

// The D2XX status of a Qt Serial Port error. A time-out only means nothing
// arrived, which is no failure.
FT_STATUS statusOfSerialError(QSerialPort::SerialPortError error);
// Why a port would not open. Qt reports a port held by another program (its
// lock file, or exclusive mode) as a permission error, like a port this user
// may not open; what the file allows tells them apart.
OpenCause serialOpenCause(QSerialPort::SerialPortError error, bool exists, bool readWritable);

// Errors after which the port is gone for good (unplugged, hung up).
bool isFatalSerialError(QSerialPort::SerialPortError error);

} // namespace brivo::serial
