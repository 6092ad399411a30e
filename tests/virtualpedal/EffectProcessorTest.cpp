#include "PedalFixture.h"

#include <algorithm>

namespace brivo::test {
namespace {

class EffectProcessorTest : public PedalFixture {
  protected:
    static constexpr int kEffect = 43;
    static constexpr int kOtherEffect = 7;

    // Parameter 0 at 0002, 1 at 0010, 16 at 0100; the rest absent.
    Bytes effectProgram(int effect = kEffect, int version = 2) {
        return program(effect, version, {{0, 0x0002}, {1, 0x0010}, {16, 0x0100}});
    }

    std::string identity() {
        send({0x05, 0x00});
        return collectReply();
    }
};

TEST_F(EffectProcessorTest, UploadLoadsTheProgramInOneMessage) {
    const Bytes bytes = effectProgram();
    upload(bytes);
    EXPECT_EQ(kEffect, pedal->runningEffectNumber());
    EXPECT_EQ(2, pedal->runningEffectVersion());
    EXPECT_EQ(bytes, pedal->lastUpload());
    ASSERT_EQ(1u, pedal->writesReceived().size());
    EXPECT_EQ(1280u, pedal->writesReceived()[0].bytes.size());
    ASSERT_EQ(1u, pedal->received().size());
    EXPECT_EQ(bytes, pedal->received()[0].bytes);
    const auto& addresses = pedal->parameterAddresses();
    EXPECT_EQ(0x0002, addresses[0]);
    EXPECT_EQ(0x0010, addresses[1]);
    EXPECT_EQ(0x0000, addresses[2]);
    EXPECT_EQ(0x0100, addresses[16]);
}

TEST_F(EffectProcessorTest, IdentityReportsEffectVersionAndFirmware) {
    EXPECT_EQ("BRIVO\r\n0\r\n0\r\n5\r\n", identity()) << "no effect at start";
    upload(effectProgram());
    EXPECT_EQ("BRIVO\r\n43\r\n2\r\n5\r\n", identity());
    pedal->setFirmwareVersion(7);
    EXPECT_EQ("BRIVO\r\n43\r\n2\r\n7\r\n", identity());
}

TEST_F(EffectProcessorTest, SetParameterFindsTheParameterByAddress) {
    upload(effectProgram());
    send(setParameter(0x0002, 512));
    send(setParameter(0x0100, 1023));
    send(setParameter(0x1234, 300)); // no such parameter
    send(setParameter(0x0000, 200)); // absent slots have address 0: not a parameter
    clock.sleepUs(std::int64_t{10} * 1000);
    EXPECT_EQ(512, pedal->parameterValue(0));
    EXPECT_EQ(0x00400000u, pedal->parameterWord(0));
    EXPECT_EQ(1023, pedal->parameterValue(16));
    for (int i : {1, 2, 15, 17, 23})
        EXPECT_EQ(0, pedal->parameterValue(i)) << "parameter " << i;
    ASSERT_EQ(2u, pedal->unknownAddressWrites().size());
    EXPECT_EQ(0x1234, pedal->unknownAddressWrites()[0].address);
    EXPECT_EQ(300u << 13, pedal->unknownAddressWrites()[0].valueWord);
    EXPECT_EQ(0x0000, pedal->unknownAddressWrites()[1].address);
    EXPECT_EQ(5u, pedal->received().size());
}

TEST_F(EffectProcessorTest, StatusReplyCarriesTheSettings) {
    upload(effectProgram());
    send(setParameter(0x0002, 512));
    send(setParameter(0x0010, -1)); // odd words come back as sent
    Bytes table(193, 0);
    table[0] = 0x04;
    table[1 + 16 * 1 + 0] = 1;      // EXP drives parameter 0
    table[1 + 112 + 0] = 1;         // parameter 0 reversed
    table[1 + 128 + 8 * 6 + 0] = 1; // SW drives parameter 16
    send(table);
    send(setLimit(0, 0, 256));
    send(setLimit(1, 0, 768));

    const int t = 3;
    const std::vector<int> status = requestStatus(t);
    ASSERT_EQ(4u * t + 288, status.size());
    EXPECT_EQ((std::vector<int>{0, 64, 0, 0, 255, 255, 224, 0, 0, 0, 0, 0}),
              std::vector<int>(status.begin(), status.begin() + 12));
    const int matrix = 4 * t;
    EXPECT_EQ(1, status[matrix + 24 * 1 + 0]);
    EXPECT_EQ(1, status[matrix + 24 * 6 + 16]);
    EXPECT_EQ(1, status[matrix + 168 + 0]);
    EXPECT_EQ(3, std::count(status.begin() + matrix, status.end(), 1));
    EXPECT_EQ(31, status[matrix + 240 + 0]);
    EXPECT_EQ(95, status[matrix + 264 + 0]);
    EXPECT_EQ(0, status[matrix + 264 + 1]) << "an untouched maximum reads as 1023";
}

TEST_F(EffectProcessorTest, AssignmentTableReplacesBindingsAndReverseFlags) {
    upload(effectProgram());
    Bytes table(193, 0);
    table[0] = 0x04;
    table[1 + 16 * 1 + 2] = 1;      // EXP: parameter 2
    table[1 + 16 * 0 + 15] = 1;     // I: parameter 15
    table[1 + 112 + 3] = 1;         // parameter 3 reversed
    table[1 + 112 + 15] = 1;        // parameter 15 reversed
    table[1 + 128 + 8 * 6 + 4] = 1; // SW: parameter 20
    send(table);
    clock.sleepUs(std::int64_t{20} * 1000);
    EXPECT_TRUE(pedal->isAssigned(1, 2));
    EXPECT_TRUE(pedal->isAssigned(0, 15));
    EXPECT_TRUE(pedal->isAssigned(6, 20));
    EXPECT_TRUE(pedal->isReversed(3));
    EXPECT_TRUE(pedal->isReversed(15));
    int assigned = 0;
    for (int r = 0; r < kPedalControllers; ++r)
        for (int c = 0; c < kPedalParameterSlots; ++c)
            assigned += pedal->isAssigned(r, c);
    EXPECT_EQ(3, assigned);

    table.assign(193, 0);
    table[0] = 0x04;
    table[1 + 16 * 2 + 0] = 1; // II: parameter 0 only
    send(table);
    clock.sleepUs(std::int64_t{20} * 1000);
    EXPECT_FALSE(pedal->isAssigned(1, 2));
    EXPECT_FALSE(pedal->isAssigned(6, 20));
    EXPECT_FALSE(pedal->isReversed(3));
    EXPECT_TRUE(pedal->isAssigned(2, 0));
}

TEST_F(EffectProcessorTest, LimitMessagesSetMinimumAndMaximumByIndex) {
    upload(effectProgram());
    send(setLimit(0, 3, 700));
    send(setLimit(1, 3, 900));
    send(setLimit(1, 4, 512));
    send(setLimit(2, 5, 100));  // neither minimum nor maximum
    send(setLimit(0, 30, 100)); // no such slot
    clock.sleepUs(std::int64_t{10} * 1000);
    EXPECT_EQ(700, pedal->minLimit(3));
    EXPECT_EQ(900, pedal->maxLimit(3));
    EXPECT_EQ(512, pedal->maxLimit(4));
    EXPECT_EQ(0, pedal->minLimit(5));
    EXPECT_EQ(1023, pedal->maxLimit(5));
    EXPECT_EQ(1u + 5u, pedal->received().size()) << "all taken as messages";
}

TEST_F(EffectProcessorTest, StoredSettingsComeBackWithTheEffectAndOthersAreLost) {
    upload(effectProgram());
    send(setParameter(0x0002, 512));
    send(setLimit(0, 0, 256));
    send({0x03, 3});
    send(setParameter(0x0002, 100)); // changed after the store
    clock.sleepUs(std::int64_t{10} * 1000);
    ASSERT_TRUE(pedal->storedSettings().has_value());
    EXPECT_EQ(512, pedal->storedSettings()->value(0));
    EXPECT_EQ(100, pedal->parameterValue(0));

    upload(effectProgram(kOtherEffect, 1));
    EXPECT_EQ(0, pedal->parameterValue(0)) << "a new effect starts from defaults";
    EXPECT_EQ(0, pedal->minLimit(0));
    send(setParameter(0x0002, 300)); // never stored
    clock.sleepUs(std::int64_t{10} * 1000);
    EXPECT_FALSE(pedal->storedSettings().has_value());

    upload(effectProgram());
    EXPECT_EQ(512, pedal->parameterValue(0));
    EXPECT_EQ(256, pedal->minLimit(0));
    upload(effectProgram(kOtherEffect, 1));
    EXPECT_EQ(0, pedal->parameterValue(0));
}

TEST_F(EffectProcessorTest, ControllersMoveTheirParametersWithinLimits) {
    upload(effectProgram());
    Bytes table(193, 0);
    table[0] = 0x04;
    table[1 + 16 * 1 + 2] = 1; // EXP: parameter 2
    table[1 + 16 * 1 + 3] = 1; // EXP: parameter 3, reversed
    table[1 + 112 + 3] = 1;
    send(table);
    send(setLimit(0, 2, 256));
    send(setLimit(1, 2, 768));
    clock.sleepUs(std::int64_t{30} * 1000);
    pedal->setParameterValue(4, 99);

    struct Case {
        int position;
        int parameter2;
        int parameter3;
    };
    const Case cases[] = {{0, 256, 1023}, {1023, 768, 0}, {512, 512, 511}, {2000, 768, 0}};
    for (const Case& c : cases) {
        pedal->moveController(1, c.position);
        EXPECT_EQ(c.parameter2, pedal->parameterValue(2)) << "position " << c.position;
        EXPECT_EQ(c.parameter3, pedal->parameterValue(3)) << "position " << c.position;
    }
    pedal->moveController(0, 700); // I drives nothing
    EXPECT_EQ(99, pedal->parameterValue(4));
    EXPECT_EQ(768, pedal->parameterValue(2));

    pedal->moveController(1, 1023);
    const std::vector<int> status = requestStatus(4);
    EXPECT_EQ((std::vector<int>{0, 96, 0, 0}),
              std::vector<int>(status.begin() + 8, status.begin() + 12))
        << "the next status shows the move";
}

TEST_F(EffectProcessorTest, StrayBytesAreDroppedAndCommandsSurviveSplitWrites) {
    send({0xFF, 0x07, 0x7F, 0x05, 0x00});
    EXPECT_EQ("BRIVO\r\n0\r\n0\r\n5\r\n", collectReply());
    EXPECT_EQ((Bytes{0xFF, 0x07, 0x7F}), pedal->garbageReceived());
    ASSERT_EQ(1u, pedal->received().size());
    EXPECT_EQ((Bytes{0x05, 0x00}), pedal->received()[0].bytes);

    upload(effectProgram());
    const Bytes message = setParameter(0x0002, 640);
    send(Bytes(message.begin(), message.begin() + 3));
    clock.sleepUs(std::int64_t{50} * 1000);
    send(Bytes(message.begin() + 3, message.end()));
    clock.sleepUs(std::int64_t{10} * 1000);
    EXPECT_EQ(640, pedal->parameterValue(0));
    EXPECT_EQ(message, pedal->received().back().bytes);
    EXPECT_EQ(5u + 1280u + 7u, pedal->rawBytesReceived()) << "every byte counted";
}

TEST_F(EffectProcessorTest, ImpossibleProgramLengthIsSkipped) {
    send({0x00, 0x00, 0x01}); // a program of 1 byte cannot be
    EXPECT_EQ("BRIVO\r\n0\r\n0\r\n5\r\n", identity());
    EXPECT_EQ((Bytes{0x00, 0x00, 0x01}), pedal->garbageReceived());
    EXPECT_EQ(0, pedal->runningEffectNumber());
}

TEST_F(EffectProcessorTest, RecordCanBeCleared) {
    upload(effectProgram());
    pedal->clearRecord();
    EXPECT_TRUE(pedal->received().empty());
    EXPECT_TRUE(pedal->writesReceived().empty());
    EXPECT_EQ(0u, pedal->rawBytesReceived());
    EXPECT_EQ(kEffect, pedal->runningEffectNumber()) << "the state stays";
}

} // namespace
} // namespace brivo::test
