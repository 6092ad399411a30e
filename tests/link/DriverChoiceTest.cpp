#include "link/DriverChoice.h"
#include "FakeDriver.h"

#include <gtest/gtest.h>

namespace brivo::test {
namespace {

TEST(DriverChoice, DriverNames) {
    EXPECT_EQ(driverKindOf("serial"), DriverKind::Serial);
    EXPECT_EQ(driverKindOf("usb"), DriverKind::Usb);
    EXPECT_EQ(driverKindOf("virtual"), DriverKind::Virtual);
    EXPECT_EQ(driverKindOf("auto"), DriverKind::Automatic);
    for (const char* bad : {"", "Serial", "ftdi", "usb "})
        EXPECT_FALSE(driverKindOf(bad).has_value()) << bad;
}

// A driver that cannot list at all (no USB access, say).
class FailingDriver final : public Driver {
  public:
    std::string name() const override { return "failing"; }
    FT_STATUS listDevices(std::vector<ListedDevice>&) override { return FT_DEVICE_NOT_OPENED; }
    FT_STATUS open(const std::string&, std::unique_ptr<Port>&) override {
        return FT_DEVICE_NOT_OPENED;
    }
};

class FirstListing : public ::testing::Test {
  protected:
    FirstListing() {
        auto a = std::make_unique<FakeDriver>(bridge, clock);
        auto b = std::make_unique<FakeDriver>(bridge, clock);
        serialSide = a.get();
        usbSide = b.get();
        std::vector<std::unique_ptr<Driver>> drivers;
        drivers.push_back(std::move(a));
        drivers.push_back(std::move(b));
        choice = std::make_unique<FirstListingDriver>(std::move(drivers));
    }

    std::vector<std::string> listedSerials() {
        std::vector<ListedDevice> devices;
        EXPECT_EQ(choice->listDevices(devices), FT_OK);
        std::vector<std::string> serials;
        for (const ListedDevice& d : devices)
            serials.push_back(d.serialNumber);
        return serials;
    }

    VirtualClock clock;
    FakeBridge bridge;
    FakeDriver* serialSide = nullptr;
    FakeDriver* usbSide = nullptr;
    std::unique_ptr<FirstListingDriver> choice;
};

TEST_F(FirstListing, ABridgeSeenByBothDriversIsListedOnceUnderTheFirst) {
    serialSide->listed = {{"DK0JTX4I", "FT230X Basic UART"}};
    usbSide->listed = {{"DK0JTX4I", "FT230X Basic UART"}};
    EXPECT_EQ(listedSerials(), std::vector<std::string>{"DK0JTX4I"});

    std::unique_ptr<Port> port;
    EXPECT_EQ(choice->open("DK0JTX4I", port), FT_OK);
    EXPECT_EQ(serialSide->openedSerials, std::vector<std::string>{"DK0JTX4I"});
    EXPECT_TRUE(usbSide->openedSerials.empty());
}

TEST_F(FirstListing, WithoutTheKernelsPortTheSecondDriverListsAndOpens) {
    usbSide->listed = {{"DK0JTX4I", "FT230X Basic UART"}};
    EXPECT_EQ(listedSerials(), std::vector<std::string>{"DK0JTX4I"});
    std::unique_ptr<Port> port;
    EXPECT_EQ(choice->open("DK0JTX4I", port), FT_OK);
    EXPECT_EQ(usbSide->openedSerials, std::vector<std::string>{"DK0JTX4I"});
}

TEST_F(FirstListing, NothingAnywhereListsNoneAndOpensNothing) {
    EXPECT_TRUE(listedSerials().empty());
    std::unique_ptr<Port> port;
    EXPECT_EQ(choice->open("", port), FT_DEVICE_NOT_FOUND);
}

TEST(FirstListingFailures, AFailingDriverHidesOnlyItselfAndItsOpenFailureIsReported) {
    VirtualClock clock;
    FakeBridge bridge;
    std::vector<std::unique_ptr<Driver>> drivers;
    drivers.push_back(std::make_unique<FailingDriver>());
    auto fake = std::make_unique<FakeDriver>(bridge, clock);
    FakeDriver* second = fake.get();
    drivers.push_back(std::move(fake));
    FirstListingDriver choice(std::move(drivers));

    std::vector<ListedDevice> devices;
    EXPECT_EQ(choice.listDevices(devices), FT_OK);
    EXPECT_TRUE(devices.empty());
    // The port the kernel holds would not open (no permission): the second
    // driver gets its chance; when it has no such device the first failure tells why.
    std::unique_ptr<Port> port;
    EXPECT_EQ(choice.open("DK0JTX4I", port), FT_DEVICE_NOT_OPENED);
    second->listed = {{"DK0JTX4I", "FT230X Basic UART"}};
    EXPECT_EQ(choice.open("DK0JTX4I", port), FT_OK);

    std::vector<std::unique_ptr<Driver>> onlyFailing;
    onlyFailing.push_back(std::make_unique<FailingDriver>());
    FirstListingDriver none(std::move(onlyFailing));
    EXPECT_EQ(none.listDevices(devices), FT_DEVICE_NOT_OPENED);
}

} // namespace
} // namespace brivo::test
