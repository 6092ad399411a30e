// The magnitude response shown for a loaded impulse response.
#include "ir/IrSpectrum.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

TEST(IrSpectrum, LevelsInDbOverTheAudibleRange) {
    struct Case {
        const char* name;
        std::vector<std::int32_t> samples;
        double lowDb, highDb; // at 100 Hz and 10 kHz
    };
    const std::int32_t full = static_cast<std::int32_t>(0x7FFFFF00);
    const Case cases[] = {
        {"unit impulse: flat at 0 dB", {full}, 0.0, 0.0},
        {"half impulse: flat at -6 dB", {full / 2}, -6.02, -6.02},
        // Two equal taps: full gain at low frequencies, falling to a notch at 24 kHz.
        {"two taps: 0 dB low, |cos(pi f / 48 kHz)| high", {full / 2, full / 2}, 0.0, -2.01},
    };
    for (const Case& c : cases) {
        const auto points = ir_magnitude_db(c.samples);
        ASSERT_FALSE(points.empty());
        EXPECT_GE(points.front().first, 20.0) << c.name;
        EXPECT_LE(points.back().first, 20000.0) << c.name;
        const auto at = [&points](double hz) {
            for (const auto& [f, db] : points)
                if (f >= hz)
                    return db;
            return points.back().second;
        };
        EXPECT_NEAR(at(100.0), c.lowDb, 0.1) << c.name;
        EXPECT_NEAR(at(10000.0), c.highDb, 0.2) << c.name;
    }
    EXPECT_EQ(ir_magnitude_db({0}).front().second, -120.0);
}

} // namespace
} // namespace brivo
