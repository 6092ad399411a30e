#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace brivo {

// The magnitude response of an impulse response (left-aligned 24-bit
// samples at 48 kHz, full scale 1.0) in dB over 20 Hz to 20 kHz: pairs of
// frequency in Hz and level in dB, from an FFT of `fftSize` points (the
// response zero-padded or cut to it).
std::vector<std::pair<double, double>> ir_magnitude_db(const std::vector<std::int32_t>& samples,
                                                       int fftSize = 8192);

} // namespace brivo
