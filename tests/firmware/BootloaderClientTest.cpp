// The bootloader client against a scripted bridge: answers in pieces, wrong
// bytes, silence.
#include "firmware/BootloaderClient.h"
#include "firmware/FirmwareImage.h"
#include "link/LinkFixture.h"

namespace brivo::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

class BootloaderClientTest : public LinkFixture {
  protected:
    void SetUp() override { openBridge(); }

    // Runs a step; the fault it threw, or nothing.
    template <typename Step> std::optional<ReplyFault> faultOf(Step step, QString* text = nullptr) {
        const ExchangeGuard held = exchange.beginExchange();
        try {
            step();
        } catch (const BootloaderError& e) {
            if (text != nullptr)
                *text = e.text();
            return e.fault();
        }
        return std::nullopt;
    }

    BootloaderClient client{unit, exchange, log, clock};
};

TEST_F(BootloaderClientTest, AGetAnswerInTwoPiecesIsTakenWhole) {
    bridge.arrive(1000, {0x79, 0x03, 0x22});
    bridge.arrive(20000, {0x00, 0x11, 0x31, 0x79});
    std::vector<std::uint8_t> commands;
    EXPECT_FALSE(faultOf([&] { commands = client.get_commands(); }));
    EXPECT_EQ(commands, (Bytes{0x00, 0x11, 0x31}));
    EXPECT_EQ(bridge.writes.front(), (Bytes{0x00, 0xFF}));
    EXPECT_TRUE(log.lines.contains("bootloader commands: 00 11 31"));
}

TEST_F(BootloaderClientTest, AnythingButAckEndsTheStepWithWhatCame) {
    const struct {
        Bytes answer;
        ReplyFault fault;
        const char* says;
    } cases[] = {
        {{0x1F}, ReplyFault::Nack, "the pedal refused (NACK) the erase command."},
        {{0x42},
         ReplyFault::UnexpectedByte,
         "the pedal answered 42 instead of ACK to the erase command."},
        {{}, ReplyFault::NoReply, "the pedal did not answer the erase command within 1000 ms."},
    };
    for (const auto& c : cases) {
        bridge.arrivals.clear();
        bridge.queue.clear();
        if (!c.answer.empty())
            bridge.arrive(clock.nowUs() + 500, c.answer);
        const std::int64_t startMs = clock.nowMs();
        QString text;
        EXPECT_EQ(faultOf([&] { client.erase_flash(); }, &text), c.fault);
        EXPECT_EQ(text, QLatin1String(c.says));
        EXPECT_EQ(bridge.writes.back(), (Bytes{0x43, 0xBC})) << "nothing after the failed step";
        if (c.answer.empty()) {
            EXPECT_GE(clock.nowMs() - startMs, 1000);
        }
    }
}

TEST_F(BootloaderClientTest, AReadBackCutShortIsAFailureNotAMatch) {
    bridge.arrive(1000, {0x79});
    bridge.arrive(30000, {0x79});
    bridge.arrive(60000, {0x79, 1, 2, 3});
    QString text;
    EXPECT_EQ(
        faultOf([&] { client.read_memory(0x08000000, 16, QStringLiteral("block 1")); }, &text),
        ReplyFault::BadAnswer);
    EXPECT_EQ(text, "the pedal's answer to the read-back of block 1 was incomplete.");
    EXPECT_EQ(bridge.writes.back(), (Bytes{0x0F, 0xF0}));
}

TEST_F(BootloaderClientTest, AnUnpluggedBridgeEndsTheWaitAtOnce) {
    bridge.unplugAtUs = 0;
    EXPECT_EQ(faultOf([&] { client.send_go_command(); }), ReplyFault::LinkLost);
    EXPECT_LT(clock.nowMs(), 1000);
}

} // namespace
} // namespace brivo::test
