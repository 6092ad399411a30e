#pragma once

#include "link/d2xx/Ftd2xx.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brivo {

// One device as a driver lists it.
struct ListedDevice {
    std::string serialNumber;
    std::string description;
};

// Why an open failed, as far as the driver can tell.
enum class OpenCause {
    None,       // the last open succeeded, or no open was tried
    Permission, // the system refuses this user (no udev rule, not in the port's group)
    Busy,       // another program holds the device
    Gone,       // the device is no longer there
    Other,      // a failure without a known cause
};

struct OpenFailure {
    OpenCause cause = OpenCause::None;
    // The port's path, or the bridge's serial number where there is no path.
    std::string device;
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
    // In place of D2XX's event notification: `notify` runs on the windows'
    // thread whenever bytes arrive or the port fails, so a waiting editor
    // sleeps in the event loop instead of polling. Ports that cannot tell
    // return FT_NOT_SUPPORTED (the caller then looks at the queue on a timer).
    // An empty function stops the notices.
    virtual FT_STATUS setReceiveNotifier(std::function<void()> notify) {
        (void)notify;
        return FT_NOT_SUPPORTED;
    }
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
    // Why the last open failed; OpenCause::None after one that succeeded.
    virtual OpenFailure lastOpenFailure() const { return {}; }
};

} // namespace brivo
