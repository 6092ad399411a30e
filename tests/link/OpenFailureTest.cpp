#include "link/OpenFailure.h"
#include "link/d2xx/D2xx.h"
#include "link/serial/SerialMapping.h"
#include "link/usb/UsbMapping.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace brivo {
namespace {

TEST(OpenFailure, ErrnoValuesNameTheirCause) {
    const struct {
        int error;
        OpenCause cause;
    } cases[] = {
        {0, OpenCause::None},           {EACCES, OpenCause::Permission},
        {EPERM, OpenCause::Permission}, {EROFS, OpenCause::Permission},
        {EBUSY, OpenCause::Busy},       {EAGAIN, OpenCause::Busy},
        {ENOENT, OpenCause::Gone},      {ENODEV, OpenCause::Gone},
        {ENXIO, OpenCause::Gone},       {EIO, OpenCause::Other},
        {EINVAL, OpenCause::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(openCauseOfErrno(c.error), c.cause) << c.error;
}

// Qt says "permission" both for a port this user may not open and for one
// another program holds (its lock file, or exclusive mode).
TEST(OpenFailure, ASerialPermissionErrorOnAPortTheUserMayUseIsBusy) {
    const struct {
        QSerialPort::SerialPortError error;
        bool exists;
        bool readWritable;
        OpenCause cause;
    } cases[] = {
        {QSerialPort::NoError, true, true, OpenCause::None},
        {QSerialPort::PermissionError, true, false, OpenCause::Permission},
        {QSerialPort::PermissionError, true, true, OpenCause::Busy},
        {QSerialPort::PermissionError, false, false, OpenCause::Gone},
        {QSerialPort::DeviceNotFoundError, false, false, OpenCause::Gone},
        {QSerialPort::DeviceNotFoundError, true, true, OpenCause::Gone},
        {QSerialPort::ResourceError, false, true, OpenCause::Gone},
        {QSerialPort::ResourceError, true, true, OpenCause::Other},
        {QSerialPort::OpenError, true, true, OpenCause::Other},
        {QSerialPort::UnknownError, true, true, OpenCause::Other},
    };
    for (const auto& c : cases)
        EXPECT_EQ(serial::serialOpenCause(c.error, c.exists, c.readWritable), c.cause)
            << int(c.error) << ' ' << c.exists << ' ' << c.readWritable;
}

TEST(OpenFailure, LibftdiOpenResultsNameTheirCause) {
    EXPECT_EQ(usb::openCauseOfOpenResult(0), OpenCause::None);
    EXPECT_EQ(usb::openCauseOfOpenResult(-4), OpenCause::Permission);
    EXPECT_EQ(usb::openCauseOfOpenResult(-5), OpenCause::Busy);
    for (int other : {-3, -6, -7, -8, -11})
        EXPECT_EQ(usb::openCauseOfOpenResult(other), OpenCause::Other) << other;
}

TEST(OpenFailure, EachKnownCauseSaysWhatIsWrongAndWhatToDo) {
    const struct {
        OpenCause cause;
        std::vector<QString> words;
    } cases[] = {
        {OpenCause::Permission,
         {"/dev/ttyUSB0", "permission denied", "udev rule", "70-brivo.rules", "dialout"}},
        {OpenCause::Busy, {"/dev/ttyUSB0", "busy", "another program", "Close that program"}},
        {OpenCause::Gone, {"/dev/ttyUSB0", "gone", "Plug", "Scan"}},
    };
    for (const auto& c : cases) {
        const QString text = openFailureMessage({c.cause, "/dev/ttyUSB0"});
        for (const QString& word : c.words)
            EXPECT_TRUE(text.contains(word))
                << text.toStdString() << " lacks " << word.toStdString();
    }
    // Busy never blames the group, nor permission the other program.
    EXPECT_FALSE(openFailureMessage({OpenCause::Busy, "x"}).contains("group"));
    EXPECT_FALSE(openFailureMessage({OpenCause::Permission, "x"}).contains("busy"));
    // Nothing known, nothing to add to the device layer's own report.
    EXPECT_TRUE(openFailureMessage({OpenCause::Other, "x"}).isEmpty());
    EXPECT_TRUE(openFailureMessage({OpenCause::None, ""}).isEmpty());
}

// Lists one bridge and refuses to open it for the given cause.
class RefusingDriver final : public Driver {
  public:
    explicit RefusingDriver(OpenFailure failure) : failure_(std::move(failure)) {}
    std::string name() const override { return "refusing"; }
    FT_STATUS listDevices(std::vector<ListedDevice>& devices) override {
        devices = {{"DK0JTX4I", "FT230X Basic UART"}};
        return FT_OK;
    }
    FT_STATUS open(const std::string& serial, std::unique_ptr<Port>&) override {
        return serial == "DK0JTX4I" ? FT_DEVICE_NOT_OPENED : FT_DEVICE_NOT_FOUND;
    }
    OpenFailure lastOpenFailure() const override { return failure_; }

  private:
    OpenFailure failure_;
};

TEST(OpenFailure, TheDeviceLayerKeepsWhyItsLastOpenFailed) {
    D2xx d2xx;
    d2xx.addDriver(std::make_unique<RefusingDriver>(OpenFailure{OpenCause::Busy, "/dev/ttyUSB0"}));
    FT_HANDLE handle = nullptr;
    char serial[] = "DK0JTX4I";
    EXPECT_EQ(d2xx.FT_OpenEx(serial, FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(d2xx.lastOpenFailure().cause, OpenCause::Busy);
    EXPECT_TRUE(whyOpenFailed(d2xx).contains("busy"));

    // A serial number no driver has any more: the device is gone.
    char other[] = "DQ77";
    EXPECT_EQ(d2xx.FT_OpenEx(other, FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(d2xx.lastOpenFailure().cause, OpenCause::Gone);
    EXPECT_EQ(d2xx.lastOpenFailure().device, "DQ77");
    // No serial number at all (nothing was listed): nothing more to say.
    char none[] = "";
    EXPECT_EQ(d2xx.FT_OpenEx(none, FT_OPEN_BY_SERIAL_NUMBER, &handle), FT_DEVICE_NOT_FOUND);
    EXPECT_TRUE(whyOpenFailed(d2xx).isEmpty());
}

} // namespace
} // namespace brivo
