#include "link/DriverChoice.h"

namespace brivo {

std::optional<DriverKind> driverKindOf(const QString& name) {
    if (name == QLatin1String("auto"))
        return DriverKind::Automatic;
    if (name == QLatin1String("serial"))
        return DriverKind::Serial;
    if (name == QLatin1String("usb"))
        return DriverKind::Usb;
    if (name == QLatin1String("virtual"))
        return DriverKind::Virtual;
    return std::nullopt;
}

FirstListingDriver::FirstListingDriver(std::vector<std::unique_ptr<Driver>> drivers)
    : drivers_(std::move(drivers)) {}

std::string FirstListingDriver::name() const {
    std::string joined;
    for (const auto& driver : drivers_)
        joined += (joined.empty() ? "" : " or ") + driver->name();
    return joined;
}

FT_STATUS FirstListingDriver::listDevices(std::vector<ListedDevice>& devices) {
    devices.clear();
    inaccessible_.clear();
    FT_STATUS firstFailure = FT_OK;
    bool anyListed = false;
    for (const auto& driver : drivers_) {
        std::vector<ListedDevice> found;
        const FT_STATUS status = driver->listDevices(found);
        const std::vector<std::string> blocked = driver->inaccessibleDevices();
        inaccessible_.insert(inaccessible_.end(), blocked.begin(), blocked.end());
        if (status != FT_OK) {
            if (firstFailure == FT_OK)
                firstFailure = status;
            continue;
        }
        anyListed = true;
        if (!found.empty()) {
            devices = std::move(found);
            return FT_OK;
        }
    }
    // Nothing found is a listing of none, unless no driver could list at all.
    return anyListed ? FT_OK : firstFailure;
}

FT_STATUS FirstListingDriver::open(const std::string& serialNumber, std::unique_ptr<Port>& port) {
    lastOpenFailure_ = {};
    for (const auto& driver : drivers_) {
        std::vector<ListedDevice> found;
        if (driver->listDevices(found) != FT_OK || found.empty())
            continue;
        // The driver that lists the bridge is the one that opens it, or says why not.
        const FT_STATUS status = driver->open(serialNumber, port);
        if (status != FT_OK)
            lastOpenFailure_ = driver->lastOpenFailure();
        return status;
    }
    return FT_DEVICE_NOT_FOUND;
}

} // namespace brivo
