// Starting the editor, scanning for bridges, connecting and disconnecting.
#include "app/TformMain.h"
#include "app/TformPrint.h"
#include "catalogue/TformFXInfo.h"
#include "firmware/TformFirmwareUpgrade.h"
#include "params/TformFXParameters.h"
#include "support/EditorHarness.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace brivo::test {
namespace {

struct Enabled {
    bool scan, connect, disconnect, upload, openEffect, request;
};

Enabled enabledStates(TformMain& main) {
    return {main.menuScan->isEnabled(),       main.menuConnect->isEnabled(),
            main.menuDisconnect->isEnabled(), main.btnUpload->isEnabled(),
            main.btnOpenEffect->isEnabled(),  main.btnRequest->isEnabled()};
}

void expectDisconnected(TformMain& main) {
    const Enabled e = enabledStates(main);
    EXPECT_TRUE(e.scan);
    EXPECT_TRUE(e.connect);
    EXPECT_FALSE(e.disconnect);
    EXPECT_FALSE(e.upload);
    EXPECT_FALSE(e.openEffect);
    EXPECT_FALSE(e.request);
    EXPECT_FALSE(main.btnAssign->isEnabled());
    EXPECT_FALSE(main.btnStoreSettingsOnPedal->isEnabled());
}

void expectConnected(TformMain& main) {
    const Enabled e = enabledStates(main);
    EXPECT_FALSE(e.scan);
    EXPECT_FALSE(e.connect);
    EXPECT_TRUE(e.disconnect);
    EXPECT_TRUE(e.upload);
    EXPECT_TRUE(e.openEffect);
    EXPECT_FALSE(main.chkFirmwareUpgradeMode->isEnabled());
}

TEST(StartUp, WithNoDeviceShowsNothingAndKeepsTheDesignTexts) {
    EditorHarness editor;
    editor.start();
    TformMain& main = editor.main();
    EXPECT_TRUE(editor.dialogs.messages.isEmpty());
    EXPECT_EQ(main.lblDeviceName->text(), "Device Name: ");
    EXPECT_EQ(main.lblSerialNumber->text(), "Serial Number: ");
    EXPECT_EQ(main.lblFirmwareVersion->text(), "Firmware Version: ");
    EXPECT_EQ(main.lblStatus->text(), "Status: ");
    EXPECT_EQ(main.windowTitle(), "Tandrel Editor");
    expectDisconnected(main);
    EXPECT_FALSE(main.menuLoadIR->isEnabled());
    EXPECT_FALSE(main.menuStartFirmwareUpgrade->isEnabled());
    // Offered, but nothing to save or load before a pedal runs an effect.
    EXPECT_TRUE(main.menuLoadConfiguration->isVisible());
    EXPECT_FALSE(main.menuLoadConfiguration->isEnabled());
    EXPECT_TRUE(main.menuSaveConfiguration->isVisible());
    EXPECT_FALSE(main.menuSaveConfiguration->isEnabled());
    EXPECT_FALSE(main.menuQuickStart->isVisible());
    EXPECT_FALSE(main.menuNewAppVersion->isVisible());
    EXPECT_FALSE(main.btnUploadFile->isVisible());
    EXPECT_FALSE(main.btnTest->isVisible());
    EXPECT_FALSE(main.chkFirmwareUpgradeMode->isVisible());
    EXPECT_EQ(main.lstCategory->count(), 7);
    EXPECT_EQ(main.lstEffects->count(), 0);
    // "Version: " plus one more space before the number.
    EXPECT_TRUE(main.menuAppVersion->text().startsWith("Version:  "));
    EXPECT_FALSE(main.menuAppVersion->isEnabled());
}

TEST(StartUp, CreatesTheFiveWindowsAndShowsOnlyTheMainOne) {
    EditorHarness editor;
    editor.start();
    EXPECT_TRUE(editor.main().isVisible());
    EXPECT_FALSE(editor.program().formFirmwareUpgrade().isVisible());
    EXPECT_EQ(editor.program().formFirmwareUpgrade().windowTitle(), "Firmware Upgrade");
    EXPECT_FALSE(editor.console().isVisible());
    EXPECT_EQ(editor.console().windowTitle(), "Print Console");
    EXPECT_FALSE(editor.fxParameters().isVisible());
    EXPECT_FALSE(editor.fxInfo().isVisible());
    // The start-up writes nothing to the console.
    EXPECT_TRUE(editor.consoleLines().isEmpty());
}

TEST(StartUp, CreatesTheMakerFoldersOnceAndQuietly) {
    EditorHarness editor;
    editor.start();
    const QDir documents(editor.documents.path());
    EXPECT_TRUE(documents.exists("Tandrel/Brivo"));
    EXPECT_TRUE(editor.dialogs.messages.isEmpty());

    // A second start finds them and says nothing.
    EditorHarness again;
    QDir(again.documents.path()).mkpath("Tandrel/Brivo");
    again.start();
    EXPECT_TRUE(again.dialogs.messages.isEmpty());
}

TEST(StartUp, ReportsAFolderThatCannotBeCreatedAndGoesOn) {
    EditorHarness editor;
    // A file where the maker's folder should be.
    QFile blocker(QDir(editor.documents.path()).filePath("Tandrel"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    editor.start();
    ASSERT_EQ(editor.dialogs.messages.size(), 2);
    EXPECT_TRUE(editor.dialogs.messages.at(0).startsWith("Error creating folder: "));
    EXPECT_TRUE(editor.dialogs.messages.at(1).startsWith("Error creating subfolder: "));
    EXPECT_TRUE(editor.main().isVisible());
}

TEST(StartUp, ListsTheBridgeQuietly) {
    EditorHarness editor;
    editor.plugPedal("DVIRT001");
    editor.start();
    EXPECT_TRUE(editor.dialogs.messages.isEmpty());
    EXPECT_EQ(editor.main().lblDeviceName->text(), "Brivo");
    EXPECT_EQ(editor.main().lblSerialNumber->text(), "Serial Number: DVIRT001");
    EXPECT_EQ(editor.editor().session.link().deviceSerialNumber, "DVIRT001");
}

TEST(Scan, WithNoDeviceSaysSo) {
    EditorHarness editor;
    editor.start();
    editor.trigger(editor.main().menuScan);
    EXPECT_EQ(editor.consoleLines(), QStringList{"FT device count: 0"});
    EXPECT_EQ(editor.dialogs.messages, QStringList{"No device found"});
    EXPECT_EQ(editor.main().lblDeviceName->text(), "No device found");
}

TEST(Scan, FindsThePedalUnderItsProductName) {
    EditorHarness editor;
    editor.plugPedal("DVIRT001");
    editor.start();
    editor.trigger(editor.main().menuScan);
    EXPECT_EQ(editor.dialogs.messages, QStringList{"Brivo found, click Connect"});
    EXPECT_EQ(editor.main().lblDeviceName->text(), "Brivo");
    EXPECT_EQ(editor.main().lblSerialNumber->text(), "Serial Number: DVIRT001");
    EXPECT_EQ(editor.consoleLines(),
              (QStringList{"FT device count: 1", "FT_Device_String: DVIRT001"}));
}

TEST(Scan, ShowsAnyOtherBridgeUnderItsDescription) {
    EditorHarness editor;
    editor.plugPedal("DOTHER01", "USB Serial Cable");
    editor.start();
    editor.trigger(editor.main().menuScan);
    EXPECT_EQ(editor.dialogs.messages, QStringList{"USB Serial Cable found, click Connect"});
    EXPECT_EQ(editor.main().lblDeviceName->text(), "USB Serial Cable");
}

TEST(Scan, WithTwoDevicesTakesTheSecond) {
    EditorHarness editor;
    editor.plugPedal("DVIRT001");
    editor.plugPedal("DOTHER02", "USB Serial Cable");
    editor.start();
    editor.trigger(editor.main().menuScan);
    EXPECT_EQ(editor.dialogs.messages,
              (QStringList{"Brivo found, click Connect", "USB Serial Cable found, click Connect"}));
    EXPECT_EQ(editor.main().lblSerialNumber->text(), "Serial Number: DVIRT001DOTHER02");
    EXPECT_EQ(editor.main().lblDeviceName->text(), "USB Serial Cable");

    editor.trigger(editor.main().menuConnect);
    EXPECT_TRUE(editor.driver->pedal("DOTHER02")->isOpen());
    EXPECT_FALSE(editor.driver->pedal("DVIRT001")->isOpen());
}

TEST(Connect, OpensConfiguresAndReadsTheBridgeIdentity) {
    EditorHarness editor;
    auto pedal = editor.plugPedal("DVIRT001");
    editor.start();
    editor.trigger(editor.main().menuScan);
    editor.console().btnClear->click();
    editor.dialogs.messages.clear();
    editor.trigger(editor.main().menuConnect);

    EXPECT_EQ(editor.main().lblDeviceName->text(), "Brivo connected");
    expectConnected(editor.main());
    EXPECT_EQ(pedal->lineSettings().baudRate, 115200u);
    EXPECT_EQ(pedal->lineSettings().wordLength, 8);
    EXPECT_EQ(pedal->lineSettings().stopBits, 0);
    EXPECT_EQ(pedal->lineSettings().parity, 0);

    const QStringList lines = editor.consoleLines();
    ASSERT_GE(lines.size(), 3 + 128 + 4);
    EXPECT_EQ(lines.at(0), "serial number: DVIRT001");
    EXPECT_TRUE(lines.at(1).startsWith("FT_HANDLE: 0x"));
    EXPECT_EQ(lines.at(1).size(), QString("FT_HANDLE: 0x").size() + 8);
    EXPECT_EQ(lines.at(2), "baud rate = 115200");
    for (int a = 0; a < 128; ++a)
        EXPECT_TRUE(lines.at(3 + a).startsWith(QString::number(a) + ": ")) << a;
    // The dump keeps two characters a word, its zero bytes shown as a visible symbol.
    EXPECT_EQ(lines.at(3 + 81), QStringLiteral("81: \u2400T"));
    const QStringList identity = lines.mid(3 + 128);
    ASSERT_EQ(identity.size(), 4);
    EXPECT_EQ(identity.at(0), "Manufacturer Name: TNDRL");
    EXPECT_EQ(identity.at(1), "Start address in EEPROM of description: 87");
    EXPECT_EQ(identity.at(2), "Device Name: FT230X Basic UART");
    EXPECT_EQ(identity.at(3), "Device Serial Number: DVIRT001");
    // Nothing the console holds stops a screen reader or the clipboard.
    for (const QString& line : lines)
        for (const QChar c : line)
            EXPECT_FALSE(c.category() == QChar::Other_Control) << line.toStdString();
    EXPECT_TRUE(editor.dialogs.messages.isEmpty());
}

TEST(Connect, DisconnectAndConnectAgainAsTheLabelsShowIt) {
    EditorHarness editor;
    auto pedal = editor.plugPedal();
    editor.start();
    editor.trigger(editor.main().menuScan);
    editor.trigger(editor.main().menuConnect);
    EXPECT_EQ(editor.main().lblDeviceName->text(), "Brivo connected");
    editor.dialogs.messages.clear();

    editor.trigger(editor.main().menuDisconnect);
    EXPECT_EQ(editor.main().lblDeviceName->text(), "Brivo ");
    expectDisconnected(editor.main());
    EXPECT_FALSE(pedal->isOpen());

    editor.console().btnClear->click();
    editor.trigger(editor.main().menuConnect);
    EXPECT_EQ(editor.main().lblDeviceName->text(), "Brivo  connected");
    expectConnected(editor.main());
    // The identity is logged once per connection, not repeated.
    EXPECT_EQ(editor.consoleLines().filter("Manufacturer Name: ").size(), 1);
    EXPECT_TRUE(editor.dialogs.messages.isEmpty());
}

// A failed open leaves nothing to talk to: the window stays disconnected, so
// the user is never stuck with commands that can only fail.
TEST(Connect, AFailedOpenReportsItAndLeavesTheWindowDisconnected) {
    EditorHarness editor;
    editor.start();
    // Plugged in after start, then Connect without Scan: no serial number known.
    editor.plugPedal("DVIRT001");
    editor.trigger(editor.main().menuConnect);
    EXPECT_EQ(editor.dialogs.messages,
              QStringList{"Open_USB_Device_By_Serial_Number - Device not found..."});
    EXPECT_EQ(editor.main().lblDeviceName->text(), "Device Name: ");
    expectDisconnected(editor.main());
    EXPECT_FALSE(editor.main().menuUploadFile->isEnabled());
    EXPECT_EQ(editor.consoleLines(),
              (QStringList{"serial number: ", "not connected: the device could not be opened"}));

    // Scan and Connect still work.
    editor.dialogs.messages.clear();
    editor.trigger(editor.main().menuScan);
    editor.trigger(editor.main().menuConnect);
    EXPECT_EQ(editor.dialogs.messages, QStringList{"Brivo found, click Connect"});
    EXPECT_EQ(editor.main().lblDeviceName->text(), "Brivo connected");
    expectConnected(editor.main());
    EXPECT_TRUE(editor.driver->pedal("DVIRT001")->isOpen());
}

TEST(Connect, AnEepromWithoutTheMarkGivesOnlyTheDump) {
    EditorHarness editor;
    // A 16-character description: its string header is not the "$" word.
    editor.plugPedal("DVIRT001", "FT230X Basic UAR");
    editor.start();
    editor.trigger(editor.main().menuScan);
    editor.console().btnClear->click();
    editor.trigger(editor.main().menuConnect);
    EXPECT_EQ(editor.consoleLines().size(), 3 + 128);
}

// The driver forgets a handle whatever its close answers: after a failed
// close the window goes back to the disconnected state, Scan and Connect work.
TEST(Disconnect, AFailingCloseIsReportedAndStillLeavesTheWindowDisconnected) {
    EditorHarness editor;
    editor.plugPedal("DVIRT001");
    editor.start();
    editor.connect();
    // The handle is gone behind the window's back.
    editor.editor().session.device().CloseFTDevice();
    editor.trigger(editor.main().menuDisconnect);
    EXPECT_EQ(editor.dialogs.messages, QStringList{"FT_Close - Invalid handle..."});
    expectDisconnected(editor.main());
    EXPECT_EQ(editor.main().lblDeviceName->text(), "Brivo ");

    editor.dialogs.messages.clear();
    editor.trigger(editor.main().menuConnect);
    EXPECT_TRUE(editor.dialogs.messages.isEmpty())
        << editor.dialogs.messages.join('|').toStdString();
    expectConnected(editor.main());
}

TEST(Help, SupportOpensTheContactPage) {
    EditorHarness editor;
    editor.start();
    editor.trigger(editor.main().menuSupport);
    ASSERT_EQ(editor.openedUrls.size(), 1);
    EXPECT_EQ(editor.openedUrls.first().scheme(), "https");
    EXPECT_EQ(editor.openedUrls.first().path(), "/contact-us/");
}

TEST(Help, DiagnosticConsoleShowsTheTrace) {
    EditorHarness editor;
    editor.plugPedal();
    editor.start();
    editor.trigger(editor.main().menuScan);
    editor.trigger(editor.main().menuDiagnosticConsole);
    EXPECT_TRUE(editor.console().isVisible());
    EXPECT_EQ(editor.consoleLines().first(), "FT device count: 1");
}

// A bridge the user may not open (Linux without the udev rule) is not "No
// device found": the listing says what is wrong, in the box and the console.
TEST(Scan, ABridgeThatCannotBeOpenedSaysWhy) {
    EditorHarness editor;
    editor.plugPedal("DVIRT001")->setAccessDenied(true);
    editor.start();
    editor.trigger(editor.main().menuScan);
    const QString why = QStringLiteral("A pedal was found but cannot be opened: permission denied. "
                                       "See the README on access to USB devices.");
    EXPECT_EQ(editor.dialogs.messages, QStringList{why});
    EXPECT_EQ(editor.consoleLines(), (QStringList{"FT device count: 0", why}));
    EXPECT_EQ(editor.main().lblDeviceName->text(), "Brivo (no access)");
    expectDisconnected(editor.main());

    // Beside a readable pedal, both are told.
    editor.plugPedal("DVIRT002");
    editor.dialogs.messages.clear();
    editor.trigger(editor.main().menuScan);
    EXPECT_EQ(editor.dialogs.messages, (QStringList{why, "Brivo found, click Connect"}));
    EXPECT_EQ(editor.editor().session.link().deviceSerialNumber, "DVIRT002");
}

} // namespace
} // namespace brivo::test

namespace brivo::test {
namespace {

// A cable pulled while nothing waits: the editor hears of it at once and
// says so once, instead of showing "connected" for a port that is gone.
TEST(Disconnect, AnUnplugWhileIdleEndsTheConnectionWithOneMessage) {
    EditorHarness editor;
    const std::shared_ptr<VirtualPedal> pedal = editor.plugPedal("DVIRT001");
    editor.start();
    editor.connect();
    ASSERT_EQ(editor.main().lblDeviceName->text(), "Brivo connected");

    pedal->unplug();
    editor.settle();

    EXPECT_EQ(editor.dialogs.messages,
              QStringList{"The connection to the pedal was lost. Plug it in again, then choose "
                          "Connection > Scan and Connect."});
    EXPECT_FALSE(editor.main().lblDeviceName->text().contains("connected"));
    EXPECT_TRUE(editor.main().menuConnect->isEnabled());
    EXPECT_FALSE(editor.main().menuDisconnect->isEnabled());
    EXPECT_FALSE(editor.main().btnUpload->isEnabled());
    EXPECT_FALSE(editor.main().btnOpenEffect->isEnabled());
    EXPECT_EQ(editor.consoleLines().filter("connection lost").size(), 1);
}

} // namespace
} // namespace brivo::test
