#include "link/serial/SerialDriver.h"

#include "link/serial/TtyPort.h"

#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

#include <unistd.h>

#ifdef __linux__
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace brivo {

namespace {
using namespace brivo::serial;

PortFacts factsOf(const QSerialPortInfo& info) {
    PortFacts facts;
    facts.systemLocation = info.systemLocation();
    facts.hasUsbIds = info.hasVendorIdentifier() && info.hasProductIdentifier();
    facts.vendorId = info.vendorIdentifier();
    facts.productId = info.productIdentifier();
    facts.serialNumber = info.serialNumber();
    facts.description = info.description();
    return facts;
}

// The bridge's latency timer holds every short reply back by 16 ms; the
// kernel's low-latency flag sets it to 1 ms. Ports without the flag (a pty)
// simply keep their timing. True when the flag was set here.
bool askForLowLatency(int fd) {
#ifdef __linux__
    serial_struct settings{};
    if (::ioctl(fd, TIOCGSERIAL, &settings) == 0 && (settings.flags & ASYNC_LOW_LATENCY) == 0) {
        settings.flags |= ASYNC_LOW_LATENCY;
        return ::ioctl(fd, TIOCSSERIAL, &settings) == 0;
    }
#else
    (void)fd;
#endif
    return false;
}

// The flag is the port's, not the editor's: it goes back as it was.
void dropLowLatency(int fd) {
#ifdef __linux__
    serial_struct settings{};
    if (::ioctl(fd, TIOCGSERIAL, &settings) == 0) {
        settings.flags &= ~ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &settings);
    }
#else
    (void)fd;
#endif
}
} // namespace

SerialDriver::SerialDriver(QStringList namedPorts) : namedPorts_(std::move(namedPorts)) {}

std::vector<ListedPort> SerialDriver::ports() const {
    std::vector<PortFacts> system;
    const QList<QSerialPortInfo> available = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo& info : available) {
        PortFacts facts = factsOf(info);
        if (const QString resolved = QFileInfo(facts.systemLocation).canonicalFilePath();
            !resolved.isEmpty())
            facts.systemLocation = resolved;
        system.push_back(facts);
    }
    std::vector<PortFacts> named;
    for (const QString& path : namedPorts_) {
        // A named port that is not there now is not listed: nothing to connect.
        // Links are followed (/dev/serial/by-id/..., a pty pedal's --link), so
        // a link to a listed port is that port, and the path stays short.
        const QString location = QFileInfo(path).canonicalFilePath();
        if (location.isEmpty())
            continue;
        PortFacts facts;
        facts.systemLocation = location;
        for (const QSerialPortInfo& info : available) {
            if (QFileInfo(info.systemLocation()).canonicalFilePath() == location)
                facts = factsOf(info);
        }
        facts.systemLocation = location;
        named.push_back(facts);
    }
    return listedPorts(system, named);
}

FT_STATUS SerialDriver::listDevices(std::vector<ListedDevice>& devices) {
    devices.clear();
    for (const ListedPort& port : ports())
        devices.push_back(port.device);
    return FT_OK;
}

FT_STATUS SerialDriver::open(const std::string& serialNumber, std::unique_ptr<Port>& port) {
    lastOpenFailure_ = {};
    const std::vector<ListedPort> listed = ports();
    const auto match = std::find_if(listed.begin(), listed.end(), [&](const ListedPort& p) {
        return p.device.serialNumber == serialNumber;
    });
    if (match == listed.end()) {
        lastOpenFailure_ = {serialNumber.empty() ? OpenCause::Other : OpenCause::Gone,
                            serialNumber};
        return FT_DEVICE_NOT_FOUND;
    }
    auto serialPort = std::make_unique<QSerialPort>();
    serialPort->setPortName(match->systemLocation);
    if (!serialPort->open(QIODevice::ReadWrite)) {
        const QByteArray path = QFile::encodeName(match->systemLocation);
        const bool exists = ::access(path.constData(), F_OK) == 0;
        const bool readWritable = ::access(path.constData(), R_OK | W_OK) == 0;
        lastOpenFailure_ = {serialOpenCause(serialPort->error(), exists, readWritable),
                            match->systemLocation.toStdString()};
        const FT_STATUS status = statusOfSerialError(serialPort->error());
        return status == FT_OK ? FT_DEVICE_NOT_OPENED : status;
    }
    const bool lowered = askForLowLatency(static_cast<int>(serialPort->handle()));
    port = std::make_unique<TtyPort>(std::move(serialPort),
                                     lowered ? std::function<void(int)>(dropLowLatency) : nullptr);
    return FT_OK;
}

} // namespace brivo
