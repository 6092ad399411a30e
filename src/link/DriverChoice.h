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
// the first. Opens through that same driver only: a port the kernel lists
// but will not open (busy, or not this user's) is reported, never taken from
// under its holder by libusb detaching the kernel's driver. A later driver is
// asked only when every driver before it lists no device at all.
class FirstListingDriver final : public Driver {
  public:
    explicit FirstListingDriver(std::vector<std::unique_ptr<Driver>> drivers);

    std::string name() const override;
    FT_STATUS listDevices(std::vector<ListedDevice>& devices) override;
    // The inaccessible bridges of every driver the last listing asked.
    std::vector<std::string> inaccessibleDevices() const override { return inaccessible_; }
    FT_STATUS open(const std::string& serialNumber, std::unique_ptr<Port>& port) override;
    OpenFailure lastOpenFailure() const override { return lastOpenFailure_; }

  private:
    std::vector<std::unique_ptr<Driver>> drivers_;
    std::vector<std::string> inaccessible_;
    OpenFailure lastOpenFailure_;
};

} // namespace brivo
