// The virtual pedal's bootloader, spoken to byte by byte as a host would.
#include "PedalFixture.h"

namespace brivo::test {
namespace {

constexpr std::uint8_t kAck = 0x79;
constexpr std::uint8_t kNack = 0x1F;
constexpr std::uint32_t kFlash = 0x08000000;

Bytes address(std::uint32_t a) {
    const auto b = [a](int shift) { return static_cast<std::uint8_t>(a >> shift); };
    return {b(24), b(16), b(8), b(0), static_cast<std::uint8_t>(b(24) ^ b(16) ^ b(8) ^ b(0))};
}

Bytes data(const Bytes& bytes) {
    Bytes frame = {static_cast<std::uint8_t>(bytes.size() - 1)};
    std::uint8_t sum = frame[0];
    for (const std::uint8_t b : bytes)
        sum ^= b;
    frame.insert(frame.end(), bytes.begin(), bytes.end());
    frame.push_back(sum);
    return frame;
}

class BootloaderTest : public PedalFixture {
  protected:
    void SetUp() override {
        PedalFixture::SetUp();
        pedal->enterBootloader();
        // The bootloader's own framing, as every client of it sets.
        ASSERT_EQ(FT_OK, d2xx.FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1,
                                                        FT_PARITY_EVEN));
    }

    // Sends a frame and returns every byte that came back within 50 ms.
    Bytes ask(const Bytes& frame) {
        send(frame);
        clock.sleepUs(std::int64_t{50} * 1000);
        const std::string text = readNow();
        return Bytes(text.begin(), text.end());
    }

    void sync() { ASSERT_EQ(ask({0x7F}), Bytes{kAck}); }

    // Write Memory of `bytes` at `at`: the three answers.
    Bytes write(std::uint32_t at, const Bytes& bytes) {
        Bytes answers = ask({0x31, 0xCE});
        const Bytes second = ask(address(at));
        const Bytes third = ask(data(bytes));
        answers.insert(answers.end(), second.begin(), second.end());
        answers.insert(answers.end(), third.begin(), third.end());
        return answers;
    }

    void globalErase() {
        ASSERT_EQ(ask({0x43, 0xBC}), Bytes{kAck});
        ASSERT_EQ(ask({0xFF, 0x00}), Bytes{kAck});
    }

    Bytes flashAt(std::uint32_t at, std::size_t count) {
        const auto& flash = pedal->flash();
        return Bytes(flash.begin() + (at - kFlash), flash.begin() + (at - kFlash + count));
    }
};

TEST_F(BootloaderTest, IgnoresEverythingBeforeTheSyncByteThenAnswersTheQueries) {
    EXPECT_TRUE(ask({0x05, 0x00, 0x02}).empty());
    sync();
    EXPECT_EQ(ask({0x00, 0xFF}),
              (Bytes{kAck, 7, 0x22, 0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x43, kAck}));
    EXPECT_EQ(ask({0x01, 0xFE}), (Bytes{kAck, 0x22, 0x00, 0x00, kAck}));
    EXPECT_EQ(ask({0x02, 0xFD}), (Bytes{kAck, 0x01, 0x04, 0x10, kAck}));
    EXPECT_EQ(ask({0x02, 0xFC}), Bytes{kNack}) << "a wrong complement";
    EXPECT_EQ(ask({0x44, 0xBB}), Bytes{kNack}) << "a command it does not offer";
    pedal->setBootloaderListsReadMemory(false);
    EXPECT_EQ(ask({0x00, 0xFF}), (Bytes{kAck, 6, 0x22, 0x00, 0x01, 0x02, 0x21, 0x31, 0x43, kAck}));
    EXPECT_EQ(ask({0x11, 0xEE}), Bytes{kNack});
}

// A part offers Erase 43 or Extended Erase 44; with 44, FF FF 00 erases all.
TEST_F(BootloaderTest, APartWithExtendedEraseListsItAndTakesItsMassErase) {
    pedal->setBootloaderEraseCommand(0x44);
    sync();
    EXPECT_EQ(ask({0x00, 0xFF}),
              (Bytes{kAck, 7, 0x22, 0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x44, kAck}));
    EXPECT_EQ(ask({0x43, 0xBC}), Bytes{kNack});
    EXPECT_EQ(ask({0x44, 0xBB}), Bytes{kAck});
    EXPECT_EQ(ask({0xFF, 0xFF, 0x01}), Bytes{kNack}) << "a bad checksum";
    EXPECT_EQ(flashAt(kFlash, 4), (Bytes{0x00, 0x50, 0x00, 0x20}));
    EXPECT_EQ(ask({0x44, 0xBB}), Bytes{kAck});
    EXPECT_EQ(ask({0xFF, 0xFF, 0x00}), Bytes{kAck});
    EXPECT_EQ(flashAt(kFlash, 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

// The bootloader frames its bytes 8E1. A host at 8N1: bytes written in one
// piece are misframed after the first; a byte followed by idle time gets
// through; answer bytes of even weight reach it as framing errors (00).
TEST_F(BootloaderTest, AHostAt8N1IsMisframedAndLosesEvenWeightAnswerBytes) {
    ASSERT_EQ(FT_OK,
              d2xx.FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE));
    sync();
    EXPECT_NE(ask({0x00, 0xFF}),
              (Bytes{kAck, 7, 0x22, 0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x43, kAck}))
        << "Get written in one piece";
    // Whatever the misframed bytes began, a sync and a refusal end it.
    clock.sleepUs(std::int64_t{100} * 1000);
    ask({0x7F});
    ask({0x7F});
    ask({0x7F});
    // Byte by byte with idle time between, the part hears Get; the answer's
    // 22, 00, 11 and 21 have even weight.
    send({0x00});
    clock.sleepUs(std::int64_t{1} * 1000);
    EXPECT_EQ(ask({0xFF}), (Bytes{kAck, 7, 0x00, 0x00, 0x01, 0x02, 0x00, 0x00, 0x31, 0x43, kAck}));

    // At 8E1 the same Get, in one piece, is answered whole.
    ASSERT_EQ(FT_OK,
              d2xx.FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_EVEN));
    EXPECT_EQ(ask({0x00, 0xFF}),
              (Bytes{kAck, 7, 0x22, 0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x43, kAck}));
}

TEST_F(BootloaderTest, ASyncByteToASynchronisedPartIsTheStartOfABadCommand) {
    sync();
    EXPECT_TRUE(ask({0x7F}).empty());
    EXPECT_EQ(ask({0x7F}), Bytes{kNack});
}

TEST_F(BootloaderTest, FlashIsWrittenOnlyWhereErasedAndWithGoodFrames) {
    sync();
    // The factory firmware is in flash: its first block cannot be written over.
    EXPECT_EQ(write(kFlash, {1, 2, 3, 4}), (Bytes{kAck, kAck, kNack}));
    EXPECT_EQ(flashAt(kFlash, 4), (Bytes{0x00, 0x50, 0x00, 0x20}));
    globalErase();
    EXPECT_EQ(flashAt(kFlash, 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(pedal->flash().size(), 128u * 1024u);

    EXPECT_EQ(write(kFlash + 0x100, {1, 2, 3, 4}), (Bytes{kAck, kAck, kAck}));
    EXPECT_EQ(flashAt(kFlash + 0x100, 5), (Bytes{1, 2, 3, 4, 0xFF}));
    EXPECT_EQ(write(kFlash + 0x100, {9, 9, 9, 9}), (Bytes{kAck, kAck, kNack})) << "not erased";
    EXPECT_EQ(write(kFlash + 0x400, {9, 9, 9}), (Bytes{kAck, kAck, kNack})) << "whole words only";
    EXPECT_EQ(flashAt(kFlash + 0x400, 3), (Bytes{0xFF, 0xFF, 0xFF}));

    Bytes badChecksum = data({5, 6, 7, 8});
    badChecksum.back() ^= 1;
    EXPECT_EQ(ask({0x31, 0xCE}), Bytes{kAck});
    EXPECT_EQ(ask(address(kFlash + 0x200)), Bytes{kAck});
    EXPECT_EQ(ask(badChecksum), Bytes{kNack});
    EXPECT_EQ(flashAt(kFlash + 0x200, 2), (Bytes{0xFF, 0xFF}));

    Bytes badAddress = address(kFlash + 0x300);
    badAddress.back() ^= 1;
    EXPECT_EQ(ask({0x31, 0xCE}), Bytes{kAck});
    EXPECT_EQ(ask(badAddress), Bytes{kNack});
    EXPECT_EQ(ask({0x31, 0xCE}), Bytes{kAck});
    EXPECT_EQ(ask(address(0x08020000)), Bytes{kNack}) << "past the flash";
    EXPECT_EQ(write(0x0801FFFC, {1, 2, 3, 4, 5, 6, 7, 8}), (Bytes{kAck, kAck, kNack}))
        << "runs past the flash";

    // Read Memory gives back what is there.
    EXPECT_EQ(ask({0x11, 0xEE}), Bytes{kAck});
    EXPECT_EQ(ask(address(kFlash + 0xFE)), Bytes{kAck});
    EXPECT_EQ(ask({0x05, 0xFA}), (Bytes{kAck, 0xFF, 0xFF, 1, 2, 3, 4}));
}

TEST_F(BootloaderTest, AShortLatencyTimerHandsEachAnswerOverSooner) {
    // Sync, then a refused command: a one-byte answer each.
    const struct {
        UCHAR ms;
        Bytes frame;
    } cases[] = {{16, {0x7F}}, {1, {0x02, 0xFC}}};
    for (const auto& c : cases) {
        ASSERT_EQ(FT_OK, d2xx.FT_SetLatencyTimer(handle, c.ms));
        send(c.frame);
        clock.sleepUs(std::int64_t{c.ms - 1} * 1000);
        EXPECT_EQ(queued(), 0u) << int(c.ms);
        clock.sleepUs(std::int64_t{2} * 1000);
        EXPECT_EQ(queued(), 1u) << int(c.ms);
        readNow();
    }
    EXPECT_EQ(FT_INVALID_PARAMETER, d2xx.FT_SetLatencyTimer(handle, 0));
    EXPECT_EQ(FT_INVALID_HANDLE, d2xx.FT_SetLatencyTimer(nullptr, 1));
}

TEST_F(BootloaderTest, EraseAndBlockWriteTakeThePartsTime) {
    sync();
    ASSERT_EQ(ask({0x43, 0xBC}), Bytes{kAck});
    send({0xFF, 0x00});
    clock.sleepUs(std::int64_t{20} * 1000);
    EXPECT_EQ(queued(), 0u) << "still erasing";
    clock.sleepUs(std::int64_t{30} * 1000);
    EXPECT_EQ(readNow(), std::string(1, static_cast<char>(kAck)));
}

TEST_F(BootloaderTest, GoStartsTheProgramInFlashWhichThenReportsItsVersion) {
    sync();
    globalErase();
    Bytes program(512, 0x00);
    const Bytes head = {0x00, 0x50, 0x00, 0x20, 0x31, 0x01, 0x00, 0x08};
    std::copy(head.begin(), head.end(), program.begin());
    const std::string tag = "TNDRL BRIVO FIRMWARE";
    std::copy(tag.begin(), tag.end(), program.begin() + 0x180);
    program[0x180 + tag.size()] = 7;
    ASSERT_EQ(write(kFlash, Bytes(program.begin(), program.begin() + 256)),
              (Bytes{kAck, kAck, kAck}));
    ASSERT_EQ(write(kFlash + 256, Bytes(program.begin() + 256, program.end())),
              (Bytes{kAck, kAck, kAck}));
    EXPECT_EQ(ask({0x21, 0xDE}), Bytes{kAck});
    EXPECT_EQ(ask(address(kFlash)), Bytes{kAck});
    EXPECT_FALSE(pedal->inBootloader());
    // The firmware's link is 8N1.
    ASSERT_EQ(FT_OK,
              d2xx.FT_SetDataCharacteristics(handle, FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE));
    send({0x05, 0x00});
    EXPECT_EQ(collectReply(), "BRIVO\r\n0\r\n0\r\n7\r\n");
}

TEST_F(BootloaderTest, GoToAnErasedFlashLeavesAProcessorThatAnswersNothing) {
    sync();
    globalErase();
    EXPECT_EQ(ask({0x21, 0xDE}), Bytes{kAck});
    EXPECT_EQ(ask(address(kFlash)), Bytes{kAck});
    EXPECT_TRUE(pedal->halted());
    EXPECT_TRUE(ask({0x05, 0x00}).empty());
    EXPECT_TRUE(ask({0x7F}).empty());
}

TEST_F(BootloaderTest, FaultsFireOnceAtTheirStepAndBlock) {
    sync();
    pedal->setBootloaderFault(
        {BootloaderFault::Step::GlobalErase, BootloaderFault::Action::Nack, {}});
    ASSERT_EQ(ask({0x43, 0xBC}), Bytes{kAck});
    EXPECT_EQ(ask({0xFF, 0x00}), Bytes{kNack});
    EXPECT_EQ(flashAt(kFlash, 2), (Bytes{0x00, 0x50})) << "a refused erase erases nothing";
    globalErase();

    pedal->setBootloaderFault(
        {BootloaderFault::Step::WriteData, BootloaderFault::Action::Nack, kFlash + 0x100});
    EXPECT_EQ(write(kFlash, {1, 1, 1, 1}), (Bytes{kAck, kAck, kAck}));
    EXPECT_EQ(write(kFlash + 0x100, {2, 2, 2, 2}), (Bytes{kAck, kAck, kNack}));
    EXPECT_EQ(write(kFlash + 0x100, {2, 2, 2, 2}), (Bytes{kAck, kAck, kAck}));

    pedal->corruptFlashByte(kFlash + 0x201, 0x04);
    EXPECT_EQ(write(kFlash + 0x200, {1, 2, 3, 4}), (Bytes{kAck, kAck, kAck}));
    EXPECT_EQ(flashAt(kFlash + 0x200, 4), (Bytes{1, 6, 3, 4}));

    pedal->setBootloaderFault(
        {BootloaderFault::Step::WriteCommand, BootloaderFault::Action::Silence, {}});
    EXPECT_TRUE(ask({0x31, 0xCE}).empty());
    EXPECT_TRUE(ask({0x00, 0xFF}).empty()) << "silent from then on";
}

TEST_F(BootloaderTest, AnUnplugHalfWayThroughABlockWritesNothingOfIt) {
    sync();
    globalErase();
    pedal->setBootloaderFault(
        {BootloaderFault::Step::WriteData, BootloaderFault::Action::Unplug, kFlash});
    EXPECT_EQ(ask({0x31, 0xCE}), Bytes{kAck});
    EXPECT_EQ(ask(address(kFlash)), Bytes{kAck});
    send(data(Bytes(256, 0x12)));
    clock.sleepUs(std::int64_t{50} * 1000);
    EXPECT_FALSE(pedal->isPlugged());
    EXPECT_EQ(flashAt(kFlash, 4), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
    pedal->replug();
    EXPECT_TRUE(pedal->inBootloader()) << "back in its bootloader, waiting for sync";
}

} // namespace
} // namespace brivo::test
