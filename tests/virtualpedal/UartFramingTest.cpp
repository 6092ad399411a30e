// A UART receiver taking bytes framed by a sender at its own or another
// framing, bit by bit, as the line carries them.
#include "virtualpedal/UartFraming.h"

#include <gtest/gtest.h>

namespace brivo::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

// What `receiver` takes of `bytes` sent by `sender` back to back, then idle.
std::vector<ReceivedByte> carry(const Framing& sender, const Framing& receiver,
                                const Bytes& bytes) {
    UartReceiver uart(receiver);
    std::vector<ReceivedByte> taken;
    const auto feed = [&](bool level) {
        if (const auto got = uart.takeBit(level))
            taken.push_back(*got);
    };
    for (const std::uint8_t byte : bytes)
        for (const bool level : frameBits(byte, sender))
            feed(level);
    for (int idle = 0; idle < 12; ++idle)
        feed(true);
    return taken;
}

TEST(UartFraming, MatchingFramingsCarryEveryByteAndOthersDoNot) {
    const struct {
        const char* what;
        Framing sender, receiver;
        Bytes sent;
        Bytes taken;
        std::vector<bool> framingErrors;
        std::vector<bool> parityErrors;
    } cases[] = {
        {"8E1 both ways", k8E1, k8E1, {0x00, 0xFF, 0x22}, {0x00, 0xFF, 0x22}, {0, 0, 0}, {0, 0, 0}},
        {"8N1 both ways", k8N1, k8N1, {0x00, 0xFF, 0x22}, {0x00, 0xFF, 0x22}, {0, 0, 0}, {0, 0, 0}},
        // A lone byte at 8N1 then idle: the stop bit stands for parity, the
        // idle line for the stop bit; right parity only for odd weight.
        {"lone 7F, 8N1 to 8E1", k8N1, k8E1, {0x7F}, {0x7F}, {0}, {0}},
        {"lone 00, 8N1 to 8E1", k8N1, k8E1, {0x00}, {0x00}, {0}, {1}},
        // Back to back, the next start bit lands on the stop bit.
        {"00 FF, 8N1 to 8E1", k8N1, k8E1, {0x00, 0xFF}, {0x00}, {1}, {1}},
        // An 8N1 host takes the parity bit as the stop bit: even weight is a
        // framing error, odd weight passes.
        {"answers, 8E1 to 8N1",
         k8E1,
         k8N1,
         {0x79, 0x22, 0x1F, 0x00},
         {0x79, 0x22, 0x1F, 0x00},
         {0, 1, 0, 1},
         {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<ReceivedByte> taken = carry(c.sender, c.receiver, c.sent);
        ASSERT_EQ(taken.size(), c.taken.size());
        for (std::size_t k = 0; k < taken.size(); ++k) {
            EXPECT_EQ(taken[k].value, c.taken[k]) << k;
            EXPECT_EQ(taken[k].framingError, c.framingErrors[k]) << k;
            EXPECT_EQ(taken[k].parityError, c.parityErrors[k]) << k;
        }
    }
}

} // namespace
} // namespace brivo::test
