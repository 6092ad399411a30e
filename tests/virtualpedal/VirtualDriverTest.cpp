#include "virtualpedal/VirtualDriver.h"
#include "base/Clock.h"
#include "link/d2xx/D2xx.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

class VirtualDriverTest : public ::testing::Test {
  protected:
    VirtualDriverTest() {
        auto driver = std::make_unique<VirtualDriver>(clock);
        virtualDriver = driver.get();
        first = driver->addPedal();
        second = driver->addPedal("DVIRT002", "USB Serial Cable");
        d2xx.addDriver(std::move(driver));
    }

    std::string listed(DWORD index, DWORD what) {
        char buffer[kFtListStringBytes + 1] = {};
        const FT_STATUS status = d2xx.FT_ListDevices(reinterpret_cast<PVOID>(std::uintptr_t{index}),
                                                     buffer, FT_LIST_BY_INDEX | what);
        return status == FT_OK ? std::string(buffer) : "status " + std::to_string(status);
    }

    FT_STATUS open(const char* serial, FT_HANDLE* handle) {
        return d2xx.FT_OpenEx(const_cast<char*>(serial), FT_OPEN_BY_SERIAL_NUMBER, handle);
    }

    VirtualClock clock;
    D2xx d2xx;
    VirtualDriver* virtualDriver = nullptr;
    std::shared_ptr<VirtualPedal> first;
    std::shared_ptr<VirtualPedal> second;
};

TEST_F(VirtualDriverTest, ListsItsPedalsInOrder) {
    EXPECT_EQ("virtual", virtualDriver->name());
    DWORD count = 0;
    ASSERT_EQ(FT_OK, d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY));
    EXPECT_EQ(2u, count);
    EXPECT_EQ("DVIRT001", listed(0, FT_OPEN_BY_SERIAL_NUMBER));
    EXPECT_EQ("FT230X Basic UART", listed(0, FT_OPEN_BY_DESCRIPTION));
    EXPECT_EQ("DVIRT002", listed(1, FT_OPEN_BY_SERIAL_NUMBER));
    EXPECT_EQ("USB Serial Cable", listed(1, FT_OPEN_BY_DESCRIPTION));
    EXPECT_EQ("status 2", listed(2, FT_OPEN_BY_SERIAL_NUMBER));
    EXPECT_EQ(second, virtualDriver->pedal("DVIRT002"));
}

TEST_F(VirtualDriverTest, OpensByExactSerialOnly) {
    FT_HANDLE handle = nullptr;
    for (const char* wrong : {"DVIRT00", "dvirt001", "DVIRT0011", ""})
        EXPECT_EQ(FT_DEVICE_NOT_FOUND, open(wrong, &handle)) << "'" << wrong << "'";
    ASSERT_EQ(FT_OK, open("DVIRT002", &handle));
    EXPECT_TRUE(second->isOpen());
    EXPECT_FALSE(first->isOpen());

    WORD word = 0;
    ASSERT_EQ(FT_OK, d2xx.FT_ReadEE(handle, 87, &word));
    EXPECT_EQ('U', word) << "the product string is the description";
}

TEST_F(VirtualDriverTest, OneHandleAtATime) {
    FT_HANDLE handle = nullptr;
    FT_HANDLE again = nullptr;
    ASSERT_EQ(FT_OK, open("DVIRT001", &handle));
    EXPECT_EQ(FT_DEVICE_NOT_OPENED, open("DVIRT001", &again));
    ASSERT_EQ(FT_OK, d2xx.FT_Close(handle));
    EXPECT_FALSE(first->isOpen());
    EXPECT_EQ(FT_OK, open("DVIRT001", &again));
}

TEST_F(VirtualDriverTest, RemovedPedalIsGoneAndItsHandleDies) {
    FT_HANDLE handle = nullptr;
    ASSERT_EQ(FT_OK, open("DVIRT001", &handle));
    EXPECT_TRUE(virtualDriver->removePedal("DVIRT001"));
    EXPECT_FALSE(virtualDriver->removePedal("DVIRT001"));
    EXPECT_EQ("DVIRT002", listed(0, FT_OPEN_BY_SERIAL_NUMBER));
    DWORD queued = 0;
    EXPECT_EQ(FT_IO_ERROR, d2xx.FT_GetQueueStatus(handle, &queued));
    EXPECT_EQ(FT_OK, d2xx.FT_Close(handle));
}

} // namespace
} // namespace brivo
