#include "link/usb/UsbMapping.h"

#include <ftdi.h>
#include <libusb.h>

namespace brivo::usb {

namespace {
// libftdi's code for a context without an open device.
constexpr int kFtdiDeviceUnavailable = -666;
// ftdi_usb_open_dev: libusb_open failed; the interface could not be claimed.
constexpr int kFtdiOpenRefused = -4;
constexpr int kFtdiClaimFailed = -5;
} // namespace

std::optional<int> ftdiBitsFor(UCHAR wordLength) {
    switch (wordLength) {
    case FT_BITS_8:
        return BITS_8;
    case FT_BITS_7:
        return BITS_7;
    default:
        return std::nullopt;
    }
}

std::optional<int> ftdiStopBitsFor(UCHAR stopBits) {
    switch (stopBits) {
    case FT_STOP_BITS_1:
        return STOP_BIT_1;
    case 1: // one and a half, as older D2XX headers define it
        return STOP_BIT_15;
    case FT_STOP_BITS_2:
        return STOP_BIT_2;
    default:
        return std::nullopt;
    }
}

std::optional<int> ftdiParityFor(UCHAR parity) {
    switch (parity) {
    case FT_PARITY_NONE:
        return NONE;
    case FT_PARITY_ODD:
        return ODD;
    case FT_PARITY_EVEN:
        return EVEN;
    case FT_PARITY_MARK:
        return MARK;
    case FT_PARITY_SPACE:
        return SPACE;
    default:
        return std::nullopt;
    }
}

FT_STATUS statusOfOpenResult(int result) {
    return result == 0 ? FT_OK : FT_DEVICE_NOT_OPENED;
}

OpenCause openCauseOfOpenResult(int result) {
    switch (result) {
    case 0:
        return OpenCause::None;
    case kFtdiOpenRefused:
        return OpenCause::Permission;
    case kFtdiClaimFailed:
        return OpenCause::Busy;
    default:
        return OpenCause::Other;
    }
}

FT_STATUS statusOfBaudRateResult(int result) {
    if (result == 0)
        return FT_OK;
    // -1: no divisor reaches the rate within the chip's tolerance.
    return result == -1 ? FT_INVALID_BAUD_RATE : FT_IO_ERROR;
}

FT_STATUS statusOfReadResult(int result) {
    if (result >= 0 || result == LIBUSB_ERROR_TIMEOUT)
        return FT_OK;
    return result == kFtdiDeviceUnavailable ? FT_INVALID_HANDLE : FT_IO_ERROR;
}

FT_STATUS statusOfWriteResult(int result) {
    if (result >= 0)
        return FT_OK;
    return result == kFtdiDeviceUnavailable ? FT_INVALID_HANDLE : FT_IO_ERROR;
}

} // namespace brivo::usb
