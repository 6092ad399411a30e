#pragma once

#include "link/d2xx/Ftd2xx.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace brivo {

// How a serial line frames each byte: a start bit, the data bits (least
// significant first), a parity bit unless there is none, the stop bits.
struct Framing {
    int dataBits = 8;
    UCHAR parity = FT_PARITY_NONE; // a D2XX parity code
    int stopBits = 1;

    int bitsPerByte() const { return 1 + dataBits + (parity == FT_PARITY_NONE ? 0 : 1) + stopBits; }
    bool operator==(const Framing&) const = default;
};

// The effect firmware's link, and the processor's serial bootloader.
inline constexpr Framing k8N1{8, FT_PARITY_NONE, 1};
inline constexpr Framing k8E1{8, FT_PARITY_EVEN, 1};

// The framing of D2XX line settings.
Framing framingOf(UCHAR wordLength, UCHAR stopBits, UCHAR parity);

// The levels a transmitter at `framing` puts on the line for `byte`
// (true = mark, the idle level).
std::vector<bool> frameBits(std::uint8_t byte, const Framing& framing);

// One byte as a receiver took it.
struct ReceivedByte {
    std::uint8_t value = 0;
    bool parityError = false;
    // A stop bit sampled at space: the sender's framing is not the receiver's.
    bool framingError = false;
};

// A UART receiver fed one bit time at a time. It starts a frame at a falling
// edge, samples data, parity and stop bits at its own framing, and then waits
// for the next falling edge: fed bytes framed otherwise, it loses step and
// resynchronises inside their data bits, as a real one does.
class UartReceiver {
  public:
    explicit UartReceiver(Framing framing = k8N1) : framing_(framing) {}

    // Takes effect at the next start bit.
    void setFraming(const Framing& framing) { framing_ = framing; }
    const Framing& framing() const { return framing_; }
    // The byte whose frame this bit completes, if any.
    std::optional<ReceivedByte> takeBit(bool level);
    // Between frames, with the line at mark.
    bool idle() const { return !inFrame_ && lastLevel_; }
    void reset();

  private:
    Framing framing_;
    Framing frameFraming_;
    bool inFrame_ = false;
    bool lastLevel_ = true;
    int bitIndex_ = 0;
    std::uint8_t value_ = 0;
    int ones_ = 0;
    bool parityError_ = false;
    bool framingError_ = false;
};

} // namespace brivo
