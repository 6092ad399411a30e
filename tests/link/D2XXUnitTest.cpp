#include "LinkFixture.h"
#include "link/AsyncExchange.h"

namespace brivo::test {
namespace {

using D2XXUnitTest = LinkFixture;

TEST_F(D2XXUnitTest, WriteWithoutAnOpenDeviceReturnsZeroAndReportsInvalidHandle) {
    EXPECT_EQ(unit.WriteFTDevice(2), 0u);
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("FT_Write - Invalid handle...")});
    EXPECT_TRUE(bridge.writes.empty());
}

TEST_F(D2XXUnitTest, OpenCutsALongSerialNumberTo49Characters) {
    const QString serial = QString(60, QLatin1Char('S'));
    EXPECT_EQ(unit.Open_USB_Device_By_Serial_Number(serial), FT_DEVICE_NOT_FOUND);
    ASSERT_EQ(fakeDriver->openedSerials.size(), 1u);
    EXPECT_EQ(fakeDriver->openedSerials[0], std::string(49, 'S'));
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral(
                                    "Open_USB_Device_By_Serial_Number - Device not found...")});
}

TEST_F(D2XXUnitTest, EmptySerialNumberIsHandedOverAsAnEmptyString) {
    EXPECT_NE(unit.Open_USB_Device_By_Serial_Number(QString()), FT_OK);
    ASSERT_EQ(fakeDriver->openedSerials.size(), 1u);
    EXPECT_EQ(fakeDriver->openedSerials[0], std::string());
    EXPECT_EQ(unit.ftHandle, nullptr);
}

TEST_F(D2XXUnitTest, ListingTakesADescriptionThatFillsTheBuffer) {
    const std::string description(64, 'D');
    fakeDriver->listed = {{"A1", "short"}, {"B2", description}};
    ASSERT_EQ(unit.GetFTDeviceCount(), FT_OK);
    EXPECT_EQ(unit.ftDeviceCount, 2u);
    ASSERT_EQ(unit.GetFTDeviceDescription(0), FT_OK);
    EXPECT_EQ(unit.FT_Device_String, QByteArray("short"));
    ASSERT_EQ(unit.GetFTDeviceDescription(1), FT_OK);
    EXPECT_EQ(unit.FT_Device_String, QByteArray::fromStdString(description));
    ASSERT_EQ(unit.GetFTDeviceSerialNo(1), FT_OK);
    EXPECT_EQ(unit.FT_Device_String, QByteArray("B2"));
}

TEST_F(D2XXUnitTest, FailedListingKeepsTheLastString) {
    ASSERT_EQ(unit.GetFTDeviceSerialNo(0), FT_OK);
    EXPECT_EQ(unit.GetFTDeviceSerialNo(5), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(unit.FT_Device_String, QByteArray::fromStdString(kFakeSerial));
    EXPECT_EQ(dialogs.messages,
              QStringList{QStringLiteral("GetFTDeviceSerialNo - Device not found...")});
}

TEST_F(D2XXUnitTest, CloseStatus8HasNoDashAfterTheLabel) {
    openBridge();
    bridge.closeStatus = FT_DEVICE_NOT_OPENED_FOR_ERASE;
    EXPECT_EQ(unit.CloseFTDevice(), FT_DEVICE_NOT_OPENED_FOR_ERASE);
    EXPECT_EQ(dialogs.messages,
              QStringList{QStringLiteral("FT_Close Device not opened for erase...")});
}

TEST_F(D2XXUnitTest, ReadTakesEveryQueuedByteWhateverTheArgument) {
    openBridge();
    for (int i = 0; i < 40; ++i)
        bridge.queue.push_back(static_cast<std::uint8_t>(i + 1));
    EXPECT_EQ(unit.ReadFTDevice(17), 40u);
    EXPECT_EQ(unit.rxBuffer[0], 1);
    EXPECT_EQ(unit.rxBuffer[39], 40);
    EXPECT_EQ(unit.rxBuffer[40], 0);
    EXPECT_TRUE(bridge.queue.empty());
}

TEST_F(D2XXUnitTest, ReadNeverTakesMoreThanTheBuffer) {
    openBridge();
    bridge.queue.assign(kRxBufferSize + 10, 0x55);
    EXPECT_EQ(unit.ReadFTDevice(kRxBufferSize), static_cast<DWORD>(kRxBufferSize));
    EXPECT_EQ(bridge.queue.size(), 10u);
}

TEST_F(D2XXUnitTest, OperationsAfterCloseReportInvalidHandle) {
    openBridge();
    ASSERT_EQ(unit.CloseFTDevice(), FT_OK);
    EXPECT_NE(unit.ftHandle, nullptr); // the handle keeps its value
    EXPECT_EQ(unit.GetFTQueueStatus(), FT_INVALID_HANDLE);
    EXPECT_EQ(unit.ReadFTDevice(kRxBufferSize), 0u);
    EXPECT_EQ(dialogs.messages,
              (QStringList{QStringLiteral("FT_GetQueueStatus - Invalid handle..."),
                           QStringLiteral("FT_Read - Invalid handle...")}));
}

TEST_F(D2XXUnitTest, EepromReadFailureIsSilentAndKeepsTheLastWord) {
    unit.ftEepromWord = 0x1234;
    EXPECT_EQ(unit.ReadFTEEPROMWord(3), FT_INVALID_HANDLE);
    EXPECT_EQ(unit.ftEepromWord, 0x1234);
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(D2XXUnitTest, PurgingTheTransmitQueueWaitsUntilEarlierWritesHaveLeft) {
    openBridge();
    // Two seven-byte messages back to back: the second purge must not cut the first.
    unit.WriteFTDevice(7);
    unit.WriteFTDevice(7);
    const std::int64_t lineTimeUs = 14 * 1000000LL * 10 / 115200;
    EXPECT_NEAR(static_cast<double>(unit.txLineFreeAtUs()), static_cast<double>(lineTimeUs), 2.0);
    // The exchange waits for the line without blocking, then purges.
    AsyncExchange async(unit, log, clock);
    bool purged = false;
    Task<> purge = async.purgeTx();
    purge.start([&] { purged = true; });
    EXPECT_FALSE(purged);
    EXPECT_EQ(bridge.purgeTxCount, 0);
    ASSERT_TRUE(clock.runNextTimer());
    EXPECT_TRUE(purged);
    EXPECT_NEAR(static_cast<double>(clock.nowUs()), static_cast<double>(lineTimeUs), 2.0);
    EXPECT_EQ(bridge.purgeTxCount, 1);
    // With the line idle a purge costs nothing.
    const std::int64_t before = clock.nowUs();
    bool again = false;
    Task<> idle = async.purgeTx();
    idle.start([&] { again = true; });
    EXPECT_TRUE(again);
    EXPECT_EQ(clock.nowUs(), before);
}

} // namespace
} // namespace brivo::test
