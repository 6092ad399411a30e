// WAV files from disk, read as Load IR reads them: the chunk walk, then the
// samples through libsndfile and, at other rates, the resampler.
#include "FuzzInput.h"
#include "ir/WavImpulse.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace brivo;
    const QByteArray bytes = fuzz::bytesOf(data, size);
    QString error;
    scan_wav_header(bytes, error);
    // A short region keeps each run quick; the reading is the same.
    constexpr int kSamplesNeeded = 64;
    read_impulse_response(bytes, kSamplesNeeded);
    return 0;
}
