#pragma once

namespace brivo {

// The pedal's link: 115200 baud, 8 data bits, one stop bit, no parity, so
// ten bits on the line for every byte.
constexpr int kLinkBaudRate = 115200;
constexpr int kLinkBitsPerByte = 10;
constexpr double kLinkByteTimeUs = 1e6 * kLinkBitsPerByte / kLinkBaudRate;

} // namespace brivo
