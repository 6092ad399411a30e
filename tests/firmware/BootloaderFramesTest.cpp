#include "firmware/BootloaderFrames.h"
#include "catalogue/Resources.h"
#include "firmware/FirmwareImage.h"

#include <gtest/gtest.h>

#include <QtEndian>

namespace brivo::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using namespace brivo::bootloader;

TEST(BootloaderFrames, CommandsCarryTheirComplement) {
    EXPECT_EQ(commandFrame(kWriteMemory), (Bytes{0x31, 0xCE}));
    EXPECT_EQ(commandFrame(kErase), (Bytes{0x43, 0xBC}));
    EXPECT_EQ(commandFrame(kGo), (Bytes{0x21, 0xDE}));
    EXPECT_EQ(commandFrame(kGet), (Bytes{0x00, 0xFF}));
    EXPECT_EQ(commandFrame(kReadMemory), (Bytes{0x11, 0xEE}));
    EXPECT_EQ(commandFrame(kExtendedErase), (Bytes{0x44, 0xBB}));
}

// A part offers Erase 43 or Extended Erase 44, and each has its own frame for
// the whole flash.
TEST(BootloaderFrames, TheMassEraseIsTheOneTheBootloaderLists) {
    const struct {
        Bytes listed;
        std::optional<std::uint8_t> command;
        Bytes frame;
    } cases[] = {
        {{0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x43}, kErase, {0xFF, 0x00}},
        {{0x00, 0x01, 0x02, 0x11, 0x21, 0x31, 0x44}, kExtendedErase, {0xFF, 0xFF, 0x00}},
        {{0x00, 0x01, 0x02, 0x11, 0x21, 0x31}, std::nullopt, {}},
    };
    for (const auto& c : cases) {
        const auto erase = massEraseFor(c.listed);
        ASSERT_EQ(erase.has_value(), c.command.has_value());
        if (!erase)
            continue;
        EXPECT_EQ(erase->command, *c.command);
        EXPECT_EQ(erase->frame, c.frame);
        std::uint8_t all = 0;
        for (const std::uint8_t byte : erase->frame)
            all ^= byte;
        EXPECT_EQ(all, erase->command == kExtendedErase ? 0 : 0xFF) << "44's checksum is 00";
    }
}

// Write Memory takes whole words: the image's last block is padded with FF.
TEST(BootloaderFrames, WriteBlocksArePaddedToWholeWordsWithErasedBytes) {
    const struct {
        Bytes block;
        Bytes padded;
    } cases[] = {
        {{0x01, 0x02, 0x03, 0x04}, {0x01, 0x02, 0x03, 0x04}},
        {{0xAA}, {0xAA, 0xFF, 0xFF, 0xFF}},
        {{0x01, 0x02, 0x03, 0x04, 0x05, 0x06}, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0xFF, 0xFF}},
        {{0x01, 0x02, 0x03}, {0x01, 0x02, 0x03, 0xFF}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(paddedBlock(c.block), c.padded);
    // FIRMWARE_5's last block: 28 bytes, a whole number of words already;
    // an image of 27163 bytes would end in 27 and go out as 28.
    EXPECT_EQ(dataFrame(paddedBlock(Bytes(27, 0x00))).front(), 0x1B);
}

// Exactly the answer's bytes, starting with ACK; anything before or instead
// of it is named.
TEST(BootloaderFrames, AnAnswerIsAckAndExactlyItsBytes) {
    const struct {
        Bytes got;
        int answerBytes;
        AnswerKind kind;
        const char* text;
    } cases[] = {
        {{0x79}, 1, AnswerKind::Ack, "79"},
        {{0x1F}, 1, AnswerKind::Nack, "1F"},
        {{0x00}, 1, AnswerKind::Other, "00"},
        {{0x00, 0x79}, 1, AnswerKind::Other, "00 79"},
        {{0x79, 0x79}, 1, AnswerKind::Other, "79 79"},
        {{}, 1, AnswerKind::Nothing, "nothing"},
        {{0x79, 0x01, 0x02}, 5, AnswerKind::Truncated, "79 01 02"},
        {{0x79, 0x01, 0x02, 0x03, 0x04}, 5, AnswerKind::Ack, "79 01 02 03 04"},
        {{0x1F, 0x79}, 1, AnswerKind::Other, "1F 79"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(classifyAnswer(c.got, c.answerBytes), c.kind) << bytesText(c.got).toStdString();
        EXPECT_EQ(bytesText(c.got), QLatin1String(c.text));
    }
}

TEST(BootloaderFrames, AddressFramesEndWithTheXorOfTheirBytes) {
    const struct {
        std::uint32_t address;
        Bytes frame;
    } cases[] = {
        {0x08000000, {0x08, 0x00, 0x00, 0x00, 0x08}}, {0x08000100, {0x08, 0x00, 0x01, 0x00, 0x09}},
        {0x08005E00, {0x08, 0x00, 0x5E, 0x00, 0x56}}, {0x08006A00, {0x08, 0x00, 0x6A, 0x00, 0x62}},
        {0x12345678, {0x12, 0x34, 0x56, 0x78, 0x08}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(addressFrame(c.address), c.frame) << std::hex << c.address;
        EXPECT_EQ(addressChecksum(c.address), c.frame.back());
    }
}

TEST(BootloaderFrames, DataFramesCarryNTheBytesAndTheirChecksum) {
    EXPECT_EQ(dataFrame(Bytes{0x01, 0x02, 0x03, 0x04}),
              (Bytes{0x03, 0x01, 0x02, 0x03, 0x04, 0x07}));
    EXPECT_EQ(dataFrame(Bytes{0xAA}), (Bytes{0x00, 0xAA, 0xAA}));
    const Bytes full(256, 0x5A);
    const Bytes frame = dataFrame(full);
    ASSERT_EQ(frame.size(), 258u);
    EXPECT_EQ(frame.front(), 0xFF);
    // N, the bytes and the checksum XOR to zero: what the bootloader checks.
    std::uint8_t all = 0;
    for (const std::uint8_t byte : frame)
        all ^= byte;
    EXPECT_EQ(all, 0);
    EXPECT_THROW(dataFrame(Bytes{}), std::invalid_argument);
    EXPECT_THROW(dataFrame(Bytes(257, 0)), std::invalid_argument);
    EXPECT_EQ(readLengthFrame(256), (Bytes{0xFF, 0x00}));
    EXPECT_EQ(readLengthFrame(232), (Bytes{0xE7, 0x18}));
}

TEST(BootloaderFrames, GetAnswerGivesTheCommandsOnlyWhenWhole) {
    const Bytes whole = {0x79, 0x03, 0x22, 0x00, 0x11, 0x31, 0x79};
    EXPECT_EQ(getAnswerBytes(whole), 7);
    EXPECT_EQ(getAnswerBytes(Bytes{0x79}), 2) << "N first";
    EXPECT_EQ(parseGetAnswer(whole), (Bytes{0x00, 0x11, 0x31}));
    const Bytes notWhole[] = {{},
                              {0x79},
                              {0x79, 0x03, 0x22, 0x00, 0x11, 0x31},
                              {0x79, 0x03, 0x22, 0x00, 0x11, 0x31, 0x1F},
                              {0x1F, 0x03, 0x22, 0x00, 0x11, 0x31, 0x79}};
    for (const Bytes& answer : notWhole)
        EXPECT_FALSE(parseGetAnswer(answer)) << answer.size();
}

TEST(SplitImage, CutsBlocksOf256FromTheFlashStart) {
    const struct {
        int size;
        int fullChunks, lastSize, chunks, lastBytes;
        std::uint32_t lastAddress;
    } cases[] = {
        {24296, 94, 232, 95, 232, 0x08005E00},
        {27164, 106, 28, 107, 28, 0x08006A00},
        {512, 2, 0, 2, 256, 0x08000100},
        {1, 0, 1, 1, 1, 0x08000000},
    };
    for (const auto& c : cases) {
        QByteArray image(c.size, '\0');
        for (int i = 0; i < c.size; ++i)
            image[i] = static_cast<char>(i * 7);
        const ChunkPlan plan = split_image(image);
        EXPECT_EQ(plan.fullChunkCount, c.fullChunks) << c.size;
        EXPECT_EQ(plan.lastChunkSize, c.lastSize) << c.size;
        ASSERT_EQ(static_cast<int>(plan.chunks.size()), c.chunks) << c.size;
        EXPECT_EQ(plan.chunks.back().bytes.size(), c.lastBytes) << c.size;
        EXPECT_EQ(plan.chunks.back().address, c.lastAddress) << c.size;
        QByteArray joined;
        for (std::size_t i = 0; i < plan.chunks.size(); ++i) {
            EXPECT_EQ(plan.chunks[i].address, 0x08000000u + 256u * i);
            joined += plan.chunks[i].bytes;
        }
        EXPECT_EQ(joined, image);
    }
    EXPECT_TRUE(split_image(QByteArray()).chunks.empty());
}

QByteArray image(std::uint32_t sp, std::uint32_t reset, int size = 1024) {
    QByteArray bytes(size, '\x5A');
    if (size >= 8) {
        qToLittleEndian(sp, bytes.data());
        qToLittleEndian(reset, bytes.data() + 4);
    }
    return bytes;
}

TEST(CheckImage, RefusesWhatThePedalCouldNotRun) {
    const struct {
        QByteArray bytes;
        const char* complaint; // a word of the message; nullptr: accepted
    } cases[] = {
        {image(0x20005000, 0x08000131), nullptr},
        {image(0x20001000, 0x080003FF), nullptr},
        {image(0x20005000, 0x08000131, 128 * 1024), nullptr},
        {QByteArray(), "empty"},
        {image(0, 0, 6), "too short"},
        {image(0x20005000, 0x08000131, 128 * 1024 + 1), "does not fit"},
        {image(0x20005004, 0x08000131), "stack pointer"},
        {image(0x20000000, 0x08000131), "stack pointer"},
        {image(0x08000000, 0x08000131), "stack pointer"},
        {image(0x20004FFE, 0x08000131), "stack pointer"},
        {image(0x20005000, 0x08000130), "reset address"},
        {image(0x20005000, 0x08000401), "reset address"},
        {image(0x20005000, 0x08000001), "reset address"},
        {image(0x20005000, 0x00000131), "reset address"},
        {QByteArray(1024, '\xFF'), "stack pointer"},
    };
    for (const auto& c : cases) {
        const std::optional<QString> refusal = check_image(c.bytes);
        if (c.complaint == nullptr) {
            EXPECT_FALSE(refusal.has_value()) << refusal.value_or(QString()).toStdString();
        } else {
            ASSERT_TRUE(refusal.has_value()) << c.complaint;
            EXPECT_TRUE(refusal->contains(QString::fromLatin1(c.complaint)))
                << refusal->toStdString();
        }
    }
}

} // namespace
} // namespace brivo::test

namespace brivo::test {
namespace {

// The carried images are stand-ins for the virtual pedal and say so; an image
// without the mark (the maker's) is not one.
TEST(StandInMark, TheCarriedImagesCarryItAndOthersDoNot) {
    for (const char* name : {"FIRMWARE_4", "FIRMWARE_5"}) {
        const QByteArray image = *resources::find(QLatin1String(name));
        EXPECT_TRUE(is_stand_in(image)) << name;
        QByteArray maker = image;
        maker.replace(QByteArray(kStandInMark), QByteArray(sizeof(kStandInMark) - 1, '\x55'));
        EXPECT_FALSE(is_stand_in(maker)) << name;
        EXPECT_EQ(maker.size(), image.size());
    }
    EXPECT_FALSE(is_stand_in(QByteArray()));
}

} // namespace
} // namespace brivo::test
