#pragma once

#include "virtualpedal/UartFraming.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace brivo {

// The timing of the bridge between host and processor, in nanoseconds of the
// pedal's clock. Host writes reach the processor one byte at a time at 115200
// baud; the processor's bytes come back the same way and reach the host in USB
// packets of up to 62 data bytes, sent when full or when the latency timer
// expires after the packet's first byte. Each way the line carries bits: the
// sender frames its bytes at its own framing and the receiver takes them at
// its own, so a host whose framing is not the processor's sees (and causes)
// what a real line shows; a byte the host's receiver takes with a framing
// error reaches it as 00, as a Linux tty hands it over. Nothing runs on its
// own: the owner advances it to "now" before every look.
class SerialLink {
  public:
    static constexpr std::size_t kUsbPacketDataBytes = 62;
    // The bridge's default latency timer.
    static constexpr std::int64_t kLatencyTimerNs = 16'000'000;

    void setLatencyTimerNs(std::int64_t ns) { latencyTimerNs_ = ns; }
    std::int64_t latencyTimerNs() const { return latencyTimerNs_; }

    using Delivery = std::function<void(std::uint8_t byte, std::int64_t atNs)>;

    // The framing each end uses from its next byte on (8N1 both at first).
    void setHostFraming(const Framing& framing);
    void setProcessorFraming(const Framing& framing);
    const Framing& hostFraming() const { return toProcessor_.sender; }

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
    // When the host will next see bytes, as things stand; nothing when no
    // byte is on its way to it.
    std::optional<std::int64_t> nextHostBytesAtNs() const;
    // When the next written byte reaches the processor, if one is on its way.
    std::optional<std::int64_t> nextProcessorByteAtNs() const {
        if (toProcessor_.received.empty())
            return std::nullopt;
        return toProcessor_.received.front().atNs;
    }
    // When the last written byte on its way reaches the processor.
    std::optional<std::int64_t> lastProcessorByteAtNs() const {
        if (toProcessor_.received.empty())
            return std::nullopt;
        return toProcessor_.received.back().atNs;
    }
    std::size_t hostRead(std::uint8_t* out, std::size_t count);
    // Drops what the host could read and what waits in the bridge's packet;
    // bytes still to come from the processor are not affected.
    void purgeHostReceive();

    // Everything in flight is lost (unplugging, opening afresh).
    void reset();

    std::size_t bytesToProcessor() const { return toProcessor_.received.size(); }
    std::size_t bytesFromProcessor() const {
        return fromProcessor_.received.size() + packet_.size();
    }

  private:
    struct TimedByte {
        std::int64_t atNs;
        std::uint8_t byte;
    };

    // Bits a receiver may still take from an idle line after a burst, when
    // its frames are longer than the sender's: it takes them only if the
    // line stays idle that long, which the next burst decides.
    struct Pending {
        UartReceiver receiver;
        std::size_t bytesQueued = 0;
        std::int64_t doneAtNs = 0;
    };

    // One direction: the sender's framing, the receiver at the far end, what
    // it took and when, and when the line is free again.
    struct Line {
        Framing sender;
        UartReceiver receiver;
        std::deque<TimedByte> received;
        std::optional<Pending> pending;
        std::int64_t freeAtNs = 0;
        std::int64_t burstStartNs = 0;
        std::int64_t burstBits = 0;

        // The next burst starts at `atNs`: the pending bits stand or fall.
        void settle(std::int64_t atNs);
        void clear();
    };

    // Puts `bytes` on the line from `atNs` (or once it is free) and queues
    // what its receiver takes, each at the end of its frame; with
    // `framingErrorsAsZero`, a byte with a framing error is queued as 00.
    static void transmit(Line& line, std::int64_t atNs, const std::uint8_t* bytes,
                         std::size_t count, bool framingErrorsAsZero);
    void flushPacket();

    Line toProcessor_;
    Line fromProcessor_;
    std::vector<std::uint8_t> packet_;
    std::int64_t packetFirstByteNs_ = 0;
    std::deque<std::uint8_t> visible_;
    std::int64_t latencyTimerNs_ = kLatencyTimerNs;
};

} // namespace brivo
