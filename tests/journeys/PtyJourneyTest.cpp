// Journeys through the serial-port driver: the editor reaches the virtual
// pedal over a real pseudo-terminal, on the real clock, as it reaches a pedal
// on /dev/ttyUSBn.
#include "EffectCommandsFixture.h"
#include "app/Editor.h"
#include "catalogue/Resources.h"
#include "firmware/FirmwareImage.h"
#include "firmware/TformFirmwareUpgrade.h"
#include "link/EepromIdentity.h"
#include "support/PtyPedalHarness.h"
#include "support/WaitForSession.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <QThread>
#include <QTimer>

namespace brivo::test {
namespace {

class PtyJourney : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        if (!h.start(error))
            GTEST_SKIP() << "no pseudo-terminal: " << error;
    }

    TformMain& main() { return h.program().formMain(); }
    TformFXParameters& fx() { return h.program().formFXParameters(); }
    QString messages() const { return h.dialogs.messages.join('|'); }

    PtyPedalHarness h;
};

TEST_F(PtyJourney, ScanAndConnectFindThePedalOnItsPortAndSayOnceThatNoEepromIsReadable) {
    main().menuScan->trigger();
    waitForSession(h.editor().session);
    const QString path = QString::fromStdString(h.server.path());
    EXPECT_EQ(h.dialogs.messages, QStringList{"Brivo found, click Connect"});
    EXPECT_EQ(main().lblSerialNumber->text(), "Serial Number: " + path);
    EXPECT_EQ(h.editor().session.link().deviceSerialNumber, path);

    h.dialogs.messages.clear();
    main().menuConnect->trigger();
    waitForSession(h.editor().session);

    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << messages().toStdString();
    EXPECT_EQ(main().lblDeviceName->text(), "Brivo connected");
    const QStringList lines = h.consoleLines();
    EXPECT_TRUE(lines.contains("serial number: " + path));
    EXPECT_TRUE(lines.contains("baud rate = 115200"));
    EXPECT_EQ(lines.count(QString::fromLatin1(kEepromNotReadableLine)), 1);
    // No dump of stale words in place of the EEPROM.
    EXPECT_EQ(lines.indexOf(QRegularExpression(QStringLiteral("^0: "))), -1);
    EXPECT_EQ(lines.last(), QString::fromLatin1(kEepromNotReadableLine));
    EXPECT_TRUE(main().btnUpload->isEnabled());
    EXPECT_TRUE(main().menuDisconnect->isEnabled());
}

TEST_F(PtyJourney, UploadOpenFXAndRequestRunOverThePty) {
    h.connect();
    clickListItem(main().lstCategory, "Gain");
    clickListItem(main().lstEffects, "Clean Boost");

    main().btnUpload->click();
    waitForSession(h.editor().session);
    ASSERT_TRUE(h.dialogs.messages.isEmpty()) << messages().toStdString();
    EXPECT_EQ(main().lblStatus->text(), QStringLiteral("Upload Completed"));
    EXPECT_EQ(h.withPedal([](VirtualPedal& p) { return p.lastUpload(); }),
              programOf("CLEAN_BOOST"));

    h.withPedal([](VirtualPedal& p) { p.setParameterValue(0, 640); });
    main().btnOpenEffect->click();
    waitForSession(h.editor().session);
    ASSERT_TRUE(h.dialogs.messages.isEmpty()) << messages().toStdString();
    EXPECT_EQ(main().lblFirmwareVersion->text(), "Firmware Version: 5");
    EXPECT_EQ(fx().windowTitle().section(QStringLiteral(" v"), 0, 0), "Clean Boost");
    EXPECT_FALSE(fx().trkPot(0)->isEnabled());

    main().btnRequest->click();
    waitForSession(h.editor().session);
    ASSERT_TRUE(h.dialogs.messages.isEmpty()) << messages().toStdString();
    EXPECT_TRUE(fx().trkPot(0)->isEnabled());
    EXPECT_EQ(fx().trkPot(0)->value(), 640);
    EXPECT_TRUE(main().btnAssign->isEnabled());
    EXPECT_TRUE(main().btnStoreSettingsOnPedal->isEnabled());

    // A pot moved on screen reaches the pedal over the pty.
    fx().trkPot(0)->setValue(300);
    QElapsedTimer waited;
    waited.start();
    while (h.withPedal([](VirtualPedal& p) { return p.parameterValue(0); }) != 300 &&
           waited.elapsed() < 2000)
        QThread::msleep(5);
    EXPECT_EQ(h.withPedal([](VirtualPedal& p) { return p.parameterValue(0); }), 300);
}

TEST_F(PtyJourney, APedalPulledOutDuringAWaitEndsTheCommandWithAMessage) {
    h.connect();
    h.withPedal([](VirtualPedal& p) { p.setSilent(true); });
    QTimer::singleShot(300, [this] { h.server.unplug(); });
    QElapsedTimer timer;
    timer.start();

    main().btnOpenEffect->click();
    waitForSession(h.editor().session);

    // Ended by the hang-up, long before the reply time-out.
    EXPECT_LT(timer.elapsed(), kReplyTimeoutMs);
    ASSERT_FALSE(h.dialogs.messages.isEmpty());
    EXPECT_EQ(h.dialogs.messages.first(), "FT_GetQueueStatus - General IO error...")
        << messages().toStdString();
    EXPECT_FALSE(h.editor().session.busy());
    EXPECT_FALSE(main().btnRequest->isEnabled());

    // The handle is given up, and a new scan no longer finds the port.
    h.dialogs.messages.clear();
    main().menuDisconnect->trigger();
    waitForSession(h.editor().session);
    EXPECT_TRUE(h.dialogs.messages.isEmpty()) << messages().toStdString();
    EXPECT_TRUE(main().menuConnect->isEnabled());
    EXPECT_FALSE(main().btnUpload->isEnabled());
    main().menuScan->trigger();
    waitForSession(h.editor().session);
    EXPECT_EQ(h.dialogs.messages, QStringList{"No device found"});
}

// A pty has no line to carry the bootloader's even parity: the editor says so
// on one console line and goes on; the pty pedal takes its client to speak
// 8E1 to the bootloader. The pty pedal is a device outside the editor, like a
// real pedal: the carried stand-in images are not offered, a file with the
// stand-in mark is refused, and the image comes from a file without it.
TEST_F(PtyJourney, AFirmwareFileIsWrittenVerifiedAndStartedOverThePty) {
    h.withPedal([](VirtualPedal& p) {
        p.setClientFollowsProcessor(true);
        // What the serial driver's low-latency flag gives a real ttyUSB.
        p.setBridgeLatencyTimerMs(1);
        p.enterBootloader();
    });
    main().menuFirmwareUpgradeMode->trigger();
    waitForSession(h.editor().session);
    main().menuScan->trigger();
    waitForSession(h.editor().session);
    h.dialogs.messages.clear();
    main().menuConnect->trigger();
    waitForSession(h.editor().session);
    ASSERT_EQ(h.dialogs.messages, QStringList{"Connection to bootloader succeeded"});
    EXPECT_EQ(h.consoleLines().filter(QStringLiteral("link framing:")).size(), 1);
    EXPECT_TRUE(h.consoleLines().contains(
        "link framing: the port carries no parity (a pseudo-terminal); the bootloader's 8E1 is "
        "left to its far end"));

    const QByteArray standIn = *resources::find(QStringLiteral("FIRMWARE_5"));
    const QByteArray mark(kStandInMark);
    ASSERT_TRUE(standIn.contains(mark));
    QByteArray firmware = standIn;
    firmware.replace(mark, QByteArray(mark.size(), '\x55'));
    const auto fileOf = [&](const char* name, const QByteArray& bytes) {
        const QString path = QDir(h.documents.path()).filePath(QLatin1String(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    };
    main().menuStartFirmwareUpgrade->trigger();
    waitForSession(h.editor().session);
    TformFirmwareUpgrade& window = h.program().formFirmwareUpgrade();
    auto* items = qobject_cast<QStandardItemModel*>(window.cmbFirmwareChoose->model());
    ASSERT_NE(items, nullptr);
    EXPECT_FALSE(items->item(0)->isEnabled());
    EXPECT_FALSE(items->item(1)->isEnabled());
    EXPECT_TRUE(items->item(2)->isEnabled());
    EXPECT_TRUE(window.lblPhase->text().contains("choose the maker's firmware file"));

    h.dialogs.files = {fileOf("stand-in.bin", standIn)};
    window.cmbFirmwareChoose->setCurrentIndex(2);
    const std::size_t writesBefore =
        h.withPedal([](VirtualPedal& p) { return p.writesReceived().size(); });
    h.dialogs.messages.clear();
    window.btnUpgradeFirmware->click();
    waitForSession(h.editor().session);
    ASSERT_EQ(h.dialogs.messages.size(), 1);
    EXPECT_TRUE(h.dialogs.messages.first().startsWith("This image is a stand-in made for the "
                                                      "virtual pedal"));
    EXPECT_EQ(h.withPedal([](VirtualPedal& p) { return p.writesReceived().size(); }), writesBefore)
        << "nothing sent";

    h.dialogs.files = {fileOf("brivo-5.bin", firmware)};
    window.cmbFirmwareChoose->setCurrentIndex(-1);
    window.cmbFirmwareChoose->setCurrentIndex(2);
    h.dialogs.messages.clear();
    window.btnUpgradeFirmware->click();
    waitForSession(h.editor().session);
    ASSERT_EQ(h.dialogs.messages,
              QStringList{QStringLiteral("Firmware Upgrade Complete, device will now restart")})
        << h.dialogs.messages.join('|').toStdString();
    const auto flash = h.withPedal([](VirtualPedal& p) { return p.flash(); });
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(flash.data()), firmware.size()), firmware);
    EXPECT_FALSE(main().menuFirmwareUpgradeMode->isChecked());
    main().btnOpenEffect->click();
    waitForSession(h.editor().session);
    EXPECT_EQ(main().lblFirmwareVersion->text(), "Firmware Version: 5");
}

} // namespace
} // namespace brivo::test
