#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <vector>

namespace brivo {

// The timing of the bridge between host and effect processor, in nanoseconds
// of the pedal's clock. Host writes reach the processor one byte at a time at
// 115200 baud 8N1; the processor's bytes come back the same way and reach the
// host in USB packets of up to 62 data bytes, sent when full or when the
// latency timer expires after the packet's first byte. Nothing runs on its
// own: the owner advances it to "now" before every look.
class SerialLink {
  public:
    // 10 bits (start, 8 data, stop) at 115200 baud.
    static constexpr std::int64_t kByteTimeNs = 86'806;
    static constexpr std::size_t kUsbPacketDataBytes = 62;
    // The bridge's default latency timer.
    static constexpr std::int64_t kLatencyTimerNs = 16'000'000;

    void setLatencyTimerNs(std::int64_t ns) { latencyTimerNs_ = ns; }
    std::int64_t latencyTimerNs() const { return latencyTimerNs_; }

    using Delivery = std::function<void(std::uint8_t byte, std::int64_t atNs)>;

    // Host to processor: the bytes queue behind any still on the line.
    void hostWrite(std::int64_t nowNs, const std::uint8_t* data, std::size_t count);
    // Hands every written byte that has reached the processor by `nowNs` to
    // `deliver`, in order, with the time it arrived.
    void deliverDue(std::int64_t nowNs, const Delivery& deliver);
    // Drops the written bytes that have not reached the processor yet.
    void purgeHostTransmit(std::int64_t nowNs);

    // Processor to host: the bytes start leaving no earlier than `atNs`,
    // after any still on the line.
    void deviceSend(std::int64_t atNs, const std::vector<std::uint8_t>& bytes);
    // Moves the bytes that have arrived by `nowNs` into packets and makes
    // the packets sent by then visible to the host.
    void advanceReceive(std::int64_t nowNs);
    std::size_t hostQueued() const { return visible_.size(); }
    std::size_t hostRead(std::uint8_t* out, std::size_t count);
    // Drops what the host could read and what waits in the bridge's packet;
    // bytes still to come from the processor are not affected.
    void purgeHostReceive();

    // Everything in flight is lost (unplugging, opening afresh).
    void reset();

    std::size_t bytesToProcessor() const { return toProcessor_.size(); }
    std::size_t bytesFromProcessor() const { return fromProcessor_.size() + packet_.size(); }

  private:
    struct TimedByte {
        std::int64_t atNs;
        std::uint8_t byte;
    };

    void flushPacket();

    std::deque<TimedByte> toProcessor_;
    std::int64_t toProcessorLineFreeNs_ = 0;
    std::deque<TimedByte> fromProcessor_;
    std::int64_t fromProcessorLineFreeNs_ = 0;
    std::vector<std::uint8_t> packet_;
    std::int64_t packetFirstByteNs_ = 0;
    std::deque<std::uint8_t> visible_;
    std::int64_t latencyTimerNs_ = kLatencyTimerNs;
};

} // namespace brivo
