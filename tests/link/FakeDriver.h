#pragma once

#include "base/Clock.h"
#include "link/d2xx/Driver.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace brivo::test {

// What the fake bridge does; the test keeps it and changes it at any time.
struct FakeBridge {
    struct Arrival {
        std::int64_t atUs;
        std::vector<std::uint8_t> bytes;
    };

    // Bytes that reach the receive queue once the clock passes their time.
    std::vector<Arrival> arrivals;
    std::deque<std::uint8_t> queue;
    // From this time on every call fails as if the bridge were unplugged.
    std::int64_t unplugAtUs = -1;
    FT_STATUS closeStatus = FT_OK;
    // EEPROM words; reading past the end fails.
    std::vector<WORD> eeprom;
    // A port with no way to the EEPROM (a serial port) answers every read so.
    bool eepromReachable = true;

    // What the editor did.
    std::vector<std::vector<std::uint8_t>> writes;
    int purgeRxCount = 0;
    int purgeTxCount = 0;
    int readCalls = 0;

    void arrive(std::int64_t atUs, std::vector<std::uint8_t> bytes) {
        arrivals.push_back({atUs, std::move(bytes)});
    }
};

class FakePort final : public Port {
  public:
    FakePort(FakeBridge& bridge, const Clock& clock) : bridge_(bridge), clock_(clock) {}

    FT_STATUS setBaudRate(DWORD) override { return unplugged() ? FT_IO_ERROR : FT_OK; }
    FT_STATUS setDataCharacteristics(UCHAR, UCHAR, UCHAR) override {
        return unplugged() ? FT_IO_ERROR : FT_OK;
    }
    FT_STATUS purge(DWORD mask) override {
        if (unplugged())
            return FT_IO_ERROR;
        deliver();
        if (mask & FT_PURGE_RX) {
            bridge_.queue.clear();
            ++bridge_.purgeRxCount;
        }
        if (mask & FT_PURGE_TX)
            ++bridge_.purgeTxCount;
        return FT_OK;
    }
    FT_STATUS getQueueStatus(DWORD* queued) override {
        if (unplugged())
            return FT_IO_ERROR;
        deliver();
        *queued = static_cast<DWORD>(bridge_.queue.size());
        return FT_OK;
    }
    FT_STATUS read(std::uint8_t* buffer, DWORD count, DWORD* got) override {
        ++bridge_.readCalls;
        if (unplugged())
            return FT_IO_ERROR;
        deliver();
        DWORD n = 0;
        while (n < count && !bridge_.queue.empty()) {
            buffer[n++] = bridge_.queue.front();
            bridge_.queue.pop_front();
        }
        *got = n;
        return FT_OK;
    }
    FT_STATUS write(const std::uint8_t* data, DWORD count, DWORD* written) override {
        if (unplugged())
            return FT_IO_ERROR;
        bridge_.writes.emplace_back(data, data + count);
        *written = count;
        return FT_OK;
    }
    FT_STATUS readEE(DWORD address, WORD* value) override {
        if (unplugged())
            return FT_IO_ERROR;
        if (!bridge_.eepromReachable)
            return FT_NOT_SUPPORTED;
        if (address >= bridge_.eeprom.size())
            return FT_EEPROM_READ_FAILED;
        *value = bridge_.eeprom[address];
        return FT_OK;
    }
    FT_STATUS close() override { return bridge_.closeStatus; }

  private:
    bool unplugged() const {
        return bridge_.unplugAtUs >= 0 && clock_.nowUs() >= bridge_.unplugAtUs;
    }
    void deliver() {
        auto& arrivals = bridge_.arrivals;
        for (auto it = arrivals.begin(); it != arrivals.end();) {
            if (it->atUs <= clock_.nowUs()) {
                bridge_.queue.insert(bridge_.queue.end(), it->bytes.begin(), it->bytes.end());
                it = arrivals.erase(it);
            } else {
                ++it;
            }
        }
    }

    FakeBridge& bridge_;
    const Clock& clock_;
};

// Lists the given devices; opens the ones whose serial number it lists.
class FakeDriver final : public Driver {
  public:
    FakeDriver(FakeBridge& bridge, const Clock& clock) : bridge_(bridge), clock_(clock) {}

    std::string name() const override { return "fake"; }
    FT_STATUS listDevices(std::vector<ListedDevice>& devices) override {
        devices = listed;
        return FT_OK;
    }
    FT_STATUS open(const std::string& serialNumber, std::unique_ptr<Port>& port) override {
        openedSerials.push_back(serialNumber);
        for (const ListedDevice& device : listed) {
            if (device.serialNumber == serialNumber) {
                port = std::make_unique<FakePort>(bridge_, clock_);
                return FT_OK;
            }
        }
        return FT_DEVICE_NOT_FOUND;
    }

    std::vector<ListedDevice> listed;
    std::vector<std::string> openedSerials;

  private:
    FakeBridge& bridge_;
    const Clock& clock_;
};

} // namespace brivo::test
