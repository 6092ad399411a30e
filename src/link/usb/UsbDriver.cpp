#include "link/usb/UsbDriver.h"

#include "link/usb/UsbMapping.h"
#include "link/usb/UsbReader.h"

#include <algorithm>
#include <array>
#include <ftdi.h>

namespace brivo {

namespace {

using namespace brivo::usb;

// libftdi's reads block until the chip sends a packet, which an idle chip does
// when its latency timer runs out: a short timer keeps short replies quick,
// and a call waiting for the reader to finish its read waits no longer.
constexpr unsigned char kLatencyTimerMs = 2;
// Only a safety net: a time-out in the middle of a transfer would lose bytes,
// so it stays well above the latency timer.
constexpr int kUsbReadTimeoutMs = 100;
// The most bytes kept on the host side; beyond it they wait in the chip.
constexpr std::size_t kHostQueueLimitBytes = 1 << 20;
constexpr int kStringBytes = 128;

struct ContextDeleter {
    void operator()(ftdi_context* context) const { ftdi_free(context); }
};
using Context = std::unique_ptr<ftdi_context, ContextDeleter>;

struct ListDeleter {
    void operator()(ftdi_device_list* list) const { ftdi_list_free2(list); }
};
using DeviceList = std::unique_ptr<ftdi_device_list, ListDeleter>;

struct FoundDevice {
    libusb_device* device;
    ListedDevice listed;
};

// libftdi's answer when the device itself cannot be opened to read its
// strings: on Linux almost always a missing udev rule.
constexpr int kGetStringsOpenFailed = -4;

// Lists the bridges whose strings can be read. `unreadable` counts the others
// (usually a missing udev rule), `reasons` says why for each.
FT_STATUS findBridges(ftdi_context* context, DeviceList& list, std::vector<FoundDevice>& found,
                      int& unreadable, std::vector<std::string>* reasons = nullptr) {
    ftdi_device_list* raw = nullptr;
    const int count = ftdi_usb_find_all(context, &raw, kFtdiVendorId, kFt230xProductId);
    list.reset(raw);
    if (count < 0)
        return FT_IO_ERROR;
    unreadable = 0;
    for (ftdi_device_list* entry = raw; entry != nullptr; entry = entry->next) {
        std::array<char, kStringBytes> description{};
        std::array<char, kStringBytes> serial{};
        const int result =
            ftdi_usb_get_strings2(context, entry->dev, nullptr, 0, description.data(), kStringBytes,
                                  serial.data(), kStringBytes);
        if (result < 0) {
            ++unreadable;
            if (reasons != nullptr)
                reasons->push_back(result == kGetStringsOpenFailed
                                       ? "permission denied"
                                       : "its USB strings cannot be read");
            continue;
        }
        found.push_back({entry->dev, {serial.data(), description.data()}});
    }
    return FT_OK;
}

// A read for the reader's thread: a USB time-out only means nothing came.
int readChip(ftdi_context* context, std::uint8_t* buffer, int capacity) {
    const int result = ftdi_read_data(context, buffer, capacity);
    if (statusOfReadResult(result) == FT_OK)
        return std::max(result, 0);
    return result;
}

// Every libftdi call other than the reader's goes through reader_->exclusive:
// a context is not for two threads at once.
class UsbPort final : public Port {
  public:
    explicit UsbPort(Context context)
        : context_(std::move(context)),
          reader_(std::make_unique<UsbReader>(
              [raw = context_.get()](std::uint8_t* buffer, int capacity) {
                  return readChip(raw, buffer, capacity);
              },
              kHostQueueLimitBytes)) {}
    ~UsbPort() override { close(); }

    FT_STATUS setBaudRate(DWORD baud) override {
        if (!context_)
            return FT_INVALID_HANDLE;
        return statusOfBaudRateResult(reader_->exclusive(
            [&] { return ftdi_set_baudrate(context_.get(), static_cast<int>(baud)); }));
    }

    FT_STATUS setDataCharacteristics(UCHAR wordLength, UCHAR stopBits, UCHAR parity) override {
        if (!context_)
            return FT_INVALID_HANDLE;
        const auto bits = ftdiBitsFor(wordLength);
        const auto stop = ftdiStopBitsFor(stopBits);
        const auto par = ftdiParityFor(parity);
        if (!bits || !stop || !par)
            return FT_INVALID_PARAMETER;
        const int result = reader_->exclusive([&] {
            return ftdi_set_line_property(context_.get(), static_cast<ftdi_bits_type>(*bits),
                                          static_cast<ftdi_stopbits_type>(*stop),
                                          static_cast<ftdi_parity_type>(*par));
        });
        return result == 0 ? FT_OK : FT_IO_ERROR;
    }

    FT_STATUS purge(DWORD mask) override {
        if (!context_)
            return FT_INVALID_HANDLE;
        // The flush also empties libftdi's own read buffer.
        if ((mask & FT_PURGE_RX) &&
            reader_->purge([&] { return ftdi_tciflush(context_.get()); }) != 0)
            return FT_IO_ERROR;
        if ((mask & FT_PURGE_TX) &&
            reader_->exclusive([&] { return ftdi_tcoflush(context_.get()); }) != 0)
            return FT_IO_ERROR;
        return FT_OK;
    }

    FT_STATUS getQueueStatus(DWORD* queued) override {
        if (!context_)
            return FT_INVALID_HANDLE;
        return reader_->queueStatus(queued);
    }

    FT_STATUS read(std::uint8_t* buffer, DWORD count, DWORD* got) override {
        if (!context_)
            return FT_INVALID_HANDLE;
        return reader_->take(buffer, count, got);
    }

    FT_STATUS write(const std::uint8_t* data, DWORD count, DWORD* written) override {
        if (!context_)
            return FT_INVALID_HANDLE;
        if (count == 0)
            return FT_OK;
        const int result = reader_->exclusive(
            [&] { return ftdi_write_data(context_.get(), data, static_cast<int>(count)); });
        if (const FT_STATUS status = statusOfWriteResult(result); status != FT_OK)
            return status;
        *written = static_cast<DWORD>(result);
        return FT_OK;
    }

    FT_STATUS readEE(DWORD wordAddress, WORD* value) override {
        if (!context_)
            return FT_INVALID_HANDLE;
        unsigned short word = 0;
        if (reader_->exclusive([&] {
                return ftdi_read_eeprom_location(context_.get(), static_cast<int>(wordAddress),
                                                 &word);
            }) != 0)
            return FT_EEPROM_READ_FAILED;
        *value = word;
        return FT_OK;
    }

    FT_STATUS setLatencyTimer(UCHAR ms) override {
        if (!context_)
            return FT_INVALID_HANDLE;
        if (ms == 0)
            return FT_INVALID_PARAMETER;
        return reader_->exclusive([&] { return ftdi_set_latency_timer(context_.get(), ms); }) == 0
                   ? FT_OK
                   : FT_IO_ERROR;
    }

    FT_STATUS getLatencyTimer(UCHAR* ms) override {
        if (!context_)
            return FT_INVALID_HANDLE;
        unsigned char value = 0;
        if (reader_->exclusive([&] { return ftdi_get_latency_timer(context_.get(), &value); }) != 0)
            return FT_IO_ERROR;
        *ms = value;
        return FT_OK;
    }

    // The notices come from the reader's thread, posted to the caller's.
    FT_STATUS setReceiveNotifier(std::function<void()> notify) override {
        if (!context_)
            return FT_INVALID_HANDLE;
        return reader_->setNotifier(std::move(notify));
    }

    // The handle is given up even when the device is already gone (unplugged):
    // a close that failed then would leave the editor unable to disconnect.
    // The reader ends first: it must not read from a closed context.
    FT_STATUS close() override {
        if (!context_)
            return FT_OK;
        reader_->stop();
        ftdi_usb_close(context_.get());
        context_.reset();
        return FT_OK;
    }

  private:
    Context context_;
    std::unique_ptr<UsbReader> reader_;
};

} // namespace

FT_STATUS UsbDriver::listDevices(std::vector<ListedDevice>& devices) {
    devices.clear();
    inaccessible_.clear();
    Context context(ftdi_new());
    if (!context)
        return FT_OTHER_ERROR; // libusb could not start: no USB here
    DeviceList list;
    std::vector<FoundDevice> found;
    int unreadable = 0;
    // Why a bridge is unreadable goes out through inaccessibleDevices(): the
    // window, the console and brivo-cli say it, so nothing is written here.
    if (const FT_STATUS status =
            findBridges(context.get(), list, found, unreadable, &inaccessible_);
        status != FT_OK)
        return status;
    if (found.empty() && unreadable > 0)
        return FT_DEVICE_NOT_OPENED;
    for (const FoundDevice& device : found)
        devices.push_back(device.listed);
    return FT_OK;
}

FT_STATUS UsbDriver::open(const std::string& serialNumber, std::unique_ptr<Port>& port) {
    lastOpenFailure_ = {};
    Context context(ftdi_new());
    if (!context)
        return FT_DEVICE_NOT_FOUND;
    DeviceList list;
    std::vector<FoundDevice> found;
    int unreadable = 0;
    if (findBridges(context.get(), list, found, unreadable) != FT_OK)
        return FT_DEVICE_NOT_FOUND;
    // Opening the listed device itself, rather than searching again by serial
    // number, keeps an unreadable second bridge from failing the open.
    const auto match = std::find_if(found.begin(), found.end(), [&](const FoundDevice& device) {
        return device.listed.serialNumber == serialNumber;
    });
    if (match == found.end())
        return FT_DEVICE_NOT_FOUND;
    // Give the port back to the kernel's serial driver on close.
    context->module_detach_mode = AUTO_DETACH_REATACH_SIO_MODULE;
    const int result = ftdi_usb_open_dev(context.get(), match->device);
    if (const FT_STATUS status = statusOfOpenResult(result); status != FT_OK) {
        lastOpenFailure_ = {openCauseOfOpenResult(result), serialNumber};
        return status;
    }
    context->usb_read_timeout = kUsbReadTimeoutMs;
    ftdi_set_latency_timer(context.get(), kLatencyTimerMs);
    port = std::make_unique<UsbPort>(std::move(context));
    return FT_OK;
}

} // namespace brivo
