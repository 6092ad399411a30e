#include "link/serial/SerialMapping.h"

#include <QCryptographicHash>
#include <algorithm>

namespace brivo::serial {

namespace {

// Enough of a hash to tell the few ports a user names apart.
constexpr int kPortKeyHexDigits = 12;

bool isBridge(const PortFacts& port) {
    return port.hasUsbIds && port.vendorId == kFtdiVendorId && port.productId == kFt230xProductId;
}

ListedPort listed(const PortFacts& port, bool named) {
    ListedPort entry;
    entry.systemLocation = port.systemLocation;
    QString serial = port.serialNumber;
    QString description = port.description;
    if (named && serial.isEmpty())
        serial =
            port.systemLocation.size() <= kSerialNumberMaxChars
                ? port.systemLocation
                : QStringLiteral("port-") +
                      QString::fromLatin1(QCryptographicHash::hash(port.systemLocation.toUtf8(),
                                                                   QCryptographicHash::Sha1)
                                              .toHex()
                                              .left(kPortKeyHexDigits));
    if (named && description.isEmpty())
        description = QString::fromLatin1(kNamedPortDescription);
    entry.device.serialNumber = serial.toStdString();
    entry.device.description = description.toStdString();
    return entry;
}

} // namespace

std::vector<ListedPort> listedPorts(const std::vector<PortFacts>& systemPorts,
                                    const std::vector<PortFacts>& namedPorts) {
    std::vector<ListedPort> ports;
    for (const PortFacts& port : systemPorts) {
        if (isBridge(port))
            ports.push_back(listed(port, false));
    }
    for (const PortFacts& port : namedPorts) {
        const bool known = std::any_of(ports.begin(), ports.end(), [&](const ListedPort& p) {
            return p.systemLocation == port.systemLocation;
        });
        if (!known && !port.systemLocation.isEmpty())
            ports.push_back(listed(port, true));
    }
    return ports;
}

std::optional<QSerialPort::DataBits> serialDataBitsFor(UCHAR wordLength) {
    switch (wordLength) {
    case FT_BITS_8:
        return QSerialPort::Data8;
    case FT_BITS_7:
        return QSerialPort::Data7;
    default:
        return std::nullopt;
    }
}

std::optional<QSerialPort::StopBits> serialStopBitsFor(UCHAR stopBits) {
    switch (stopBits) {
    case FT_STOP_BITS_1:
        return QSerialPort::OneStop;
    case FT_STOP_BITS_2:
        return QSerialPort::TwoStop;
    default:
        // One and a half stop bits exist on Windows only.
        return std::nullopt;
    }
}

std::optional<QSerialPort::Parity> serialParityFor(UCHAR parity) {
    switch (parity) {
    case FT_PARITY_NONE:
        return QSerialPort::NoParity;
    case FT_PARITY_ODD:
        return QSerialPort::OddParity;
    case FT_PARITY_EVEN:
        return QSerialPort::EvenParity;
    case FT_PARITY_MARK:
        return QSerialPort::MarkParity;
    case FT_PARITY_SPACE:
        return QSerialPort::SpaceParity;
    default:
        return std::nullopt;
    }
}

FT_STATUS statusOfSerialError(QSerialPort::SerialPortError error) {
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::TimeoutError:
        return FT_OK;
    case QSerialPort::DeviceNotFoundError:
        return FT_DEVICE_NOT_FOUND;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return FT_DEVICE_NOT_OPENED;
    case QSerialPort::NotOpenError:
        return FT_INVALID_HANDLE;
    case QSerialPort::WriteError:
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
        return FT_IO_ERROR;
    case QSerialPort::UnsupportedOperationError:
        return FT_NOT_SUPPORTED;
    case QSerialPort::UnknownError:
        break;
    }
    return FT_OTHER_ERROR;
}

OpenCause serialOpenCause(QSerialPort::SerialPortError error, bool exists, bool readWritable) {
    if (error == QSerialPort::NoError)
        return OpenCause::None;
    if (!exists || error == QSerialPort::DeviceNotFoundError)
        return OpenCause::Gone;
    if (error == QSerialPort::PermissionError)
        return readWritable ? OpenCause::Busy : OpenCause::Permission;
    return OpenCause::Other;
}

bool isFatalSerialError(QSerialPort::SerialPortError error) {
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError ||
           error == QSerialPort::WriteError;
}

} // namespace brivo::serial
