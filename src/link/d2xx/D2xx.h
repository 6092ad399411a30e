#pragma once

#include "link/d2xx/Driver.h"

#include <map>
#include <memory>
#include <vector>

namespace brivo {

// The D2XX-style driver interface: the same calls, flags and status codes,
// dispatched to the drivers registered at start. Devices are listed driver
// by driver, in registration order.
class D2xx {
  public:
    void addDriver(std::unique_ptr<Driver> driver);

    FT_STATUS FT_ListDevices(PVOID pArg1, PVOID pArg2, DWORD flags);
    FT_STATUS FT_OpenEx(PVOID pArg1, DWORD flags, FT_HANDLE* handle);
    FT_STATUS FT_Close(FT_HANDLE handle);
    FT_STATUS FT_SetBaudRate(FT_HANDLE handle, DWORD baud);
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, UCHAR wordLength, UCHAR stopBits,
                                        UCHAR parity);
    FT_STATUS FT_Purge(FT_HANDLE handle, DWORD mask);
    FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, DWORD* queued);
    FT_STATUS FT_Read(FT_HANDLE handle, PVOID buffer, DWORD count, DWORD* got);
    FT_STATUS FT_Write(FT_HANDLE handle, PVOID buffer, DWORD count, DWORD* written);
    FT_STATUS FT_ReadEE(FT_HANDLE handle, DWORD wordOffset, WORD* value);
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE handle, UCHAR ms);
    // In place of D2XX's receive-character event: `notify` runs whenever
    // bytes arrive on the handle or its port fails. FT_NOT_SUPPORTED where
    // the driver cannot tell: the caller polls instead.
    FT_STATUS FT_SetEventNotification(FT_HANDLE handle, std::function<void()> notify);
    FT_STATUS FT_GetLatencyTimer(FT_HANDLE handle, UCHAR* ms);
    // Whether the handle's device is the in-process virtual pedal.
    bool isSimulated(FT_HANDLE handle);

    // Bridges the last listing saw but could not list, with the reason for
    // each: the listing itself counts only the devices it can name.
    const std::vector<std::string>& inaccessibleDevices() const { return inaccessible_; }
    // Why the last FT_OpenEx failed (OpenCause::None when it succeeded), so
    // the window can say what to do about it.
    const OpenFailure& lastOpenFailure() const { return lastOpenFailure_; }

  private:
    FT_STATUS listAll(std::vector<ListedDevice>& devices);
    Port* portOf(FT_HANDLE handle);

    std::vector<std::unique_ptr<Driver>> drivers_;
    std::map<FT_HANDLE, std::unique_ptr<Port>> open_;
    std::vector<std::string> inaccessible_;
    OpenFailure lastOpenFailure_;
    std::uintptr_t nextHandle_ = 0x00A10000;
};

} // namespace brivo
