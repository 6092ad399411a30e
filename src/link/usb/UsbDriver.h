#pragma once

#include "link/d2xx/Driver.h"

namespace brivo {

// Real FT230X bridges over libftdi1. libftdi has no queue-status call, so an
// open port reads the chip on a thread of its own into a host-side queue; the
// queue status and reads look only at that queue, and the port tells of bytes
// that arrive and of a failed read through its receive notifier.
class UsbDriver final : public Driver {
  public:
    std::string name() const override { return "usb"; }
    // An error status when USB cannot be used at all (no libusb, or no device
    // can be read for lack of permission): the listing then skips this driver.
    FT_STATUS listDevices(std::vector<ListedDevice>& devices) override;
    FT_STATUS open(const std::string& serialNumber, std::unique_ptr<Port>& port) override;
    std::vector<std::string> inaccessibleDevices() const override { return inaccessible_; }
    OpenFailure lastOpenFailure() const override { return lastOpenFailure_; }

  private:
    std::vector<std::string> inaccessible_;
    OpenFailure lastOpenFailure_;
};

} // namespace brivo
