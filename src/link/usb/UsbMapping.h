#pragma once

#include "link/d2xx/Driver.h"

#include <optional>

namespace brivo::usb {

// USB ids of the FT230X bridge.
constexpr int kFtdiVendorId = 0x0403;
constexpr int kFt230xProductId = 0x6015;

// libftdi's line-property values for the D2XX codes (the numbers agree, but
// only the ones both sides know are passed on); nullopt for an unknown code.
std::optional<int> ftdiBitsFor(UCHAR wordLength);
std::optional<int> ftdiStopBitsFor(UCHAR stopBits);
std::optional<int> ftdiParityFor(UCHAR parity);

// D2XX status for a libftdi result.
FT_STATUS statusOfOpenResult(int result);
// Why ftdi_usb_open_dev failed: libusb_open refused (-4; no udev rule, as a
// rule) or the interface is claimed by another program (-5).
OpenCause openCauseOfOpenResult(int result);
FT_STATUS statusOfBaudRateResult(int result);
// Reads: a USB time-out only means nothing arrived, which is no failure.
FT_STATUS statusOfReadResult(int result);
FT_STATUS statusOfWriteResult(int result);

} // namespace brivo::usb
