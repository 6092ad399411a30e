#include "link/d2xx/D2xx.h"

#include <algorithm>
#include <cstring>

namespace brivo {

namespace {
// Handles advance by this step so a stale handle is never reused soon.
constexpr std::uintptr_t kHandleStep = 0x10;
} // namespace

void D2xx::addDriver(std::unique_ptr<Driver> driver) {
    drivers_.push_back(std::move(driver));
}

FT_STATUS D2xx::listAll(std::vector<ListedDevice>& devices) {
    devices.clear();
    inaccessible_.clear();
    for (auto& driver : drivers_) {
        std::vector<ListedDevice> found;
        const FT_STATUS status = driver->listDevices(found);
        const std::vector<std::string> blocked = driver->inaccessibleDevices();
        inaccessible_.insert(inaccessible_.end(), blocked.begin(), blocked.end());
        // A driver that cannot list (no USB access, say) hides only its own devices.
        if (status != FT_OK)
            continue;
        devices.insert(devices.end(), found.begin(), found.end());
    }
    return FT_OK;
}

FT_STATUS D2xx::FT_ListDevices(PVOID pArg1, PVOID pArg2, DWORD flags) {
    std::vector<ListedDevice> devices;
    if (const FT_STATUS status = listAll(devices); status != FT_OK)
        return status;

    if (flags & FT_LIST_NUMBER_ONLY) {
        if (pArg1 == nullptr)
            return FT_INVALID_PARAMETER;
        *static_cast<DWORD*>(pArg1) = static_cast<DWORD>(devices.size());
        return FT_OK;
    }
    if (flags & FT_LIST_BY_INDEX) {
        const auto index = static_cast<std::size_t>(reinterpret_cast<std::uintptr_t>(pArg1));
        if (pArg2 == nullptr)
            return FT_INVALID_PARAMETER;
        if (index >= devices.size())
            return FT_DEVICE_NOT_FOUND;
        const std::string* text = nullptr;
        if (flags & FT_OPEN_BY_SERIAL_NUMBER)
            text = &devices[index].serialNumber;
        else if (flags & FT_OPEN_BY_DESCRIPTION)
            text = &devices[index].description;
        else
            return FT_INVALID_PARAMETER;
        // The buffer holds 64 bytes; a string that fills it has no terminator.
        auto* out = static_cast<char*>(pArg2);
        const std::size_t n = std::min<std::size_t>(text->size(), kFtListStringBytes);
        std::memcpy(out, text->data(), n);
        if (n < static_cast<std::size_t>(kFtListStringBytes))
            out[n] = '\0';
        return FT_OK;
    }
    return FT_NOT_SUPPORTED;
}

FT_STATUS D2xx::FT_OpenEx(PVOID pArg1, DWORD flags, FT_HANDLE* handle) {
    if (handle == nullptr || pArg1 == nullptr)
        return FT_INVALID_PARAMETER;
    if (flags != FT_OPEN_BY_SERIAL_NUMBER)
        return FT_NOT_SUPPORTED;
    const std::string serial(static_cast<const char*>(pArg1));
    lastOpenFailure_ = {};
    for (auto& driver : drivers_) {
        std::unique_ptr<Port> port;
        const FT_STATUS status = driver->open(serial, port);
        if (status == FT_DEVICE_NOT_FOUND)
            continue;
        if (status != FT_OK) {
            lastOpenFailure_ = driver->lastOpenFailure();
            if (lastOpenFailure_.cause == OpenCause::None)
                lastOpenFailure_ = {OpenCause::Other, serial};
            return status;
        }
        nextHandle_ += kHandleStep;
        auto* h = reinterpret_cast<FT_HANDLE>(nextHandle_);
        open_[h] = std::move(port);
        *handle = h;
        return FT_OK;
    }
    // A device listed a moment ago and not found now has been unplugged.
    lastOpenFailure_ = {serial.empty() ? OpenCause::Other : OpenCause::Gone, serial};
    return FT_DEVICE_NOT_FOUND;
}

Port* D2xx::portOf(FT_HANDLE handle) {
    const auto it = open_.find(handle);
    return it == open_.end() ? nullptr : it->second.get();
}

FT_STATUS D2xx::FT_Close(FT_HANDLE handle) {
    const auto it = open_.find(handle);
    if (it == open_.end())
        return FT_INVALID_HANDLE;
    const FT_STATUS status = it->second->close();
    open_.erase(it);
    return status;
}

FT_STATUS D2xx::FT_SetBaudRate(FT_HANDLE handle, DWORD baud) {
    Port* port = portOf(handle);
    return port ? port->setBaudRate(baud) : FT_INVALID_HANDLE;
}

FT_STATUS D2xx::FT_SetDataCharacteristics(FT_HANDLE handle, UCHAR wordLength, UCHAR stopBits,
                                          UCHAR parity) {
    Port* port = portOf(handle);
    return port ? port->setDataCharacteristics(wordLength, stopBits, parity) : FT_INVALID_HANDLE;
}

FT_STATUS D2xx::FT_Purge(FT_HANDLE handle, DWORD mask) {
    Port* port = portOf(handle);
    return port ? port->purge(mask) : FT_INVALID_HANDLE;
}

FT_STATUS D2xx::FT_GetQueueStatus(FT_HANDLE handle, DWORD* queued) {
    Port* port = portOf(handle);
    if (port == nullptr)
        return FT_INVALID_HANDLE;
    if (queued == nullptr)
        return FT_INVALID_PARAMETER;
    return port->getQueueStatus(queued);
}

FT_STATUS D2xx::FT_Read(FT_HANDLE handle, PVOID buffer, DWORD count, DWORD* got) {
    Port* port = portOf(handle);
    if (port == nullptr)
        return FT_INVALID_HANDLE;
    if (got == nullptr || (buffer == nullptr && count > 0))
        return FT_INVALID_PARAMETER;
    *got = 0;
    return port->read(static_cast<std::uint8_t*>(buffer), count, got);
}

FT_STATUS D2xx::FT_Write(FT_HANDLE handle, PVOID buffer, DWORD count, DWORD* written) {
    Port* port = portOf(handle);
    if (port == nullptr)
        return FT_INVALID_HANDLE;
    if (written == nullptr || (buffer == nullptr && count > 0))
        return FT_INVALID_PARAMETER;
    *written = 0;
    return port->write(static_cast<const std::uint8_t*>(buffer), count, written);
}

FT_STATUS D2xx::FT_SetLatencyTimer(FT_HANDLE handle, UCHAR ms) {
    Port* port = portOf(handle);
    return port ? port->setLatencyTimer(ms) : FT_INVALID_HANDLE;
}

bool D2xx::isSimulated(FT_HANDLE handle) {
    Port* port = portOf(handle);
    return port != nullptr && port->simulated();
}

FT_STATUS D2xx::FT_GetLatencyTimer(FT_HANDLE handle, UCHAR* ms) {
    if (ms == nullptr)
        return FT_INVALID_PARAMETER;
    Port* port = portOf(handle);
    return port ? port->getLatencyTimer(ms) : FT_INVALID_HANDLE;
}

FT_STATUS D2xx::FT_ReadEE(FT_HANDLE handle, DWORD wordOffset, WORD* value) {
    Port* port = portOf(handle);
    if (port == nullptr)
        return FT_INVALID_HANDLE;
    if (value == nullptr)
        return FT_INVALID_PARAMETER;
    return port->readEE(wordOffset, value);
}

FT_STATUS D2xx::FT_SetEventNotification(FT_HANDLE handle, std::function<void()> notify) {
    Port* port = portOf(handle);
    return port == nullptr ? FT_INVALID_HANDLE : port->setReceiveNotifier(std::move(notify));
}

} // namespace brivo
