// The bootloader conversation against a scripted bridge: answers in pieces,
// wrong and stray bytes, silence, and the frames as they leave.
#include "firmware/BootloaderClient.h"
#include "firmware/D2xxBootloaderLink.h"
#include "firmware/FirmwareImage.h"
#include "link/LinkFixture.h"

#include <type_traits>

namespace brivo::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
const bootloader::MassErase kErase43{bootloader::kErase, {0xFF, 0x00}};

class BootloaderClientTest : public LinkFixture {
  protected:
    void SetUp() override { openBridge(); }

    // Runs a step; the fault it threw, or nothing.
    template <typename Step> std::optional<ReplyFault> faultOf(Step step, QString* text = nullptr) {
        try {
            step();
        } catch (const BootloaderError& e) {
            if (text != nullptr)
                *text = e.text();
            return e.fault();
        }
        return std::nullopt;
    }

    // Runs a step of the conversation to its end on the virtual clock.
    template <typename T> T run(Task<T> task) {
        bool done = false;
        task.start([&] { done = true; });
        while (!done) {
            if (!clock.runNextTimer()) {
                ADD_FAILURE() << "a wait with nothing to wake it";
                break;
            }
        }
        if constexpr (std::is_void_v<T>)
            task.result();
        else
            return task.result();
    }

    D2xxBootloaderLink link{unit, exchange, clock};
    BootloaderClient client{link, log};
};

TEST_F(BootloaderClientTest, AGetAnswerInTwoPiecesIsTakenWhole) {
    bridge.arrive(1000, {0x79, 0x03, 0x22});
    bridge.arrive(20000, {0x00, 0x11, 0x31, 0x79});
    std::vector<std::uint8_t> commands;
    EXPECT_FALSE(faultOf([&] { commands = run(client.get_commands()); }));
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
         ReplyFault::UnexpectedBytes,
         "the pedal answered 42 instead of ACK to the erase command."},
        // An ACK of even weight at 8N1 reaches a tty as a framing error: 00.
        {{0x00, 0x79},
         ReplyFault::UnexpectedBytes,
         "the pedal answered 00 instead of ACK to the erase command."},
        {{}, ReplyFault::NoReply, "the pedal did not answer the erase command within 1000 ms."},
    };
    for (const auto& c : cases) {
        bridge.arrivals.clear();
        bridge.queue.clear();
        if (!c.answer.empty())
            bridge.arrive(clock.nowUs() + 500, c.answer);
        const std::int64_t startMs = clock.nowMs();
        QString text;
        EXPECT_EQ(faultOf([&] { run(client.erase_flash(kErase43)); }, &text), c.fault);
        EXPECT_EQ(text, QLatin1String(c.says));
        EXPECT_EQ(bridge.writes.back(), (Bytes{0x43, 0xBC})) << "nothing after the failed step";
        if (c.answer.empty()) {
            EXPECT_GE(clock.nowMs() - startMs, 1000);
        }
    }
}

// A byte left over from before (a late answer, noise) is dropped before each
// command, so it cannot pass for that command's ACK.
TEST_F(BootloaderClientTest, AStrayByteIsNeverTakenForAnAck) {
    bridge.arrive(0, {0x79});
    bridge.arrive(1000, {0x1F});
    QString text;
    EXPECT_EQ(faultOf([&] { run(client.erase_flash(kErase43)); }, &text), ReplyFault::Nack);
    EXPECT_EQ(bridge.purgeRxCount, 1);
    // Two answers where one is due: the second is named, not taken.
    bridge.arrive(clock.nowUs() + 500, {0x79});
    bridge.arrive(clock.nowUs() + 600, {0x79, 0x79});
    EXPECT_EQ(faultOf([&] { run(client.erase_flash(kErase43)); }, &text), ReplyFault::UnexpectedBytes);
    EXPECT_EQ(text, "the pedal answered 79 79 instead of ACK to the erase of the whole flash.");
    EXPECT_EQ(bridge.writes.back(), (Bytes{0x43, 0xBC})) << "the erase itself was not sent";
}

// Each frame goes out in one write, the next only after the answer.
TEST_F(BootloaderClientTest, AShortBlockGoesOutPaddedToWholeWordsFrameByFrame) {
    for (int k = 0; k < 3; ++k)
        bridge.arrive(1000 + 100000 * k, {0x79});
    const Bytes block = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    EXPECT_FALSE(faultOf([&] { run(client.write_chunk(0x08006A00, block, QStringLiteral("b"))); }));
    ASSERT_EQ(bridge.writes.size(), 3u);
    EXPECT_EQ(bridge.writes[0], (Bytes{0x31, 0xCE}));
    EXPECT_EQ(bridge.writes[1], (Bytes{0x08, 0x00, 0x6A, 0x00, 0x62}));
    EXPECT_EQ(bridge.writes[2],
              (Bytes{0x07, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0xFF, 0xFF, 0x00}));
}

TEST_F(BootloaderClientTest, AReadBackCutShortIsAFailureNotAMatch) {
    bridge.arrive(1000, {0x79});
    bridge.arrive(30000, {0x79});
    bridge.arrive(60000, {0x79, 1, 2, 3});
    QString text;
    EXPECT_EQ(
        faultOf([&] { run(client.read_memory(0x08000000, 16, QStringLiteral("block 1"))); }, &text),
        ReplyFault::BadAnswer);
    EXPECT_EQ(text, "the pedal's answer to the read-back of block 1 was incomplete (4 of 17 bytes "
                    "came).");
    EXPECT_EQ(bridge.writes.back(), (Bytes{0x0F, 0xF0}));
}

// Synchronised already, the bootloader takes the sync byte as a command and
// waits; the second makes a bad command: NACK, it is there.
TEST_F(BootloaderClientTest, ASynchronisedBootloaderIsFoundByTheNackToASecondSync) {
    bridge.arrive(300'000, {0x1F});
    bool found = false;
    EXPECT_FALSE(faultOf([&] { found = run(client.synchronise()); }));
    EXPECT_TRUE(found);
    EXPECT_EQ(bridge.writes, (std::vector<Bytes>{{0x7F}, {0x7F}}));
    EXPECT_TRUE(log.lines.contains("bootloader already synchronised"));
}

TEST_F(BootloaderClientTest, AnUnpluggedBridgeEndsTheWaitAtOnce) {
    bridge.unplugAtUs = 0;
    EXPECT_EQ(faultOf([&] { run(client.send_go_command()); }), ReplyFault::LinkLost);
    EXPECT_LT(clock.nowMs(), 1000);
}

} // namespace
} // namespace brivo::test
