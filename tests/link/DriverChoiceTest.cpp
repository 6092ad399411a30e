#include "link/DriverChoice.h"
#include "FakeDriver.h"
#include "link/d2xx/D2xx.h"

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

TEST(FirstListingFailures, ADriverThatCannotListHidesOnlyItself) {
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
    std::unique_ptr<Port> port;
    EXPECT_EQ(choice.open("DK0JTX4I", port), FT_DEVICE_NOT_FOUND);
    second->listed = {{"DK0JTX4I", "FT230X Basic UART"}};
    EXPECT_EQ(choice.open("DK0JTX4I", port), FT_OK);

    std::vector<std::unique_ptr<Driver>> onlyFailing;
    onlyFailing.push_back(std::make_unique<FailingDriver>());
    FirstListingDriver none(std::move(onlyFailing));
    EXPECT_EQ(none.listDevices(devices), FT_DEVICE_NOT_OPENED);
}

// Lists one bridge it will not open: a port another program holds.
class HeldPortDriver final : public Driver {
  public:
    std::string name() const override { return "held"; }
    FT_STATUS listDevices(std::vector<ListedDevice>& devices) override {
        devices = {{"DK0JTX4I", "FT230X Basic UART"}};
        return FT_OK;
    }
    FT_STATUS open(const std::string&, std::unique_ptr<Port>&) override {
        ++opens;
        return FT_DEVICE_NOT_OPENED;
    }
    OpenFailure lastOpenFailure() const override { return {OpenCause::Busy, "/dev/ttyUSB0"}; }
    int opens = 0;
};

// The serial driver lists the bridge but cannot open it: libusb must not
// detach the kernel's driver from under the program that holds the port.
TEST(FirstListingFailures, APortListedButNotOpenedIsReportedNotTakenThroughTheNextDriver) {
    VirtualClock clock;
    FakeBridge bridge;
    auto held = std::make_unique<HeldPortDriver>();
    HeldPortDriver* serialSide = held.get();
    auto usb = std::make_unique<FakeDriver>(bridge, clock);
    FakeDriver* usbSide = usb.get();
    usbSide->listed = {{"DK0JTX4I", "FT230X Basic UART"}};
    std::vector<std::unique_ptr<Driver>> drivers;
    drivers.push_back(std::move(held));
    drivers.push_back(std::move(usb));
    FirstListingDriver choice(std::move(drivers));

    std::unique_ptr<Port> port;
    EXPECT_EQ(choice.open("DK0JTX4I", port), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(port, nullptr);
    EXPECT_EQ(serialSide->opens, 1);
    EXPECT_TRUE(usbSide->openedSerials.empty());
    EXPECT_EQ(choice.lastOpenFailure().cause, OpenCause::Busy);
    EXPECT_EQ(choice.lastOpenFailure().device, "/dev/ttyUSB0");
}

// Sees a bridge it cannot read (no udev rule).
class BlockedUsbDriver final : public Driver {
  public:
    std::string name() const override { return "blocked"; }
    FT_STATUS listDevices(std::vector<ListedDevice>& devices) override {
        devices.clear();
        return FT_DEVICE_NOT_OPENED;
    }
    std::vector<std::string> inaccessibleDevices() const override { return {"permission denied"}; }
    FT_STATUS open(const std::string&, std::unique_ptr<Port>&) override {
        return FT_DEVICE_NOT_FOUND;
    }
};

TEST(FirstListingFailures, TheListingsInaccessibleBridgesArePassedOn) {
    VirtualClock clock;
    FakeBridge bridge;
    std::vector<std::unique_ptr<Driver>> drivers;
    drivers.push_back(std::make_unique<FakeDriver>(bridge, clock)); // lists nothing
    drivers.push_back(std::make_unique<BlockedUsbDriver>());
    FirstListingDriver choice(std::move(drivers));
    std::vector<ListedDevice> devices;
    choice.listDevices(devices);
    EXPECT_TRUE(devices.empty());
    EXPECT_EQ(choice.inaccessibleDevices(), std::vector<std::string>{"permission denied"});

    // Through the D2XX layer, as the window's Scan reads it.
    D2xx d2xx;
    std::vector<std::unique_ptr<Driver>> again;
    again.push_back(std::make_unique<FakeDriver>(bridge, clock));
    again.push_back(std::make_unique<BlockedUsbDriver>());
    d2xx.addDriver(std::make_unique<FirstListingDriver>(std::move(again)));
    DWORD count = 99;
    EXPECT_EQ(d2xx.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(d2xx.inaccessibleDevices(), std::vector<std::string>{"permission denied"});
}

} // namespace
} // namespace brivo::test
