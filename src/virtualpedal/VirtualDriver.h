#pragma once

#include "base/Clock.h"
#include "link/d2xx/Driver.h"
#include "virtualpedal/VirtualPedal.h"

#include <memory>
#include <string>
#include <vector>

namespace brivo {

// The driver "virtual": the virtual pedals plugged in, listed in the order
// they were added, each opened by its exact serial number.
class VirtualDriver final : public Driver {
  public:
    static constexpr const char* kName = "virtual";

    explicit VirtualDriver(Clock& clock);

    std::string name() const override { return kName; }
    FT_STATUS listDevices(std::vector<ListedDevice>& devices) override;
    FT_STATUS open(const std::string& serialNumber, std::unique_ptr<Port>& port) override;
    std::vector<std::string> inaccessibleDevices() const override { return inaccessible_; }

    std::shared_ptr<VirtualPedal>
    addPedal(std::string serial = VirtualPedal::kDefaultSerial,
             std::string description = VirtualPedal::kDefaultDescription);
    // Takes the pedal away for good: its open handle dies as when unplugged.
    bool removePedal(const std::string& serial);
    // The first pedal with this serial, or null.
    std::shared_ptr<VirtualPedal> pedal(const std::string& serial) const;
    const std::vector<std::shared_ptr<VirtualPedal>>& pedals() const { return pedals_; }

  private:
    Clock& clock_;
    std::vector<std::shared_ptr<VirtualPedal>> pedals_;
    std::vector<std::string> inaccessible_;
};

} // namespace brivo
