#include "virtualpedal/VirtualDriver.h"

#include "virtualpedal/VirtualPort.h"

#include <algorithm>

namespace brivo {

VirtualDriver::VirtualDriver(Clock& clock) : clock_(clock) {}

FT_STATUS VirtualDriver::listDevices(std::vector<ListedDevice>& devices) {
    devices.clear();
    inaccessible_.clear();
    for (const auto& pedal : pedals_) {
        if (!pedal->isPlugged())
            continue;
        if (pedal->faults().accessDenied)
            inaccessible_.push_back("permission denied");
        else
            devices.push_back({pedal->serialNumber(), pedal->description()});
    }
    return FT_OK;
}

FT_STATUS VirtualDriver::open(const std::string& serialNumber, std::unique_ptr<Port>& port) {
    for (const auto& pedal : pedals_) {
        if (!pedal->isPlugged() || pedal->serialNumber() != serialNumber)
            continue;
        if (pedal->faults().accessDenied)
            return FT_DEVICE_NOT_OPENED;
        std::uint64_t session = 0;
        if (const FT_STATUS status = pedal->beginSession(session); status != FT_OK)
            return status;
        port = std::make_unique<VirtualPort>(pedal, session);
        return FT_OK;
    }
    return FT_DEVICE_NOT_FOUND;
}

std::shared_ptr<VirtualPedal> VirtualDriver::addPedal(std::string serial, std::string description) {
    auto pedal = std::make_shared<VirtualPedal>(clock_, std::move(serial), std::move(description));
    pedals_.push_back(pedal);
    return pedal;
}

bool VirtualDriver::removePedal(const std::string& serial) {
    const auto it = std::find_if(pedals_.begin(), pedals_.end(), [&](const auto& pedal) {
        return pedal->serialNumber() == serial;
    });
    if (it == pedals_.end())
        return false;
    (*it)->unplug();
    pedals_.erase(it);
    return true;
}

std::shared_ptr<VirtualPedal> VirtualDriver::pedal(const std::string& serial) const {
    for (const auto& pedal : pedals_)
        if (pedal->serialNumber() == serial)
            return pedal;
    return nullptr;
}

} // namespace brivo
