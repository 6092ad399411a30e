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
    FT_STATUS firstFailure = FT_OK;
    bool anyListed = false;
    for (const auto& driver : drivers_) {
        std::vector<ListedDevice> found;
        const FT_STATUS status = driver->listDevices(found);
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
    // A port the kernel holds but this user may not open (not in the dialout
    // group) may still open through libusb with the udev rule: the next
    // driver gets its chance, and the first failure is what is reported.
    FT_STATUS firstFailure = FT_DEVICE_NOT_FOUND;
    for (const auto& driver : drivers_) {
        const FT_STATUS status = driver->open(serialNumber, port);
        if (status == FT_OK)
            return FT_OK;
        if (firstFailure == FT_DEVICE_NOT_FOUND)
            firstFailure = status;
    }
    return firstFailure;
}

} // namespace brivo
