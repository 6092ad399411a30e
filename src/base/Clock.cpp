#include "base/Clock.h"

#include <chrono>
#include <thread>

namespace brivo {

std::int64_t RealClock::nowUs() const {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void RealClock::sleepUs(std::int64_t us) {
    if (us > 0)
        std::this_thread::sleep_for(std::chrono::microseconds(us));
}

} // namespace brivo
