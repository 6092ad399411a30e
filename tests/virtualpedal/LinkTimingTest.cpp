#include "PedalFixture.h"

#include "virtualpedal/StatusRecord.h"

namespace brivo::test {
namespace {

using LinkTiming = PedalFixture;

const std::string kIdentityNoEffect = "BRIVO\r\n0\r\n0\r\n5\r\n";

TEST_F(LinkTiming, WriteReturnsAtOnceAndTheAnswerWaitsForTheLatencyTimer) {
    send({0x05, 0x00});
    EXPECT_EQ(0, clock.nowUs()) << "a write takes no time";
    EXPECT_EQ(0u, queued());
    // The 16 bytes leave the processor within about 2 ms but sit in the bridge
    // until 16 ms after the first of them arrived.
    clock.sleepUs(16'700);
    EXPECT_EQ(0u, queued());
    clock.sleepUs(100);
    EXPECT_EQ(kIdentityNoEffect.size(), queued());
    EXPECT_EQ(kIdentityNoEffect, readNow());
    EXPECT_EQ(0u, queued());
}

// Whoever serves the pedal in real time (the pty pedal) runs it while bytes
// are in flight: an answer whose last packet the bridge sent at the very look
// that asked is still there to hand over, not done.
TEST_F(LinkTiming, BytesTheHostHasNotReadAreStillInFlight) {
    send({0x05, 0x00});
    clock.sleepUs(std::int64_t{30} * 1000);
    EXPECT_TRUE(pedal->hasBytesInFlight());
    EXPECT_EQ(kIdentityNoEffect, readNow());
    EXPECT_FALSE(pedal->hasBytesInFlight());
}

TEST_F(LinkTiming, BytesReachTheProcessorOneByteTimeApart) {
    const Bytes program = PedalFixture::program(9, 1, {});
    send(program);
    // 1280 bytes at 86.8 us each: the last arrives after about 111.1 ms.
    clock.sleepUs(111'050);
    EXPECT_EQ(1279u, pedal->rawBytesReceived());
    EXPECT_EQ(0, pedal->runningEffectNumber());
    clock.sleepUs(100);
    EXPECT_EQ(1280u, pedal->rawBytesReceived());
    EXPECT_EQ(9, pedal->runningEffectNumber());
    // The answer follows after the processor's 5 ms and the latency timer.
    clock.sleepUs(std::int64_t{20} * 1000);
    EXPECT_EQ(0u, queued());
    clock.sleepUs(std::int64_t{2} * 1000);
    EXPECT_EQ(std::string("Upload Completed\0", 17), readNow());
}

TEST_F(LinkTiming, WritesQueueBehindBytesStillOnTheLine) {
    send({0x05, 0x00});
    send({0x05, 0x00});
    clock.sleepUs(300);
    EXPECT_EQ(3u, pedal->rawBytesReceived()) << "the second write waits for the first";
    EXPECT_EQ(2u, pedal->writesReceived().size());
}

// A long reply arrives in 62-byte packets, one every 62 byte times; the last,
// short packet comes when the latency timer runs out.
TEST_F(LinkTiming, LongReplyArrivesInUsbPackets) {
    for (int i = 0; i < 24; ++i)
        pedal->setParameterValue(i, 40 * i + 3);
    const std::string expected = statusRecordText(buildStatusRecord(pedal->settings(), 24));
    ASSERT_GT(expected.size(), 300u);
    ASSERT_NE(0u, expected.size() % 62) << "the last packet must be a short one";

    send({0x02, 24});
    std::string reply;
    std::vector<std::size_t> pieces;
    std::vector<std::int64_t> times;
    while (reply.size() < expected.size() && clock.nowMs() < 1000) {
        clock.sleepUs(std::int64_t{1} * 1000);
        const std::string piece = readNow();
        if (!piece.empty()) {
            pieces.push_back(piece.size());
            times.push_back(clock.nowUs());
            reply += piece;
        }
    }
    EXPECT_EQ(expected, reply);
    ASSERT_GE(pieces.size(), 3u);
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i)
        EXPECT_EQ(62u, pieces[i]) << "piece " << i;
    EXPECT_EQ(expected.size() % 62, pieces.back());
    EXPECT_GE(times.back() - times[times.size() - 2], 15'000) << "the short packet waits";
    EXPECT_LE(times[1] - times[0], 6'000) << "full packets follow each other";
}

TEST_F(LinkTiming, ReadTakesNoMoreThanAskedAndLeavesTheRest) {
    send({0x05, 0x00});
    clock.sleepUs(std::int64_t{20} * 1000);
    char buffer[64] = {};
    DWORD got = 0;
    ASSERT_EQ(FT_OK, d2xx.FT_Read(handle, buffer, 5, &got));
    EXPECT_EQ(5u, got);
    EXPECT_EQ("BRIVO", std::string(buffer, 5));
    EXPECT_EQ(kIdentityNoEffect.size() - 5, queued());
    ASSERT_EQ(FT_OK, d2xx.FT_Read(handle, buffer, 64, &got));
    EXPECT_EQ(kIdentityNoEffect.size() - 5, got) << "a read never waits for more";
}

TEST_F(LinkTiming, PurgeReceiveDropsWhatTheBridgeHoldsButNotWhatIsStillComing) {
    send({0x05, 0x00});
    clock.sleepUs(std::int64_t{20} * 1000);
    ASSERT_EQ(kIdentityNoEffect.size(), queued());
    ASSERT_EQ(FT_OK, d2xx.FT_Purge(handle, FT_PURGE_RX));
    EXPECT_EQ(0u, queued());

    // Arrived at the bridge, packet not yet sent: dropped too.
    send({0x05, 0x00});
    clock.sleepUs(std::int64_t{5} * 1000);
    ASSERT_EQ(FT_OK, d2xx.FT_Purge(handle, FT_PURGE_RX));
    clock.sleepUs(std::int64_t{30} * 1000);
    EXPECT_EQ(0u, queued());

    // Not yet answered: the answer comes after the purge.
    send({0x05, 0x00});
    ASSERT_EQ(FT_OK, d2xx.FT_Purge(handle, FT_PURGE_RX));
    clock.sleepUs(std::int64_t{20} * 1000);
    EXPECT_EQ(kIdentityNoEffect.size(), queued());
}

TEST_F(LinkTiming, PurgeTransmitDropsBytesNotYetDelivered) {
    send({0x05, 0x00});
    ASSERT_EQ(FT_OK, d2xx.FT_Purge(handle, FT_PURGE_TX));
    clock.sleepUs(std::int64_t{50} * 1000);
    EXPECT_EQ(0u, pedal->rawBytesReceived());
    EXPECT_TRUE(pedal->received().empty());
    EXPECT_EQ(0u, queued());

    // Half an upload gets through before the purge.
    send(PedalFixture::program(9, 1, {}));
    clock.sleepUs(std::int64_t{50} * 1000);
    ASSERT_EQ(FT_OK, d2xx.FT_Purge(handle, FT_PURGE_TX | FT_PURGE_RX));
    clock.sleepUs(std::int64_t{200} * 1000);
    EXPECT_EQ(576u, pedal->rawBytesReceived()) << "50 ms at 86.8 us a byte, the last just in";
    EXPECT_EQ(0, pedal->runningEffectNumber());
}

TEST_F(LinkTiming, LineSettingsAndEepromReads) {
    EXPECT_EQ(FT_OK, d2xx.FT_SetBaudRate(handle, 115200));
    EXPECT_EQ(FT_OK,
              d2xx.FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE));
    EXPECT_EQ(115200u, pedal->lineSettings().baudRate);
    EXPECT_EQ(FT_BITS_8, pedal->lineSettings().wordLength);
    EXPECT_EQ(FT_INVALID_BAUD_RATE, d2xx.FT_SetBaudRate(handle, 0));
    EXPECT_EQ(FT_INVALID_PARAMETER, d2xx.FT_SetDataCharacteristics(handle, 9, 0, 0));
    EXPECT_EQ(115200u, pedal->lineSettings().baudRate) << "a refused setting changes nothing";

    WORD word = 0;
    EXPECT_EQ(FT_OK, d2xx.FT_ReadEE(handle, 1, &word));
    EXPECT_EQ(0x0403, word);
    EXPECT_EQ(FT_OK, d2xx.FT_ReadEE(handle, 127, &word));
    EXPECT_EQ(pedal->eeprom()[127], word);
    word = 0x1111;
    EXPECT_EQ(FT_INVALID_PARAMETER, d2xx.FT_ReadEE(handle, 128, &word));
    EXPECT_EQ(0x1111, word);
}

} // namespace
} // namespace brivo::test
