#include "link/serial/SerialDriver.h"

#include <QDir>
#include <QFile>
#include <QSerialPort>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace brivo {
namespace {

// A pseudo-terminal whose client end stands for a pedal's port.
class PtyPort : public ::testing::Test {
  protected:
    void SetUp() override {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            GTEST_SKIP() << "no pseudo-terminal";
        path = QString::fromLocal8Bit(::ptsname(master_));
        ASSERT_TRUE(folder.isValid());
    }
    void TearDown() override {
        if (master_ >= 0)
            ::close(master_);
    }

    // A link in the scratch folder whose whole path is longer than `length`.
    QString longLink(int length) {
        QString name = QStringLiteral("pedal-");
        while (folder.filePath(name).size() <= length)
            name += QLatin1Char('x');
        const QString link = folder.filePath(name);
        EXPECT_TRUE(QFile::link(path, link));
        return link;
    }

    std::vector<ListedDevice> listed(SerialDriver& driver) {
        std::vector<ListedDevice> devices;
        EXPECT_EQ(driver.listDevices(devices), FT_OK);
        return devices;
    }

    QString path;
    QTemporaryDir folder;

  private:
    int master_ = -1;
};

TEST_F(PtyPort, ALinkToANamedPortIsThatPortAndALongLinkOpens) {
    const QString link = longLink(70);
    SerialDriver driver({link, path, longLink(80)});
    const std::vector<ListedDevice> devices = listed(driver);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_EQ(devices[0].serialNumber, path.toStdString());

    std::unique_ptr<Port> port;
    EXPECT_EQ(driver.open(devices[0].serialNumber, port), FT_OK);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(driver.lastOpenFailure().cause, OpenCause::None);
    port->close();
}

TEST_F(PtyPort, APortAnotherProgramHoldsIsBusyAndStaysItsHolders) {
    QSerialPort holder(path);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));
    SerialDriver driver({path});
    const std::vector<ListedDevice> devices = listed(driver);
    ASSERT_EQ(devices.size(), 1u);

    std::unique_ptr<Port> port;
    EXPECT_EQ(driver.open(devices[0].serialNumber, port), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(port, nullptr);
    EXPECT_EQ(driver.lastOpenFailure().cause, OpenCause::Busy);
    EXPECT_EQ(driver.lastOpenFailure().device, path.toStdString());
    EXPECT_TRUE(holder.isOpen());
    EXPECT_EQ(holder.write("ok", 2), 2);
}

TEST_F(PtyPort, APortGoneSinceTheListingIsGone) {
    const QString link = longLink(10);
    SerialDriver driver({link});
    const std::vector<ListedDevice> devices = listed(driver);
    ASSERT_EQ(devices.size(), 1u);
    ASSERT_TRUE(QFile::remove(link));
    std::unique_ptr<Port> port;
    EXPECT_EQ(driver.open(devices[0].serialNumber, port), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(driver.lastOpenFailure().cause, OpenCause::Gone);
}

} // namespace
} // namespace brivo
