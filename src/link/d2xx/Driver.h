#pragma once

#include "link/d2xx/Ftd2xx.h"

#include <memory>
#include <string>
#include <vector>

namespace brivo {

// One device as a driver lists it.
struct ListedDevice {
    std::string serialNumber;
    std::string description;
};

// An open device. Every call returns a D2XX status code.
class Port {
  public:
    virtual ~Port() = default;
    virtual FT_STATUS setBaudRate(DWORD baud) = 0;
    virtual FT_STATUS setDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) = 0;
    virtual FT_STATUS purge(DWORD mask) = 0;
    // Bytes waiting in the receive queue now; never blocks.
    virtual FT_STATUS getQueueStatus(DWORD* queued) = 0;
    // Takes up to `count` queued bytes; never waits for more.
    virtual FT_STATUS read(std::uint8_t* buffer, DWORD count, DWORD* got) = 0;
    virtual FT_STATUS write(const std::uint8_t* data, DWORD count, DWORD* written) = 0;
    virtual FT_STATUS readEE(DWORD wordAddress, WORD* value) = 0;
    // How long the bridge holds a part-filled packet before sending it, in
    // ms (1 to 255). Devices without such a timer do not support it.
    virtual FT_STATUS setLatencyTimer(UCHAR ms) {
        (void)ms;
        return FT_NOT_SUPPORTED;
    }
    virtual FT_STATUS getLatencyTimer(UCHAR* ms) {
        (void)ms;
        return FT_NOT_SUPPORTED;
    }
    // The in-process virtual pedal, not a device outside the editor.
    virtual bool simulated() const { return false; }
    // Called once when the handle is closed.
    virtual FT_STATUS close() = 0;
    // Blocks until bytes are queued, the port fails or `timeoutMs` passes,
    // handling window events meanwhile, so a waiting editor sleeps instead
    // of polling. False when the port cannot wait so (the caller then polls).
    virtual bool waitForReceive(int /*timeoutMs*/) { return false; }
};

// A family of devices: real bridges over USB, or the virtual pedal.
class Driver {
  public:
    virtual ~Driver() = default;
    virtual std::string name() const = 0;
    virtual FT_STATUS listDevices(std::vector<ListedDevice>& devices) = 0;
    // The bridges the last listing saw but could not open or read, each by
    // the reason in a few words ("permission denied").
    virtual std::vector<std::string> inaccessibleDevices() const { return {}; }
    // Opens the device with exactly this serial number; FT_DEVICE_NOT_FOUND
    // when this driver has none.
    virtual FT_STATUS open(const std::string& serialNumber, std::unique_ptr<Port>& port) = 0;
};

} // namespace brivo
