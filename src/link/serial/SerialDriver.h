#pragma once

#include "link/d2xx/Driver.h"
#include "link/serial/SerialMapping.h"

#include <QString>
#include <QStringList>

namespace brivo {

// The driver "serial": the bridge through the kernel's own FTDI driver
// (/dev/ttyUSBn, readable by the dialout group without a udev rule), and any
// port the user names, such as the pty of brivo-virtual-pedal.
class SerialDriver final : public Driver {
  public:
    static constexpr const char* kName = "serial";

    explicit SerialDriver(QStringList namedPorts = {});

    std::string name() const override { return kName; }
    FT_STATUS listDevices(std::vector<ListedDevice>& devices) override;
    FT_STATUS open(const std::string& serialNumber, std::unique_ptr<Port>& port) override;
    OpenFailure lastOpenFailure() const override { return lastOpenFailure_; }

  private:
    std::vector<serial::ListedPort> ports() const;

    QStringList namedPorts_;
    OpenFailure lastOpenFailure_;
};

} // namespace brivo
