#include "link/serial/SerialMapping.h"

#include <gtest/gtest.h>

namespace brivo::serial {
namespace {

PortFacts usbPort(const char* location, quint16 vendor, quint16 product, const char* serial,
                  const char* description) {
    return {QString::fromLatin1(location),   true, vendor, product, QString::fromLatin1(serial),
            QString::fromLatin1(description)};
}

PortFacts plainPort(const char* location) {
    PortFacts facts;
    facts.systemLocation = QString::fromLatin1(location);
    return facts;
}

struct ListingCase {
    const char* name;
    std::vector<PortFacts> system;
    std::vector<PortFacts> named;
    // serial number, description, path of each listed port, in order
    std::vector<std::array<const char*, 3>> listed;
};

class PortListing : public ::testing::TestWithParam<ListingCase> {};

TEST_P(PortListing, ListsTheBridgesThenTheNamedPorts) {
    const ListingCase& c = GetParam();
    const std::vector<ListedPort> ports = listedPorts(c.system, c.named);
    ASSERT_EQ(ports.size(), c.listed.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
        EXPECT_EQ(ports[i].device.serialNumber, c.listed[i][0]) << i;
        EXPECT_EQ(ports[i].device.description, c.listed[i][1]) << i;
        EXPECT_EQ(ports[i].systemLocation.toStdString(), c.listed[i][2]) << i;
    }
}

const PortFacts kPedal = usbPort("/dev/ttyUSB0", 0x0403, 0x6015, "DK0JTX4I", "FT230X Basic UART");

INSTANTIATE_TEST_SUITE_P(
    Cases, PortListing,
    ::testing::Values(
        ListingCase{"NoPorts", {}, {}, {}},
        ListingCase{
            "ThePedalsBridge", {kPedal}, {}, {{"DK0JTX4I", "FT230X Basic UART", "/dev/ttyUSB0"}}},
        // Other FTDI chips (FT232R 6001), other makers and ports without USB ids stay out.
        ListingCase{"OnlyThe0403And6015Ports",
                    {usbPort("/dev/ttyUSB1", 0x0403, 0x6001, "A1B2C3", "FT232R USB UART"),
                     usbPort("/dev/ttyACM0", 0x2341, 0x6015, "X", "Arduino"),
                     plainPort("/dev/ttyS0"), kPedal},
                    {},
                    {{"DK0JTX4I", "FT230X Basic UART", "/dev/ttyUSB0"}}},
        ListingCase{"TwoBridgesInTheSystemsOrder",
                    {kPedal, usbPort("/dev/ttyUSB3", 0x0403, 0x6015, "DQ77", "Tandrel Brivo")},
                    {},
                    {{"DK0JTX4I", "FT230X Basic UART", "/dev/ttyUSB0"},
                     {"DQ77", "Tandrel Brivo", "/dev/ttyUSB3"}}},
        // A pty has neither serial number nor description: its path opens it.
        ListingCase{"ANamedPtyAfterTheBridges",
                    {kPedal},
                    {plainPort("/dev/pts/4")},
                    {{"DK0JTX4I", "FT230X Basic UART", "/dev/ttyUSB0"},
                     {"/dev/pts/4", "FT230X Basic UART", "/dev/pts/4"}}},
        // Naming the bridge's own tty does not list it twice.
        ListingCase{"ANamedBridgeOnce",
                    {kPedal},
                    {kPedal},
                    {{"DK0JTX4I", "FT230X Basic UART", "/dev/ttyUSB0"}}},
        // A named port of another chip keeps what it says of itself.
        ListingCase{"ANamedPortKeepsItsOwnNames",
                    {},
                    {usbPort("/dev/ttyUSB1", 0x0403, 0x6001, "A1B2C3", "FT232R USB UART")},
                    {{"A1B2C3", "FT232R USB UART", "/dev/ttyUSB1"}}},
        ListingCase{"ANamedPortWithoutPathIsSkipped", {}, {plainPort("")}, {}},
        // The same port named twice (two links resolved to it) is listed once.
        ListingCase{"APortNamedTwiceOnce",
                    {},
                    {plainPort("/dev/pts/4"), plainPort("/dev/pts/4")},
                    {{"/dev/pts/4", "FT230X Basic UART", "/dev/pts/4"}}},
        // A path of 49 characters still fits the open call whole; one longer is
        // listed under a short key, and its whole path is what opens.
        ListingCase{"ANamedPathOf49CharactersIsItsSerialNumber",
                    {},
                    {plainPort("/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0X")},
                    {{"/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0X", "FT230X Basic UART",
                      "/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0X"}}},
        ListingCase{"ALongerNamedPathIsListedUnderAShortKey",
                    {},
                    {plainPort("/dev/serial/by-id/usb-FTDI_FT230X_Basic_UART_DK0JTX4I-if00-port0")},
                    {{"port-2e584a75b2a3", "FT230X Basic UART",
                      "/dev/serial/by-id/usb-FTDI_FT230X_Basic_UART_DK0JTX4I-if00-port0"}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SerialMapping, LineSettingsMapToQtSerialPort) {
    EXPECT_EQ(serialDataBitsFor(FT_BITS_8), QSerialPort::Data8);
    EXPECT_EQ(serialDataBitsFor(FT_BITS_7), QSerialPort::Data7);
    EXPECT_EQ(serialStopBitsFor(FT_STOP_BITS_1), QSerialPort::OneStop);
    EXPECT_EQ(serialStopBitsFor(FT_STOP_BITS_2), QSerialPort::TwoStop);
    EXPECT_EQ(serialParityFor(FT_PARITY_NONE), QSerialPort::NoParity);
    EXPECT_EQ(serialParityFor(FT_PARITY_ODD), QSerialPort::OddParity);
    EXPECT_EQ(serialParityFor(FT_PARITY_EVEN), QSerialPort::EvenParity);
    EXPECT_EQ(serialParityFor(FT_PARITY_MARK), QSerialPort::MarkParity);
    EXPECT_EQ(serialParityFor(FT_PARITY_SPACE), QSerialPort::SpaceParity);
    for (UCHAR bad : {0, 5, 9})
        EXPECT_FALSE(serialDataBitsFor(bad).has_value()) << int(bad);
    // One and a half stop bits (1) and unknown codes are refused, not guessed.
    for (UCHAR bad : {1, 3})
        EXPECT_FALSE(serialStopBitsFor(bad).has_value()) << int(bad);
    EXPECT_FALSE(serialParityFor(5).has_value());
}

TEST(SerialMapping, QtErrorsBecomeD2xxStatuses) {
    const struct {
        QSerialPort::SerialPortError error;
        FT_STATUS status;
        bool fatal;
    } cases[] = {
        {QSerialPort::NoError, FT_OK, false},
        // Nothing arrived in time is no failure of the port.
        {QSerialPort::TimeoutError, FT_OK, false},
        {QSerialPort::DeviceNotFoundError, FT_DEVICE_NOT_FOUND, false},
        {QSerialPort::PermissionError, FT_DEVICE_NOT_OPENED, false},
        {QSerialPort::OpenError, FT_DEVICE_NOT_OPENED, false},
        {QSerialPort::NotOpenError, FT_INVALID_HANDLE, false},
        // Unplugged or hung up: the port is gone.
        {QSerialPort::ResourceError, FT_IO_ERROR, true},
        {QSerialPort::ReadError, FT_IO_ERROR, true},
        {QSerialPort::WriteError, FT_IO_ERROR, true},
        {QSerialPort::UnsupportedOperationError, FT_NOT_SUPPORTED, false},
        {QSerialPort::UnknownError, FT_OTHER_ERROR, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(statusOfSerialError(c.error), c.status) << int(c.error);
        EXPECT_EQ(isFatalSerialError(c.error), c.fatal) << int(c.error);
    }
}

} // namespace
} // namespace brivo::serial
