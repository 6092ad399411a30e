#pragma once

#include "link/d2xx/Driver.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace brivo {

// Which drivers the editor registers: by default the bridge through the
// kernel's serial driver when it holds the bridge, else through libusb; or
// one driver forced by name.
enum class DriverKind { Automatic, Serial, Usb, Virtual };

// The kind for a --driver value ("serial", "usb", "virtual", "auto"); nullopt
// for any other text.
std::optional<DriverKind> driverKindOf(const QString& name);

// Lists the devices of the first of its drivers that lists any, so a bridge
// seen both by the kernel's serial driver and by libusb is listed once, under
// the first. Opens through the drivers in the same order until one opens.
class FirstListingDriver final : public Driver {
  public:
    explicit FirstListingDriver(std::vector<std::unique_ptr<Driver>> drivers);

    std::string name() const override;
    FT_STATUS listDevices(std::vector<ListedDevice>& devices) override;
    FT_STATUS open(const std::string& serialNumber, std::unique_ptr<Port>& port) override;

  private:
    std::vector<std::unique_ptr<Driver>> drivers_;
};

} // namespace brivo
