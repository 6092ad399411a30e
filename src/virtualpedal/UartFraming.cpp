#include "virtualpedal/UartFraming.h"

namespace brivo {

namespace {

// The parity bit a transmitter adds to data with `ones` bits set.
bool parityBit(UCHAR parity, int ones) {
    switch (parity) {
    case FT_PARITY_ODD:
        return ones % 2 == 0;
    case FT_PARITY_EVEN:
        return ones % 2 != 0;
    case FT_PARITY_MARK:
        return true;
    default: // space
        return false;
    }
}

} // namespace

Framing framingOf(UCHAR wordLength, UCHAR stopBits, UCHAR parity) {
    return {wordLength == FT_BITS_7 ? 7 : 8, parity, stopBits == FT_STOP_BITS_2 ? 2 : 1};
}

std::vector<bool> frameBits(std::uint8_t byte, const Framing& framing) {
    std::vector<bool> bits;
    bits.reserve(static_cast<std::size_t>(framing.bitsPerByte()));
    bits.push_back(false);
    int ones = 0;
    for (int k = 0; k < framing.dataBits; ++k) {
        const bool bit = ((byte >> k) & 1) != 0;
        ones += bit ? 1 : 0;
        bits.push_back(bit);
    }
    if (framing.parity != FT_PARITY_NONE)
        bits.push_back(parityBit(framing.parity, ones));
    for (int k = 0; k < framing.stopBits; ++k)
        bits.push_back(true);
    return bits;
}

void UartReceiver::reset() {
    inFrame_ = false;
    lastLevel_ = true;
}

std::optional<ReceivedByte> UartReceiver::takeBit(bool level) {
    const bool wasLevel = lastLevel_;
    lastLevel_ = level;
    if (!inFrame_) {
        // Only a falling edge starts a frame.
        if (wasLevel && !level) {
            inFrame_ = true;
            frameFraming_ = framing_;
            bitIndex_ = 0;
            value_ = 0;
            ones_ = 0;
            parityError_ = false;
            framingError_ = false;
        }
        return std::nullopt;
    }
    ++bitIndex_;
    const int data = frameFraming_.dataBits;
    const bool hasParity = frameFraming_.parity != FT_PARITY_NONE;
    if (bitIndex_ <= data) {
        if (level) {
            value_ = static_cast<std::uint8_t>(value_ | (1U << (bitIndex_ - 1)));
            ++ones_;
        }
        return std::nullopt;
    }
    if (hasParity && bitIndex_ == data + 1) {
        parityError_ = level != parityBit(frameFraming_.parity, ones_);
        return std::nullopt;
    }
    // A stop bit.
    if (!level)
        framingError_ = true;
    if (bitIndex_ < frameFraming_.bitsPerByte() - 1)
        return std::nullopt;
    inFrame_ = false;
    return ReceivedByte{value_, parityError_, framingError_};
}

} // namespace brivo
