// Times reading, resampling, converting and splicing a one-second 96 kHz
// stereo float impulse response, as Load IR does it.
#include "catalogue/Resources.h"
#include "ir/IrSplice.h"
#include "ir/WavImpulse.h"

#include "../tests/ir/RiffWriter.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

using namespace brivo;
using namespace brivo::test;

namespace {
constexpr int kRuns = 10;
constexpr int kRateHz = 96000;
constexpr int kChannels = 2;
} // namespace

int main() {
    // A decaying noise-like response, different on each channel.
    QByteArray data;
    data.reserve(kRateHz * kChannels * 4);
    unsigned seed = 1;
    for (int i = 0; i < kRateHz; ++i) {
        for (int c = 0; c < kChannels; ++c) {
            seed = seed * 1103515245U + 12345U;
            const float noise = static_cast<float>((seed >> 8) & 0xFFFF) / 32768.0f - 1.0f;
            data += floatBytes(noise * std::exp(-i / 4800.0f));
        }
    }
    const QByteArray file = wav(fmtChunk(3, kChannels, kRateHz, 32) + chunk("data", data));
    const QString program = resources::load_resource_lines("CABINET_IR_BASIC").value(0);
    const IrLayout layout = *ir_layout_of("Cabinet IR Basic");

    std::vector<double> ms;
    for (int run = 0; run < kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        const ImpulseResponse r = read_impulse_response(file, layout.samples);
        const QString spliced = splice_ir(program, layout, r.samples);
        const auto end = std::chrono::steady_clock::now();
        if (!r.error.isEmpty() || spliced.isEmpty() || !r.resampled) {
            std::printf("load failed: %s\n", qPrintable(r.error));
            return 1;
        }
        ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(ms.begin(), ms.end());
    std::printf("Load IR, 1 s 96 kHz stereo float file (%lld bytes): median %.1f ms, worst %.1f ms "
                "over %d runs\n",
                static_cast<long long>(file.size()), ms[ms.size() / 2], ms.back(), kRuns);
    return 0;
}
