#include "PedalFixture.h"

namespace brivo::test {
namespace {

using Faults = PedalFixture;

const std::string kIdentity = "BRIVO\r\n0\r\n0\r\n5\r\n";

DWORD listedCount(D2xx& d2xx) {
    DWORD count = 99;
    EXPECT_EQ(FT_OK, d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY));
    return count;
}

TEST_F(Faults, SilentPedalActsButNeverAnswers) {
    pedal->setSilent(true);
    send({0x05, 0x00});
    send({0x02, 4});
    send(setLimit(0, 1, 300));
    clock.sleepUs(std::int64_t{1000} * 1000);
    EXPECT_EQ(0u, queued());
    EXPECT_EQ(3u, pedal->received().size());
    EXPECT_EQ(300, pedal->minLimit(1));

    pedal->setSilent(false);
    send({0x05, 0x00});
    EXPECT_EQ(kIdentity, collectReply());
}

TEST_F(Faults, UnpluggedBridgeFailsEveryCallAndLeavesTheListing) {
    ASSERT_EQ(1u, listedCount(d2xx));
    send({0x05, 0x00}); // its answer is lost with the bridge
    pedal->unplug();

    DWORD n = 0;
    std::uint8_t buffer[8] = {1, 2};
    WORD word = 0;
    EXPECT_EQ(FT_IO_ERROR, d2xx.FT_GetQueueStatus(handle, &n));
    EXPECT_EQ(FT_IO_ERROR, d2xx.FT_Write(handle, buffer, 2, &n));
    EXPECT_EQ(0u, n);
    EXPECT_EQ(FT_IO_ERROR, d2xx.FT_Read(handle, buffer, 8, &n));
    EXPECT_EQ(FT_IO_ERROR, d2xx.FT_Purge(handle, FT_PURGE_RX | FT_PURGE_TX));
    EXPECT_EQ(FT_IO_ERROR, d2xx.FT_ReadEE(handle, 0, &word));
    EXPECT_EQ(FT_IO_ERROR, d2xx.FT_SetBaudRate(handle, 115200));
    EXPECT_EQ(0u, listedCount(d2xx));
    FT_HANDLE second = nullptr;
    EXPECT_EQ(FT_DEVICE_NOT_FOUND, open(VirtualPedal::kDefaultSerial, &second));

    pedal->replug();
    EXPECT_EQ(1u, listedCount(d2xx));
    EXPECT_EQ(FT_IO_ERROR, d2xx.FT_GetQueueStatus(handle, &n)) << "an old handle stays dead";
    EXPECT_EQ(FT_OK, d2xx.FT_Close(handle)) << "but can be let go";
    ASSERT_EQ(FT_OK, open(VirtualPedal::kDefaultSerial, &handle));
    clock.sleepUs(std::int64_t{50} * 1000);
    EXPECT_EQ(0u, queued()) << "nothing from before the unplugging";
    send({0x05, 0x00});
    EXPECT_EQ(kIdentity, collectReply());
}

TEST_F(Faults, SplitReplyArrivesInPieces) {
    pedal->setSplitReplies(4, 50);
    send({0x05, 0x00});
    std::vector<std::string> pieces;
    while (clock.nowMs() < 400) {
        clock.sleepUs(std::int64_t{10} * 1000);
        if (const std::string piece = readNow(); !piece.empty())
            pieces.push_back(piece);
    }
    EXPECT_EQ((std::vector<std::string>{"BRIV", "O\r\n0", "\r\n0\r", "\n5\r\n"}), pieces);

    // Gaps longer than a reader's patience cut the reply short for it.
    pedal->setSplitReplies(8, 150);
    send({0x05, 0x00});
    EXPECT_EQ("BRIVO\r\n0", collectReply(100));
}

TEST_F(Faults, SlowAnswer) {
    pedal->setReplyDelayMs(300);
    send({0x05, 0x00});
    clock.sleepUs(std::int64_t{310} * 1000);
    EXPECT_EQ(0u, queued());
    clock.sleepUs(std::int64_t{10} * 1000);
    EXPECT_EQ(kIdentity, readNow());
}

TEST_F(Faults, GarbageGoesInFrontOfTheNextAnswerOnly) {
    pedal->injectGarbage({0xFF, 'x', 0x00});
    send({0x05, 0x00});
    EXPECT_EQ(std::string("\xFFx\0", 3) + kIdentity, collectReply());
    send({0x05, 0x00});
    EXPECT_EQ(kIdentity, collectReply());
}

} // namespace
} // namespace brivo::test
