#include "virtualpedal/SerialLink.h"

#include <algorithm>
#include <limits>

namespace brivo {

namespace {
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
}

void SerialLink::hostWrite(std::int64_t nowNs, const std::uint8_t* data, std::size_t count) {
    std::int64_t at = std::max(nowNs, toProcessorLineFreeNs_);
    for (std::size_t k = 0; k < count; ++k) {
        at += kByteTimeNs;
        toProcessor_.push_back({at, data[k]});
    }
    toProcessorLineFreeNs_ = at;
}

void SerialLink::deliverDue(std::int64_t nowNs, const Delivery& deliver) {
    while (!toProcessor_.empty() && toProcessor_.front().atNs <= nowNs) {
        const TimedByte next = toProcessor_.front();
        toProcessor_.pop_front();
        deliver(next.byte, next.atNs);
    }
}

void SerialLink::purgeHostTransmit(std::int64_t nowNs) {
    toProcessor_.clear();
    toProcessorLineFreeNs_ = nowNs;
}

void SerialLink::deviceSend(std::int64_t atNs, const std::vector<std::uint8_t>& bytes) {
    std::int64_t at = std::max(atNs, fromProcessorLineFreeNs_);
    for (const std::uint8_t byte : bytes) {
        at += kByteTimeNs;
        fromProcessor_.push_back({at, byte});
    }
    fromProcessorLineFreeNs_ = at;
}

void SerialLink::advanceReceive(std::int64_t nowNs) {
    for (;;) {
        const std::int64_t arrival = fromProcessor_.empty() ? kNever : fromProcessor_.front().atNs;
        const std::int64_t timerExpiry =
            packet_.empty() ? kNever : packetFirstByteNs_ + latencyTimerNs_;
        if (timerExpiry <= nowNs && timerExpiry <= arrival) {
            flushPacket();
            continue;
        }
        if (arrival > nowNs)
            return;
        if (packet_.empty())
            packetFirstByteNs_ = arrival;
        packet_.push_back(fromProcessor_.front().byte);
        fromProcessor_.pop_front();
        if (packet_.size() == kUsbPacketDataBytes)
            flushPacket();
    }
}

void SerialLink::flushPacket() {
    visible_.insert(visible_.end(), packet_.begin(), packet_.end());
    packet_.clear();
}

std::size_t SerialLink::hostRead(std::uint8_t* out, std::size_t count) {
    const std::size_t n = std::min(count, visible_.size());
    std::copy_n(visible_.begin(), n, out);
    visible_.erase(visible_.begin(), visible_.begin() + static_cast<std::ptrdiff_t>(n));
    return n;
}

void SerialLink::purgeHostReceive() {
    visible_.clear();
    packet_.clear();
}

void SerialLink::reset() {
    toProcessor_.clear();
    fromProcessor_.clear();
    packet_.clear();
    visible_.clear();
    toProcessorLineFreeNs_ = 0;
    fromProcessorLineFreeNs_ = 0;
}

} // namespace brivo
