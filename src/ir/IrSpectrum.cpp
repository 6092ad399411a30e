#include "ir/IrSpectrum.h"

#include "ir/WavImpulse.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <fftw3.h>

namespace brivo {

namespace {
constexpr double kLowestHz = 20.0;
constexpr double kHighestHz = 20000.0;
constexpr double kFullScale = 2147483648.0;
// Silence has no level; it shows at the floor.
constexpr double kFloorDb = -120.0;
} // namespace

std::vector<std::pair<double, double>> ir_magnitude_db(const std::vector<std::int32_t>& samples,
                                                       int fftSize) {
    std::vector<double> in(static_cast<std::size_t>(fftSize), 0.0);
    const std::size_t used = std::min(samples.size(), in.size());
    for (std::size_t i = 0; i < used; ++i)
        in[i] = samples[i] / kFullScale;
    std::vector<std::complex<double>> out(static_cast<std::size_t>(fftSize / 2 + 1));
    fftw_plan plan = fftw_plan_dft_r2c_1d(
        fftSize, in.data(), reinterpret_cast<fftw_complex*>(out.data()), FFTW_ESTIMATE);
    fftw_execute(plan);
    fftw_destroy_plan(plan);
    std::vector<std::pair<double, double>> points;
    const double binHz = static_cast<double>(kPedalRateHz) / fftSize;
    for (std::size_t k = 1; k < out.size(); ++k) {
        const double hz = k * binHz;
        if (hz < kLowestHz || hz > kHighestHz)
            continue;
        const double magnitude = std::abs(out[k]);
        points.emplace_back(hz, magnitude > 0 ? std::max(kFloorDb, 20.0 * std::log10(magnitude))
                                              : kFloorDb);
    }
    return points;
}

} // namespace brivo
