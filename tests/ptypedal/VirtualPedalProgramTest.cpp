// brivo-virtual-pedal run as a child, as a user or a script runs it: it prints
// the pty's path, answers there with its options applied, and ends cleanly.
#include "link/serial/SerialDriver.h"

#include "support/PortWait.h"
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <signal.h>

namespace brivo {
namespace {

class VirtualPedalProgram : public ::testing::Test {
  protected:
    void TearDown() override {
        if (child.state() != QProcess::NotRunning) {
            child.kill();
            child.waitForFinished(2000);
        }
    }

    // Starts the program; the path it printed, or empty.
    QString start(const QStringList& arguments) {
        child.start(QStringLiteral(BRIVO_VIRTUAL_PEDAL_PROGRAM), arguments);
        if (!child.waitForStarted(5000))
            return {};
        QElapsedTimer timer;
        timer.start();
        while (!child.canReadLine() && timer.elapsed() < 5000)
            child.waitForReadyRead(100);
        return QString::fromLocal8Bit(child.readLine()).trimmed();
    }

    // Sends bytes through the editor's serial-port driver and collects the
    // answer until `bytes` have come or a second has passed.
    QByteArray exchange(const QString& path, const QByteArray& request, int bytes) {
        SerialDriver driver({path});
        std::unique_ptr<Port> port;
        EXPECT_EQ(driver.open(path.toStdString(), port), FT_OK);
        if (!port)
            return {};
        DWORD written = 0;
        port->write(reinterpret_cast<const std::uint8_t*>(request.constData()),
                    DWORD(request.size()), &written);
        QByteArray answer;
        QElapsedTimer timer;
        timer.start();
        while (answer.size() < bytes && timer.elapsed() < 1000) {
            brivo::test::waitForNotice(*port, 100);
            DWORD queued = 0;
            if (port->getQueueStatus(&queued) != FT_OK)
                break;
            QByteArray piece(int(queued), '\0');
            DWORD got = 0;
            port->read(reinterpret_cast<std::uint8_t*>(piece.data()), queued, &got);
            answer.append(piece.left(int(got)));
        }
        port->close();
        return answer;
    }

    QProcess child;
};

TEST_F(VirtualPedalProgram, PrintsItsPtyAnswersThereAndEndsOnTerm) {
    const QString path = start({"--firmware-version", "9"});
    if (path.isEmpty() && child.state() != QProcess::Running)
        GTEST_SKIP() << "no pseudo-terminal: " << child.readAllStandardError().toStdString();
    ASSERT_TRUE(path.startsWith("/dev/")) << path.toStdString();
    EXPECT_TRUE(QFileInfo::exists(path));

    // Identity: "BRIVO", effect number, effect version, firmware version, one per line.
    EXPECT_EQ(exchange(path, QByteArray("\x05\x00", 2), 16),
              QByteArray("BRIVO\r\n0\r\n0\r\n9\r\n"));

    ::kill(static_cast<pid_t>(child.processId()), SIGTERM);
    ASSERT_TRUE(child.waitForFinished(3000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
}

TEST_F(VirtualPedalProgram, UnplugAfterClosesThePtyAndBadOptionsAreRefused) {
    const QString path = start({"--unplug-after-ms", "200"});
    if (path.isEmpty() && child.state() != QProcess::Running)
        GTEST_SKIP() << "no pseudo-terminal";
    SerialDriver driver({path});
    std::unique_ptr<Port> port;
    ASSERT_EQ(driver.open(path.toStdString(), port), FT_OK);
    DWORD queued = 0;
    EXPECT_EQ(port->getQueueStatus(&queued), FT_OK);
    brivo::test::waitForNotice(*port, 1000);
    QElapsedTimer timer;
    timer.start();
    FT_STATUS status = FT_OK;
    while (status == FT_OK && timer.elapsed() < 3000) {
        brivo::test::waitForNotice(*port, 50);
        status = port->getQueueStatus(&queued);
    }
    EXPECT_EQ(status, FT_IO_ERROR);
    port->close();
    child.kill();
    child.waitForFinished(2000);

    QProcess refused;
    refused.start(QStringLiteral(BRIVO_VIRTUAL_PEDAL_PROGRAM), {"--split-replies", "x"});
    ASSERT_TRUE(refused.waitForFinished(5000));
    EXPECT_EQ(refused.exitCode(), 2);
    EXPECT_TRUE(refused.readAllStandardError().startsWith(
        "brivo-virtual-pedal: --split-replies: needs BYTES:GAP_MS"));
}

TEST_F(VirtualPedalProgram, AScheduledUnplugEndsTheProgramAndItsLink) {
    QTemporaryDir folder;
    const QString link = folder.filePath("pedal");
    const QString path = start({"--unplug-after-ms", "300", "--link", link});
    if (path.isEmpty() && child.state() != QProcess::Running)
        GTEST_SKIP() << "no pseudo-terminal";
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    ASSERT_TRUE(child.waitForFinished(3000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

TEST_F(VirtualPedalProgram, ShortHelpAndAUsersFileAtTheLinkPath) {
    QProcess help;
    help.start(QStringLiteral(BRIVO_VIRTUAL_PEDAL_PROGRAM), {"-h"});
    ASSERT_TRUE(help.waitForFinished(5000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().startsWith("Usage: brivo-virtual-pedal"));

    QTemporaryDir folder;
    const QString file = folder.filePath("notes.txt");
    QFile notes(file);
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.write("keep me");
    notes.close();
    QProcess refused;
    refused.start(QStringLiteral(BRIVO_VIRTUAL_PEDAL_PROGRAM), {"--link", file});
    ASSERT_TRUE(refused.waitForFinished(5000));
    EXPECT_EQ(refused.exitCode(), 1);
    EXPECT_TRUE(refused.readAllStandardError().contains("is not a link to a pty that is gone"));
    ASSERT_TRUE(notes.open(QIODevice::ReadOnly));
    EXPECT_EQ(notes.readAll(), QByteArray("keep me"));
}

} // namespace
} // namespace brivo
