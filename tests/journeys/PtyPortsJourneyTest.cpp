// Journeys over a real pseudo-terminal about reaching the port itself: ports
// named by long links, and a port another program holds.
#include "app/Editor.h"
#include "link/OpenFailure.h"
#include "support/PtyPedalHarness.h"
#include "support/WaitForSession.h"

#include "app/TformMain.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace brivo::test {
namespace {

class PtyPortsJourney : public ::testing::Test {
  protected:
    // Starts the editor with the serial driver given `ports(path of the pty)`.
    template <typename Ports> void startWith(Ports ports) {
        std::string error;
        if (!h.open(error))
            GTEST_SKIP() << "no pseudo-terminal: " << error;
        path = QString::fromStdString(h.server.path());
        ASSERT_TRUE(h.start(error, ports(path)));
    }

    TformMain& main() { return h.program().formMain(); }

    PtyPedalHarness h;
    QString path;
    QTemporaryDir links;
};

// /dev/serial/by-id/... names are 64 characters; the device layer hands the
// open call at most 49 of a serial number.
TEST_F(PtyPortsJourney, APortNamedByALongLinkIsListedOnceAndConnects) {
    QString longLink;
    startWith([&](const QString& pty) {
        longLink =
            links.filePath(QStringLiteral("usb-Tandrel_Brivo_pedal_on_a_long_link-if00-port0"));
        EXPECT_TRUE(QFile::link(pty, longLink));
        return QStringList{longLink, pty};
    });
    if (IsSkipped())
        return;
    ASSERT_GT(longLink.size(), 64);

    main().menuScan->trigger();
    waitForSession(h.editor().session);
    EXPECT_EQ(h.dialogs.messages, QStringList{"Brivo found, click Connect"});
    EXPECT_EQ(main().lblSerialNumber->text(), "Serial Number: " + path);

    h.dialogs.messages.clear();
    main().menuConnect->trigger();
    waitForSession(h.editor().session);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(main().lblDeviceName->text(), "Brivo connected");
    EXPECT_TRUE(main().btnUpload->isEnabled());
}

TEST_F(PtyPortsJourney, APortAnotherProgramHoldsIsReportedBusyAndLeftToItsHolder) {
    startWith([](const QString& pty) { return QStringList{pty}; });
    if (IsSkipped())
        return;
    QSerialPort holder(path);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite));

    main().menuScan->trigger();
    waitForSession(h.editor().session);
    h.dialogs.messages.clear();
    main().menuConnect->trigger();
    waitForSession(h.editor().session);

    // One message: the driver's words, then the cause and what to do.
    const QString why = openFailureMessage({OpenCause::Busy, path.toStdString()});
    ASSERT_EQ(h.dialogs.messages.size(), 1) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(h.dialogs.messages.at(0),
              "Open_USB_Device_By_Serial_Number - Device not opened...\r\n" + why);
    EXPECT_TRUE(why.contains("another program holds it"));
    EXPECT_TRUE(h.consoleLines().contains(why));
    // Still disconnected, with Connect at hand once the port is free.
    EXPECT_EQ(main().lblDeviceName->text(), "Brivo");
    EXPECT_TRUE(main().menuConnect->isEnabled());
    EXPECT_FALSE(main().menuDisconnect->isEnabled());
    EXPECT_FALSE(main().btnUpload->isEnabled());
    EXPECT_TRUE(holder.isOpen());

    holder.close();
    h.dialogs.messages.clear();
    main().menuConnect->trigger();
    waitForSession(h.editor().session);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << h.dialogs.messages.join('|').toStdString();
    EXPECT_EQ(main().lblDeviceName->text(), "Brivo connected");
}

} // namespace
} // namespace brivo::test
