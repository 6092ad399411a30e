#include "virtualpedal/SerialLink.h"

#include <algorithm>
#include <limits>

namespace brivo {

namespace {
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kNsPerSecond = 1'000'000'000;
constexpr std::int64_t kBaudRate = 115'200;
// Idle time longer than this many bit times ends any frame a receiver is in.
constexpr std::int64_t kIdleBitsThatResync = 12;

// When bit `bits` of a burst that started at `startNs` ends.
std::int64_t bitEndNs(std::int64_t startNs, std::int64_t bits) {
    return startNs + (bits * kNsPerSecond + kBaudRate / 2) / kBaudRate;
}
} // namespace

void SerialLink::setHostFraming(const Framing& framing) {
    toProcessor_.sender = framing;
    fromProcessor_.receiver.setFraming(framing);
}

void SerialLink::setProcessorFraming(const Framing& framing) {
    fromProcessor_.sender = framing;
    toProcessor_.receiver.setFraming(framing);
}

void SerialLink::Line::settle(std::int64_t atNs) {
    if (!pending)
        return;
    if (atNs >= pending->doneAtNs) {
        // The line stayed idle: the receiver finished its frame on it.
        receiver = pending->receiver;
    } else {
        // The next bytes follow sooner: the receiver samples them instead.
        received.erase(received.end() - static_cast<std::ptrdiff_t>(pending->bytesQueued),
                       received.end());
    }
    pending.reset();
}

void SerialLink::transmit(Line& line, std::int64_t atNs, const std::uint8_t* bytes,
                          std::size_t count, bool framingErrorsAsZero) {
    if (count == 0)
        return;
    const std::int64_t start = std::max(atNs, line.freeAtNs);
    line.settle(start);
    const auto take = [&](const std::optional<ReceivedByte>& got, std::int64_t at,
                          std::deque<TimedByte>& into) {
        if (!got)
            return false;
        const bool zero = framingErrorsAsZero && got->framingError;
        into.push_back({at, zero ? std::uint8_t{0} : got->value});
        return true;
    };
    if (start > line.freeAtNs) {
        // Idle between bursts: a receiver still inside a frame samples mark.
        const std::int64_t idleBits =
            std::min(kIdleBitsThatResync, (start - line.freeAtNs) * kBaudRate / kNsPerSecond);
        for (std::int64_t k = 1; k <= idleBits; ++k)
            take(line.receiver.takeBit(true), bitEndNs(line.freeAtNs, k), line.received);
        line.burstStartNs = start;
        line.burstBits = 0;
    }
    for (std::size_t i = 0; i < count; ++i) {
        for (const bool level : frameBits(bytes[i], line.sender)) {
            ++line.burstBits;
            take(line.receiver.takeBit(level), bitEndNs(line.burstStartNs, line.burstBits),
                 line.received);
        }
    }
    line.freeAtNs = bitEndNs(line.burstStartNs, line.burstBits);
    if (line.receiver.idle())
        return;
    // The receiver waits for bits the sender did not send (its frame is
    // longer): if the line stays idle it takes them as mark. Whether it does
    // is known only when the next bytes come, so this is kept apart.
    Pending pending{line.receiver, 0, line.freeAtNs};
    for (std::int64_t k = 1; k <= kIdleBitsThatResync && !pending.receiver.idle(); ++k) {
        const std::int64_t at = bitEndNs(line.freeAtNs, k);
        if (take(pending.receiver.takeBit(true), at, line.received)) {
            ++pending.bytesQueued;
            pending.doneAtNs = at;
        }
    }
    line.pending = pending;
}

void SerialLink::hostWrite(std::int64_t nowNs, const std::uint8_t* data, std::size_t count) {
    transmit(toProcessor_, nowNs, data, count, false);
}

void SerialLink::deliverDue(std::int64_t nowNs, const Delivery& deliver) {
    std::deque<TimedByte>& due = toProcessor_.received;
    while (!due.empty() && due.front().atNs <= nowNs) {
        const TimedByte next = due.front();
        due.pop_front();
        if (toProcessor_.pending && toProcessor_.pending->bytesQueued > due.size())
            toProcessor_.pending->bytesQueued = due.size();
        deliver(next.byte, next.atNs);
    }
}

void SerialLink::purgeHostTransmit(std::int64_t nowNs) {
    // What the bridge has not put on the line yet is dropped; a byte already
    // on its way still arrives, so the receiver keeps its step.
    Line& line = toProcessor_;
    line.received.erase(std::remove_if(line.received.begin(), line.received.end(),
                                       [nowNs](const TimedByte& b) { return b.atNs > nowNs; }),
                        line.received.end());
    line.pending.reset();
    line.receiver.reset();
    line.freeAtNs = std::min(line.freeAtNs, nowNs);
}

void SerialLink::deviceSend(std::int64_t atNs, const std::vector<std::uint8_t>& bytes) {
    transmit(fromProcessor_, atNs, bytes.data(), bytes.size(), true);
}

void SerialLink::advanceReceive(std::int64_t nowNs) {
    std::deque<TimedByte>& arriving = fromProcessor_.received;
    for (;;) {
        const std::int64_t arrival = arriving.empty() ? kNever : arriving.front().atNs;
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
        packet_.push_back(arriving.front().byte);
        arriving.pop_front();
        if (fromProcessor_.pending && fromProcessor_.pending->bytesQueued > arriving.size())
            fromProcessor_.pending->bytesQueued = arriving.size();
        if (packet_.size() == kUsbPacketDataBytes)
            flushPacket();
    }
}

std::optional<std::int64_t> SerialLink::nextHostBytesAtNs() const {
    const std::deque<TimedByte>& arriving = fromProcessor_.received;
    if (packet_.empty() && arriving.empty())
        return std::nullopt;
    const std::int64_t firstNs = packet_.empty() ? arriving.front().atNs : packetFirstByteNs_;
    std::int64_t at = firstNs + latencyTimerNs_;
    // A packet that fills up goes at once.
    const std::size_t missing = kUsbPacketDataBytes - packet_.size();
    if (arriving.size() >= missing)
        at = std::min(at, arriving[missing - 1].atNs);
    return at;
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

void SerialLink::Line::clear() {
    received.clear();
    pending.reset();
    receiver.reset();
    freeAtNs = 0;
    burstStartNs = 0;
    burstBits = 0;
}

void SerialLink::reset() {
    toProcessor_.clear();
    fromProcessor_.clear();
    packet_.clear();
    visible_.clear();
}

} // namespace brivo
