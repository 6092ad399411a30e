// Upgrade Mode, the bootloader check of Connect, and whole upgrades on the
// virtual pedal's bootloader.
#include "FirmwareFixture.h"

#include "app/TformPrint.h"
#include "base/EditorError.h"
#include "link/ReplyRules.h"
#include "params/TformFXParameters.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QTimer>

namespace brivo::test {
namespace {

int syncBytesSent(VirtualPedal& pedal) {
    int count = 0;
    for (const WriteRecord& write : pedal.writesReceived())
        if (write.bytes == std::vector<std::uint8_t>{0x7F})
            ++count;
    return count;
}

TEST_F(FirmwareJourney, UpgradeModeIsACheckMarkThatConnectObeys) {
    EXPECT_FALSE(main().menuFirmwareUpgradeMode->isChecked());
    EXPECT_FALSE(main().menuStartFirmwareUpgrade->isEnabled());
    // Off: Connect never looks for the bootloader.
    editor.trigger(main().menuScan);
    editor.trigger(main().menuConnect);
    EXPECT_EQ(syncBytesSent(*pedal), 0);
    EXPECT_FALSE(main().menuStartFirmwareUpgrade->isEnabled());
    EXPECT_FALSE(editor.dialogs.messages.contains("Connection to bootloader failed"));
    editor.trigger(main().menuDisconnect);

    editor.trigger(main().menuFirmwareUpgradeMode);
    EXPECT_TRUE(main().menuFirmwareUpgradeMode->isChecked());
    EXPECT_TRUE(editor.editor().session.upgradeMode());
    editor.console().btnClear->click();
    editor.trigger(main().menuConnect);
    EXPECT_EQ(syncBytesSent(*pedal), 1);
    const QStringList lines = editor.consoleLines();
    const qsizetype received = lines.indexOf("received Byte: 79");
    ASSERT_GE(received, 1);
    EXPECT_EQ(lines.at(received - 1), "num of bytes received: 1");
    EXPECT_GT(lines.indexOf(QRegularExpression(QStringLiteral("^0: .."))), received)
        << "the EEPROM dump follows the check";
    EXPECT_EQ(editor.dialogs.messages.last(), "Connection to bootloader succeeded");
    EXPECT_TRUE(main().menuStartFirmwareUpgrade->isEnabled());
    EXPECT_EQ(pedal->lineSettings().parity, FT_PARITY_EVEN) << "the bootloader's framing";

    editor.trigger(main().menuFirmwareUpgradeMode);
    EXPECT_FALSE(main().menuFirmwareUpgradeMode->isChecked());
    EXPECT_FALSE(editor.editor().session.upgradeMode());
    EXPECT_EQ(pedal->lineSettings().parity, FT_PARITY_NONE) << "Upgrade Mode ends: 8N1 again";
    // The hidden check box sets the flag alone; the two do not follow each other.
    main().chkFirmwareUpgradeMode->setChecked(true);
    EXPECT_TRUE(editor.editor().session.upgradeMode());
    EXPECT_FALSE(main().menuFirmwareUpgradeMode->isChecked());
    editor.trigger(main().menuDisconnect);
    EXPECT_TRUE(main().menuStartFirmwareUpgrade->isEnabled()) << "kept after Disconnect";
}

TEST_F(FirmwareJourney, ConnectToAPedalRunningItsFirmwareFindsNoBootloader) {
    pedal->setSilent(false);
    auto running = editor.plugPedal("DVIRT002"); // listed last, so Connect opens it
    editor.trigger(main().menuFirmwareUpgradeMode);
    editor.trigger(main().menuScan);
    editor.dialogs.messages.clear();
    editor.trigger(main().menuConnect);
    EXPECT_EQ(editor.dialogs.messages, QStringList{"Connection to bootloader failed"});
    EXPECT_EQ(syncBytesSent(*running), 2)
        << "the second one finds a bootloader synchronised before";
    EXPECT_FALSE(main().menuStartFirmwareUpgrade->isEnabled());
    EXPECT_TRUE(main().menuDisconnect->isEnabled()) << "the bridge stays connected";
    EXPECT_TRUE(editor.consoleLines().contains("received Byte: "));
    EXPECT_EQ(running->lineSettings().parity, FT_PARITY_NONE) << "the firmware's 8N1 again";
}

TEST_F(FirmwareJourney, ConnectingAgainToASynchronisedBootloaderFindsIt) {
    connectInUpgradeMode();
    editor.trigger(main().menuDisconnect);
    editor.trigger(main().menuConnect);
    EXPECT_EQ(editor.dialogs.messages, QStringList{"Connection to bootloader succeeded"});
    EXPECT_TRUE(editor.consoleLines().contains("bootloader already synchronised"));
    EXPECT_TRUE(editor.consoleLines().contains("received Byte: 1F"));
}

TEST_F(FirmwareJourney, EachCarriedImageIsWrittenVerifiedAndStarted) {
    const struct {
        int item;
        const char* name;
        int size, chunksLogged, chunks;
        const char* lastN;
        const char* version;
    } cases[] = {
        {kFirmware4Item, "Firmware_4", 24296, 94, 95, "N_byte: E7", "Firmware Version: 4"},
        {kFirmware5Item, "Firmware_5", 27164, 106, 107, "N_byte: 1B", "Firmware Version: 5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EditorHarness fresh;
        auto virtualPedal = fresh.plugPedal();
        virtualPedal->enterBootloader();
        fresh.start();
        TformMain& m = fresh.main();
        TformFirmwareUpgrade& w = fresh.program().formFirmwareUpgrade();
        fresh.trigger(m.menuFirmwareUpgradeMode);
        fresh.trigger(m.menuScan);
        fresh.trigger(m.menuConnect);
        fresh.trigger(m.menuStartFirmwareUpgrade);
        EXPECT_TRUE(w.isVisible());
        fresh.dialogs.messages.clear();
        fresh.console().btnClear->click();

        bool goBeforeMessage = true;
        fresh.dialogs.onMessage = [&](const QString&) {
            const auto& taken = virtualPedal->bootloaderCommands();
            goBeforeMessage = std::find(taken.begin(), taken.end(), kGoCode) != taken.end();
        };
        w.cmbFirmwareChoose->setCurrentIndex(c.item);
        fresh.click(w.btnUpgradeFirmware);

        EXPECT_EQ(fresh.dialogs.messages, QStringList{kCompleteText});
        EXPECT_FALSE(goBeforeMessage) << "Go follows the closed message";
        const QByteArray expected = image(c.name);
        ASSERT_EQ(expected.size(), c.size);
        const auto& flash = virtualPedal->flash();
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(flash.data()), c.size), expected);
        EXPECT_TRUE(std::all_of(flash.begin() + c.size, flash.end(),
                                [](std::uint8_t b) { return b == 0xFF; }));
        EXPECT_FALSE(virtualPedal->inBootloader());
        EXPECT_EQ(virtualPedal->latencyTimerNs(), 16'000'000) << "given back after the upgrade";

        const QStringList lines = fresh.consoleLines();
        EXPECT_EQ(lines.first(), c.name);
        EXPECT_TRUE(
            lines.contains(QStringLiteral("num of bytes read in firmware file: %1").arg(c.size)));
        EXPECT_TRUE(lines.contains(QStringLiteral("num of chunks: %1").arg(c.chunksLogged)));
        EXPECT_EQ(lines.count("SEND N BYTE + DATA + CHECKSUM"), c.chunks);
        EXPECT_EQ(lines.count("SEND READ COMMAND"), c.chunks);
        EXPECT_TRUE(lines.contains(c.lastN));
        EXPECT_EQ(lines.count("NOT ACK"), 0);
        EXPECT_EQ(w.ProgressBar1->value(), w.ProgressBar1->maximum());
        EXPECT_EQ(w.lblPhase->text(), "New firmware started");
        EXPECT_FALSE(w.btnUpgradeFirmware->isEnabled()) << "one upgrade per run";
        w.close();
        fresh.trigger(m.menuStartFirmwareUpgrade);
        EXPECT_FALSE(w.btnUpgradeFirmware->isEnabled());

        // The pedal runs the new firmware: Upgrade Mode is over, the link is
        // at 8N1 again, and Open FX reads its version with no further step.
        EXPECT_FALSE(m.menuFirmwareUpgradeMode->isChecked());
        EXPECT_FALSE(fresh.editor().session.upgradeMode());
        EXPECT_EQ(virtualPedal->lineSettings().parity, FT_PARITY_NONE);
        EXPECT_TRUE(m.btnOpenEffect->isEnabled());
        EXPECT_TRUE(m.menuDisconnect->isEnabled());
        fresh.click(m.btnOpenEffect);
        EXPECT_EQ(m.lblFirmwareVersion->text(), c.version);
    }
}

TEST_F(FirmwareJourney, FramesGoOutWholeWithTheBytesOfTheProtocol) {
    connectInUpgradeMode();
    pedal->clearRecord();
    upgradeWith(kFirmware4Item);
    const std::vector<WriteRecord>& writes = pedal->writesReceived();
    using Bytes = std::vector<std::uint8_t>;
    ASSERT_GE(writes.size(), 6u);
    EXPECT_EQ(writes[0].bytes, (Bytes{0x00, 0xFF})) << "Get";
    EXPECT_EQ(writes[1].bytes, (Bytes{0x43, 0xBC}));
    EXPECT_EQ(writes[2].bytes, (Bytes{0xFF, 0x00}));
    EXPECT_EQ(writes[3].bytes, (Bytes{0x31, 0xCE}));
    EXPECT_EQ(writes[4].bytes, (Bytes{0x08, 0x00, 0x00, 0x00, 0x08}));
    EXPECT_EQ(writes[5].bytes.size(), 258u);
    EXPECT_EQ(writes[5].bytes.front(), 0xFF);
    // The last block: 232 bytes to 08005E00, N = E7.
    const auto lastAddress = std::find_if(writes.begin(), writes.end(), [](const WriteRecord& w) {
        return w.bytes == Bytes{0x08, 0x00, 0x5E, 0x00, 0x56};
    });
    ASSERT_NE(lastAddress, writes.end());
    const Bytes& lastData = (lastAddress + 1)->bytes;
    EXPECT_EQ(lastData.size(), 234u);
    EXPECT_EQ(lastData.front(), 0xE7);
    const std::size_t n = writes.size();

    // The console's trace of the erase and of the first block.
    const QStringList erase = editor.linesStartingWith("Start Erase Command").mid(0, 11);
    EXPECT_EQ(erase, (QStringList{"Start Erase Command", "erase bytes: 43", "erase bytes: BC",
                                  "num of bytes received: 1", "received: 79", "ACK",
                                  "num of bytes received: 1", "received: 79", "ACK",
                                  "Start Write Command", ""}));
    const QStringList block = editor.linesStartingWith("SEND WRITE COMMAND").mid(0, 17);
    EXPECT_EQ(block,
              (QStringList{"SEND WRITE COMMAND", "num of bytes received: 1", "received: 79", "ACK",
                           "SEND ADDRESS + CHECKSUM", "Address: 08000000", "address checksum: 08",
                           "num of bytes received: 1", "received: 79", "ACK",
                           "SEND N BYTE + DATA + CHECKSUM", "N_byte: FF", "chunk size: 256",
                           "data checksum: " + block.value(13).mid(15), "num of bytes received: 1",
                           "received: 79", "ACK"}));
    const QStringList go = editor.linesStartingWith("SEND GO COMMAND");
    EXPECT_EQ(go.mid(4, 3), (QStringList{"SEND ADDRESS + CHECKSUM", "Address: 08000000",
                                         "address checksum: 08"}));
    EXPECT_EQ(writes[n - 2].bytes, (Bytes{0x21, 0xDE}));
    EXPECT_EQ(writes[n - 1].bytes, (Bytes{0x08, 0x00, 0x00, 0x00, 0x08}));
}

// The bootloader speaks 8E1; the link follows it from the check of Connect to
// the Go. A pedal whose bridge cannot frame with parity: no upgrade, and why.
TEST_F(FirmwareJourney, ABridgeThatRefusesEvenParityStartsNoUpgradeAndSaysWhy) {
    pedal->setParityRefused(true);
    editor.trigger(main().menuFirmwareUpgradeMode);
    editor.trigger(main().menuScan);
    editor.dialogs.messages.clear();
    editor.trigger(main().menuConnect);
    ASSERT_EQ(editor.dialogs.messages.size(), 1);
    EXPECT_TRUE(editor.dialogs.messages.first().startsWith("This port refuses even parity"));
    EXPECT_EQ(syncBytesSent(*pedal), 0) << "nothing the bootloader would misframe";
    EXPECT_FALSE(main().menuStartFirmwareUpgrade->isEnabled());
    EXPECT_TRUE(main().menuDisconnect->isEnabled());
    EXPECT_TRUE(editor.consoleLines().contains("link framing: 8E1 refused (status 6)"));
}

// Extended Erase 44 is the only erase some parts offer: FF FF 00 erases all.
TEST_F(FirmwareJourney, APartWithExtendedEraseGetsItsMassErase) {
    pedal->setBootloaderEraseCommand(0x44);
    connectInUpgradeMode();
    pedal->clearRecord();
    upgradeWith(kFirmware4Item);
    EXPECT_EQ(editor.dialogs.messages, QStringList{kCompleteText});
    const auto& writes = pedal->writesReceived();
    using Bytes = std::vector<std::uint8_t>;
    ASSERT_GE(writes.size(), 3u);
    EXPECT_EQ(writes[1].bytes, (Bytes{0x44, 0xBB}));
    EXPECT_EQ(writes[2].bytes, (Bytes{0xFF, 0xFF, 0x00}));
    EXPECT_EQ(flashHead(24296), image("Firmware_4"));
}

// Write Memory takes whole words: an image that does not end on one is
// padded with FF, and the read-back compares the image's own bytes.
TEST_F(FirmwareJourney, AnImageNotEndingOnAWordIsPaddedAndVerified) {
    connectInUpgradeMode();
    const QByteArray firmware = image("Firmware_5").left(27163);
    const QString path = editor.documents.filePath("odd.bin");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(firmware);
    file.close();
    editor.dialogs.files = {path};
    window().cmbFirmwareChoose->setCurrentIndex(kFileItem);
    pedal->clearRecord();
    editor.click(window().btnUpgradeFirmware);
    EXPECT_EQ(editor.dialogs.messages, QStringList{kCompleteText});
    EXPECT_EQ(flashHead(firmware.size()), firmware);
    EXPECT_TRUE(erasedFrom(static_cast<std::size_t>(firmware.size())));
    const auto& writes = pedal->writesReceived();
    const auto last = std::find_if(writes.begin(), writes.end(), [](const WriteRecord& w) {
        return w.bytes == std::vector<std::uint8_t>{0x08, 0x00, 0x6A, 0x00, 0x62};
    });
    ASSERT_NE(last, writes.end());
    EXPECT_EQ((last + 1)->bytes.size(), 30u) << "N, 28 bytes (27 and one FF), checksum";
    EXPECT_EQ((last + 1)->bytes.front(), 0x1B);
}

// The latency timer is shortened for the upgrade and given back the value it
// had, whatever that was.
TEST_F(FirmwareJourney, TheLatencyTimerGoesBackToTheValueItHad) {
    connectInUpgradeMode();
    ASSERT_EQ(editor.editor().session.device().SetFTLatencyTimer(5), FT_OK);
    upgradeWith(kFirmware4Item);
    EXPECT_EQ(editor.dialogs.messages, QStringList{kCompleteText});
    EXPECT_EQ(pedal->latencyTimerNs(), 5'000'000);
    EXPECT_TRUE(editor.consoleLines().contains("latency timer: 1 ms, was 5 ms"));
}

} // namespace
} // namespace brivo::test
