#include "link/usb/UsbMapping.h"

#include <gtest/gtest.h>

namespace brivo::usb {
namespace {

TEST(UsbMapping, LineSettingsOfTheLinkMapToLibftdi) {
    // 8 data bits, one stop bit, no parity: libftdi's BITS_8, STOP_BIT_1, NONE.
    EXPECT_EQ(ftdiBitsFor(FT_BITS_8), 8);
    EXPECT_EQ(ftdiBitsFor(FT_BITS_7), 7);
    EXPECT_EQ(ftdiStopBitsFor(FT_STOP_BITS_1), 0);
    EXPECT_EQ(ftdiStopBitsFor(FT_STOP_BITS_2), 2);
    EXPECT_EQ(ftdiParityFor(FT_PARITY_NONE), 0);
    EXPECT_EQ(ftdiParityFor(FT_PARITY_EVEN), 2);
    EXPECT_EQ(ftdiParityFor(FT_PARITY_SPACE), 4);
}

TEST(UsbMapping, UnknownLineCodesAreRefused) {
    EXPECT_FALSE(ftdiBitsFor(5).has_value());
    EXPECT_FALSE(ftdiBitsFor(0).has_value());
    EXPECT_FALSE(ftdiStopBitsFor(3).has_value());
    EXPECT_FALSE(ftdiParityFor(5).has_value());
}

TEST(UsbMapping, LibftdiResultsBecomeD2xxStatuses) {
    EXPECT_EQ(statusOfOpenResult(0), FT_OK);
    EXPECT_EQ(statusOfOpenResult(-4), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(statusOfOpenResult(-8), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(statusOfBaudRateResult(0), FT_OK);
    EXPECT_EQ(statusOfBaudRateResult(-1), FT_INVALID_BAUD_RATE);
    EXPECT_EQ(statusOfBaudRateResult(-2), FT_IO_ERROR);
    // A read that timed out found nothing; an unplugged device fails.
    EXPECT_EQ(statusOfReadResult(0), FT_OK);
    EXPECT_EQ(statusOfReadResult(12), FT_OK);
    EXPECT_EQ(statusOfReadResult(-7), FT_OK);
    EXPECT_EQ(statusOfReadResult(-4), FT_IO_ERROR);
    EXPECT_EQ(statusOfReadResult(-666), FT_INVALID_HANDLE);
    EXPECT_EQ(statusOfWriteResult(7), FT_OK);
    EXPECT_EQ(statusOfWriteResult(-7), FT_IO_ERROR);
    EXPECT_EQ(statusOfWriteResult(-666), FT_INVALID_HANDLE);
}

} // namespace
} // namespace brivo::usb
