#include "session/DriverOptions.h"

#include "base/Clock.h"
#include "link/d2xx/D2xx.h"

#include <QCommandLineParser>
#include <gtest/gtest.h>

namespace brivo {
namespace {

struct Registered {
    QString fault;
    DWORD devices = 0;
    std::string firstSerial;
};

Registered registerWith(const QStringList& arguments) {
    DriverOptions options;
    QCommandLineParser parser;
    options.addTo(parser);
    EXPECT_TRUE(parser.parse(QStringList{"brivo-editor"} + arguments))
        << parser.errorText().toStdString();
    VirtualClock clock;
    D2xx d2xx;
    Registered result;
    result.fault = options.registerDrivers(parser, d2xx, clock);
    d2xx.FT_ListDevices(&result.devices, nullptr, FT_LIST_NUMBER_ONLY);
    if (result.devices > 0) {
        std::array<char, kFtListStringBytes> serial{};
        d2xx.FT_ListDevices(nullptr, serial.data(), FT_LIST_BY_INDEX | FT_OPEN_BY_SERIAL_NUMBER);
        result.firstSerial = serial.data();
    }
    return result;
}

TEST(DriverOptions, TheVirtualDriverAloneListsOnlyTheVirtualPedal) {
    const Registered r = registerWith({"--driver", "virtual"});
    EXPECT_TRUE(r.fault.isEmpty());
    EXPECT_EQ(r.devices, 1u);
    EXPECT_EQ(r.firstSerial, "DVIRT001");
}

TEST(DriverOptions, ANamedPortOfTheSerialDriverIsListed) {
    // Any existing path stands for a port here; it is listed, not opened.
    const Registered r = registerWith({"--driver", "serial", "--port", "/dev/null"});
    EXPECT_TRUE(r.fault.isEmpty());
    EXPECT_GE(r.devices, 1u);
}

TEST(DriverOptions, ContradictionsAndUnknownDriversAreRefused) {
    EXPECT_EQ(registerWith({"--driver", "ftdi"}).fault,
              "Unknown driver \"ftdi\": use serial, usb, virtual or auto.");
    for (const char* driver : {"usb", "virtual"})
        EXPECT_EQ(registerWith({"--driver", driver, "--port", "/dev/ttyUSB0"}).fault,
                  "--port names a serial port: it needs the serial driver.")
            << driver;
}

} // namespace
} // namespace brivo
