// The serial-port driver against a real pseudo-terminal: the test holds the
// pedal's end and sees exactly the bytes the driver moves.
#include "link/serial/TtyPort.h"
#include "link/serial/SerialDriver.h"

#include "support/PortWait.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QThread>
#include <array>
#include <cstdlib>
#include <fcntl.h>

#include <gtest/gtest.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace brivo {
namespace {

using Bytes = std::vector<std::uint8_t>;

class TtyPortOverPty : public ::testing::Test {
  protected:
    void SetUp() override {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
            GTEST_SKIP() << "no pseudo-terminals here";
        path = ::ptsname(master);
        termios settings{};
        ::tcgetattr(master, &settings);
        ::cfmakeraw(&settings);
        ::tcsetattr(master, TCSANOW, &settings);
    }
    void TearDown() override {
        if (master >= 0)
            ::close(master);
    }

    void openPort() {
        SerialDriver driver({QString::fromStdString(path)});
        ASSERT_EQ(driver.open(path, port), FT_OK);
        ASSERT_NE(port, nullptr);
    }
    void pedalSends(const Bytes& bytes) {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    Bytes pedalReceives(std::size_t count) {
        Bytes bytes(count);
        std::size_t got = 0;
        while (got < count) {
            const ssize_t n = ::read(master, bytes.data() + got, count - got);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        return bytes;
    }
    DWORD queuedAfterWait() {
        DWORD queued = 0;
        for (int i = 0; i < 20 && queued == 0; ++i) {
            brivo::test::waitForNotice(*port, 100);
            EXPECT_EQ(port->getQueueStatus(&queued), FT_OK);
        }
        return queued;
    }
    void hangUp() {
        ::close(master);
        master = -1;
    }

    int master = -1;
    std::string path;
    std::unique_ptr<Port> port;
};

TEST_F(TtyPortOverPty, ANamedPortIsListedByItsPathAsThePedalsBridgeOnlyWhileItExists) {
    const QString missing = QStringLiteral("/dev/pts/no-such-port");
    SerialDriver driver({QString::fromStdString(path), missing});
    std::vector<ListedDevice> devices;
    ASSERT_EQ(driver.listDevices(devices), FT_OK);
    const auto named = std::find_if(devices.begin(), devices.end(),
                                    [&](const ListedDevice& d) { return d.serialNumber == path; });
    ASSERT_NE(named, devices.end());
    EXPECT_EQ(named->description, "FT230X Basic UART");
    EXPECT_EQ(std::count_if(
                  devices.begin(), devices.end(),
                  [&](const ListedDevice& d) { return d.serialNumber == missing.toStdString(); }),
              0);
    std::unique_ptr<Port> none;
    EXPECT_EQ(driver.open(missing.toStdString(), none), FT_DEVICE_NOT_FOUND);
}

TEST_F(TtyPortOverPty, BytesTravelBothWaysAndTheQueueCountsAndPurgesThem) {
    openPort();
    EXPECT_EQ(port->setBaudRate(115200), FT_OK);
    EXPECT_EQ(port->setDataCharacteristics(FT_BITS_8, FT_STOP_BITS_1, FT_PARITY_NONE), FT_OK);
    EXPECT_EQ(port->setDataCharacteristics(5, FT_STOP_BITS_1, FT_PARITY_NONE),
              FT_INVALID_PARAMETER);
    EXPECT_EQ(port->setBaudRate(0), FT_INVALID_BAUD_RATE);

    const Bytes request{0x05, 0x00, 0x0A, 0x0D, 0x11, 0x13, 0x7F};
    DWORD written = 0;
    ASSERT_EQ(port->write(request.data(), DWORD(request.size()), &written), FT_OK);
    EXPECT_EQ(written, request.size());
    // Raw: line ends, flow-control and delete characters pass untouched.
    EXPECT_EQ(pedalReceives(request.size()), request);

    pedalSends({'B', 'R', 'I', 'V', 'O', '\r', '\n', 0x00, 0x11, 0xFF});
    ASSERT_EQ(queuedAfterWait(), 10u);
    std::array<std::uint8_t, 16> buffer{};
    DWORD got = 0;
    ASSERT_EQ(port->read(buffer.data(), 4, &got), FT_OK);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + got), (Bytes{'B', 'R', 'I', 'V'}));
    DWORD queued = 0;
    ASSERT_EQ(port->getQueueStatus(&queued), FT_OK);
    EXPECT_EQ(queued, 6u);

    EXPECT_EQ(port->purge(FT_PURGE_RX | FT_PURGE_TX), FT_OK);
    ASSERT_EQ(port->getQueueStatus(&queued), FT_OK);
    EXPECT_EQ(queued, 0u);
    WORD word = 0x1234;
    EXPECT_EQ(port->readEE(0, &word), FT_NOT_SUPPORTED);
    EXPECT_EQ(word, 0x1234);
}

TEST_F(TtyPortOverPty, AWaitSleepsUntilBytesArriveOrItsTimeIsUp) {
    openPort();
    QElapsedTimer timer;
    timer.start();
    // No bytes, no notice: the caller's own timer ends the wait.
    EXPECT_FALSE(brivo::test::waitForNotice(*port, 300));
    EXPECT_GE(timer.elapsed(), 250);

    std::thread pedal([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pedalSends({0x79});
    });
    timer.restart();
    EXPECT_TRUE(brivo::test::waitForNotice(*port, 5000));
    const qint64 wokenAfterMs = timer.elapsed();
    pedal.join();
    EXPECT_GE(wokenAfterMs, 90);
    EXPECT_LT(wokenAfterMs, 2000);
    DWORD queued = 0;
    ASSERT_EQ(port->getQueueStatus(&queued), FT_OK);
    EXPECT_EQ(queued, 1u);
}

TEST_F(TtyPortOverPty, AfterAHangUpEveryCallButCloseFails) {
    openPort();
    pedalSends({0x01, 0x02});
    ASSERT_EQ(queuedAfterWait(), 2u);
    hangUp();

    DWORD queued = 0;
    EXPECT_EQ(port->getQueueStatus(&queued), FT_IO_ERROR);
    const Bytes request{0x02, 0x08};
    DWORD written = 0;
    EXPECT_EQ(port->write(request.data(), 2, &written), FT_IO_ERROR);
    std::array<std::uint8_t, 4> buffer{};
    DWORD got = 0;
    EXPECT_EQ(port->read(buffer.data(), 2, &got), FT_IO_ERROR);
    EXPECT_EQ(port->purge(FT_PURGE_RX), FT_IO_ERROR);
    EXPECT_EQ(port->close(), FT_OK);
}

// Qt reports a read notice that finds nothing (its bytes were taken by a
// wait in the meantime) as a read error: only a tty that stopped taking
// calls is gone.
TEST_F(TtyPortOverPty, AReadErrorOfAPortThatStillAnswersLeavesItOpen) {
    auto serial = std::make_unique<QSerialPort>(QString::fromStdString(path));
    ASSERT_TRUE(serial->open(QIODevice::ReadWrite));
    QSerialPort* qt = serial.get();
    TtyPort tty(std::move(serial));
    int notices = 0;
    ASSERT_EQ(tty.setReceiveNotifier([&notices] { ++notices; }), FT_OK);

    emit qt->errorOccurred(QSerialPort::ReadError);
    pedalSends({0x79});
    DWORD queued = 0;
    for (int i = 0; i < 100 && queued == 0; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_EQ(tty.getQueueStatus(&queued), FT_OK);
    }
    EXPECT_EQ(queued, 1u);

    // Hung up, the same report ends the port.
    hangUp();
    emit qt->errorOccurred(QSerialPort::ReadError);
    EXPECT_EQ(tty.getQueueStatus(&queued), FT_IO_ERROR);
}

} // namespace
} // namespace brivo
