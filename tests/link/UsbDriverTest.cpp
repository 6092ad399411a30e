#include "link/usb/UsbDriver.h"
#include "link/d2xx/D2xx.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

// Runs on any machine: with or without USB access, bridges or permission, the
// listing must not fail (a driver that cannot list is skipped) and an unknown
// serial number is simply not found.
TEST(UsbDriver, ListingAndOpeningAnUnknownSerialFailQuietly) {
    D2xx d2xx;
    d2xx.addDriver(std::make_unique<UsbDriver>());
    DWORD count = 12345;
    EXPECT_EQ(d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_NE(count, 12345u);

    char serial[] = "no-such-bridge";
    FT_HANDLE handle = nullptr;
    EXPECT_EQ(d2xx.FT_OpenEx(serial, FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(handle, nullptr);
}

} // namespace
} // namespace brivo
