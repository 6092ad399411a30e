// The pty pedal between clients: what one client leaves behind must not
// reach or lock out the next, as on a bridge that is opened afresh.
#include "ptypedal/PtyPedalServer.h"

#include <QElapsedTimer>
#include <QThread>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace brivo {
namespace {

const QByteArray kIdentityRequest("\x05\x00", 2);
const QByteArray kIdentityAnswer("BRIVO\r\n0\r\n0\r\n5\r\n");

class PtyPedalClients : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        if (!server.open(error))
            GTEST_SKIP() << "no pseudo-terminal: " << error;
        serving = std::thread([this] { server.run(); });
    }
    void TearDown() override {
        server.stop();
        if (serving.joinable())
            serving.join();
    }

    int openClient() {
        const int fd = ::open(server.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) {
            termios raw{};
            ::tcgetattr(fd, &raw);
            ::cfmakeraw(&raw);
            ::tcsetattr(fd, TCSANOW, &raw);
        }
        return fd;
    }

    // Everything that arrives on `fd` within `ms`.
    static QByteArray readFor(int fd, int ms) {
        QByteArray got;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) {
            char buffer[256];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, int(n));
            else
                QThread::msleep(5);
        }
        return got;
    }

    RealClock clock;
    PtyPedalServer server{clock};
    std::thread serving;
};

TEST_F(PtyPedalClients, AnswersToAClientThatLeftNeverReachTheNext) {
    const int first = openClient();
    ASSERT_GE(first, 0);
    ASSERT_EQ(::write(first, kIdentityRequest.constData(), 2), 2);
    ::close(first); // before the pedal's answer is on its way back
    QThread::msleep(200);

    const int second = openClient();
    ASSERT_GE(second, 0);
    EXPECT_EQ(readFor(second, 300), QByteArray());
    ASSERT_EQ(::write(second, kIdentityRequest.constData(), 2), 2);
    EXPECT_EQ(readFor(second, 500), kIdentityAnswer);
    ::close(second);
}

// A client killed while it held the port exclusively never says TIOCNXCL.
TEST_F(PtyPedalClients, AClientThatDiesInExclusiveModeLeavesThePortFree) {
    const int first = openClient();
    ASSERT_GE(first, 0);
    ASSERT_EQ(::ioctl(first, TIOCEXCL), 0);
    ::close(first);
    QThread::msleep(200);

    const int second = openClient();
    ASSERT_GE(second, 0);
    int exclusive = -1;
    ASSERT_EQ(::ioctl(second, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 0);
    ::close(second);
}

TEST_F(PtyPedalClients, ATwoClientOverlapKeepsTheFirstsExclusiveMode) {
    const int first = openClient();
    ASSERT_GE(first, 0);
    ASSERT_EQ(::ioctl(first, TIOCEXCL), 0);
    QThread::msleep(100);
    // A second open (root may) and its close do not end the first client.
    const int peek = openClient();
    if (peek >= 0)
        ::close(peek);
    QThread::msleep(100);
    int exclusive = -1;
    ASSERT_EQ(::ioctl(first, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1);
    ASSERT_EQ(::write(first, kIdentityRequest.constData(), 2), 2);
    EXPECT_EQ(readFor(first, 500), kIdentityAnswer);
    ::close(first);
}

} // namespace
} // namespace brivo
