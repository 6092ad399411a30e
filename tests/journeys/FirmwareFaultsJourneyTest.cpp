// Upgrades that go wrong: refused images, and every kind of bootloader fault,
// each ending with a plain message, no start command, the button ready for a
// retry, and the flash as the part would have it.
#include "FirmwareFixture.h"

#include "base/EditorError.h"
#include "link/ReplyRules.h"
#include "params/TformFXParameters.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QTimer>
#include <QtEndian>

namespace brivo::test {
namespace {

using Step = BootloaderFault::Step;
using Action = BootloaderFault::Action;

constexpr std::uint32_t kFlash = 0x08000000;
constexpr qsizetype kFirmware5Bytes = 27164;

// What the flash holds after the fault.
enum class FlashAfter { Untouched, Erased, FirstBlocks, WholeImage };

TEST_F(FirmwareJourney, EachBootloaderFaultStopsTheUpgradeThereWithAPlainMessage) {
    const struct {
        const char* what;
        BootloaderFault fault;
        const char* says;
        FlashAfter flash;
        int blocksWritten; // for FirstBlocks
    } cases[] = {
        {"Get refused",
         {Step::Get, Action::Nack, {}},
         "refused (NACK) the request for its command list (Get)",
         FlashAfter::Untouched,
         0},
        // Silent at Get: the pedal has left its bootloader.
        {"silent at Get",
         {Step::Get, Action::Silence, {}},
         "did not answer the request for its command list (Get)",
         FlashAfter::Untouched,
         0},
        {"erase command refused",
         {Step::EraseCommand, Action::Nack, {}},
         "refused (NACK) the erase command",
         FlashAfter::Untouched,
         0},
        {"global erase refused",
         {Step::GlobalErase, Action::Nack, {}},
         "refused (NACK) the erase of the whole flash",
         FlashAfter::Untouched,
         0},
        {"silent during the erase",
         {Step::GlobalErase, Action::Silence, {}},
         "did not answer the erase of the whole flash within 40000 ms",
         FlashAfter::Untouched,
         0},
        {"block address refused",
         {Step::WriteAddress, Action::Nack, kFlash + 0xB00},
         "refused (NACK) the address of block 12 of 107 at address 08000B00",
         FlashAfter::FirstBlocks,
         11},
        {"block data refused",
         {Step::WriteData, Action::Nack, kFlash + 0xB00},
         "refused (NACK) the data of block 12 of 107 at address 08000B00",
         FlashAfter::FirstBlocks,
         11},
        {"silent at a write command",
         {Step::WriteCommand, Action::Silence, kFlash + 0x1000},
         "did not answer the write command for block 17 of 107 at address 08001000 within 1000 "
         "ms",
         FlashAfter::FirstBlocks,
         16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EditorHarness run;
        auto part = run.plugPedal();
        part->enterBootloader();
        run.start();
        TformMain& m = run.main();
        TformFirmwareUpgrade& w = run.program().formFirmwareUpgrade();
        run.trigger(m.menuFirmwareUpgradeMode);
        run.trigger(m.menuScan);
        run.trigger(m.menuConnect);
        run.trigger(m.menuStartFirmwareUpgrade);
        run.dialogs.messages.clear();
        const std::vector<std::uint8_t> before = part->flash();
        part->setBootloaderFault(c.fault);

        w.cmbFirmwareChoose->setCurrentIndex(kFirmware5Item);
        run.click(w.btnUpgradeFirmware);

        ASSERT_EQ(run.dialogs.messages.size(), 1) << run.dialogs.messages.join("|").toStdString();
        const QString message = run.dialogs.messages.first();
        EXPECT_TRUE(message.startsWith("Firmware upgrade failed: ")) << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1String(c.says))) << message.toStdString();
        EXPECT_TRUE(message.contains("\"Upgrade Firmware\"")) << "says what to do next";
        EXPECT_EQ(message.contains("has left its bootloader: put it back"),
                  c.fault.step == Step::Get && c.fault.action == Action::Silence);
        const bool untouched = c.flash == FlashAfter::Untouched;
        // A refused erase command, or its refused global-erase frame, erased
        // nothing either.
        EXPECT_EQ(message.contains("Nothing was erased"),
                  c.fault.step == Step::Get || c.fault.step == Step::EraseCommand ||
                      (c.fault.step == Step::GlobalErase && c.fault.action == Action::Nack))
            << message.toStdString();
        EXPECT_FALSE(message.contains("Complete"));
        const auto& taken = part->bootloaderCommands();
        EXPECT_EQ(std::count(taken.begin(), taken.end(), kGoCode), 0) << "no Go after a failure";
        EXPECT_EQ(w.lblPhase->text(), "Failed: see the message");
        EXPECT_TRUE(w.btnUpgradeFirmware->isEnabled()) << "ready for a retry";
        EXPECT_TRUE(m.menuDisconnect->isEnabled());
        EXPECT_TRUE(m.btnOpenEffect->isEnabled());
        EXPECT_TRUE(run.consoleLines().contains("firmware upgrade failed: " +
                                                message.mid(25, message.indexOf("\n\n") - 25)));

        const auto& flash = part->flash();
        const QByteArray firmware = image("Firmware_5");
        const auto head = [&](qsizetype n) {
            return QByteArray(reinterpret_cast<const char*>(flash.data()), n);
        };
        if (untouched) {
            EXPECT_TRUE(flash == before) << "a refused erase leaves the old firmware";
        } else if (c.flash == FlashAfter::FirstBlocks) {
            const qsizetype written = 256LL * c.blocksWritten;
            EXPECT_EQ(head(written), firmware.left(written));
            EXPECT_TRUE(std::all_of(flash.begin() + written, flash.end(),
                                    [](std::uint8_t b) { return b == 0xFF; }));
        } else {
            EXPECT_EQ(head(firmware.size()), firmware);
        }
        EXPECT_TRUE(part->inBootloader());
    }
}

TEST_F(FirmwareJourney, AFailedBlockCanBeRetriedAndTheUpgradeThenCompletes) {
    connectInUpgradeMode();
    pedal->setBootloaderFault({Step::WriteData, Action::Nack, kFlash + 0x3000});
    upgradeWith(kFirmware5Item);
    ASSERT_EQ(editor.dialogs.messages.size(), 1);
    EXPECT_TRUE(editor.dialogs.messages.first().contains("08003000"));
    editor.dialogs.messages.clear();
    editor.click(window().btnUpgradeFirmware);
    EXPECT_EQ(editor.dialogs.messages, QStringList{kCompleteText});
    EXPECT_EQ(flashHead(kFirmware5Bytes), image("Firmware_5"));
    EXPECT_FALSE(pedal->inBootloader());
}

TEST_F(FirmwareJourney, ReadBackCatchesAByteTheFlashDidNotTake) {
    connectInUpgradeMode();
    pedal->corruptFlashByte(kFlash + 0x3456, 0x10);
    upgradeWith(kFirmware5Item);
    const QByteArray firmware = image("Firmware_5");
    const auto expected = static_cast<std::uint8_t>(firmware.at(0x3456));
    ASSERT_EQ(editor.dialogs.messages.size(), 1);
    const auto hex = [](int byte) {
        return QString::number(byte, 16).toUpper().rightJustified(2, '0');
    };
    EXPECT_TRUE(editor.dialogs.messages.first().contains(
        QStringLiteral("at address 08003456 (block 53 of 107 at address 08003400) it reads %1 "
                       "where the image has %2")
            .arg(hex(expected ^ 0x10), hex(expected))))
        << editor.dialogs.messages.first().toStdString();
    EXPECT_FALSE(goSent());
    EXPECT_TRUE(pedal->inBootloader());
    EXPECT_TRUE(window().btnUpgradeFirmware->isEnabled());
}

// "Complete" means the read-back matched. A bootloader that cannot read the
// flash back (no Read Memory, or it refuses it) gets the image written and
// started, and the user hears that it could not be verified.
TEST_F(FirmwareJourney, WithoutAReadBackTheUpgradeSaysWrittenButNotVerified) {
    const struct {
        const char* what;
        bool listsRead;
        BootloaderFault fault;
        const char* why;
    } cases[] = {
        {"no Read Memory", false, {}, "the pedal's bootloader offers no Read Memory"},
        {"read-back refused",
         true,
         {Step::ReadMemory, Action::Nack, kFlash + 0x200},
         "refused (NACK) the read address of block 3 of 107 at address 08000200"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EditorHarness run;
        auto part = run.plugPedal();
        part->enterBootloader();
        part->setBootloaderListsReadMemory(c.listsRead);
        run.start();
        TformMain& m = run.main();
        TformFirmwareUpgrade& w = run.program().formFirmwareUpgrade();
        run.trigger(m.menuFirmwareUpgradeMode);
        run.trigger(m.menuScan);
        run.trigger(m.menuConnect);
        run.dialogs.messages.clear();
        part->setBootloaderFault(c.fault);
        w.cmbFirmwareChoose->setCurrentIndex(kFirmware5Item);
        run.click(w.btnUpgradeFirmware);
        ASSERT_EQ(run.dialogs.messages.size(), 1);
        const QString message = run.dialogs.messages.first();
        EXPECT_TRUE(message.startsWith("The firmware was written, but it could not be verified"))
            << message.toStdString();
        EXPECT_TRUE(message.contains(QLatin1String(c.why))) << message.toStdString();
        EXPECT_FALSE(message.contains("Complete"));
        EXPECT_EQ(w.lblPhase->text(), "New firmware started");
        EXPECT_FALSE(part->inBootloader()) << "started all the same";
        EXPECT_EQ(w.ProgressBar1->value(), w.ProgressBar1->maximum());
    }
}

TEST_F(FirmwareJourney, UnpluggingMidBlockEndsTheUpgradeWithTheLinkLost) {
    connectInUpgradeMode();
    pedal->setBootloaderFault({Step::WriteData, Action::Unplug, kFlash + 0x500});
    upgradeWith(kFirmware5Item);
    const QStringList messages = editor.dialogs.messages;
    ASSERT_FALSE(messages.isEmpty());
    EXPECT_TRUE(messages.last().contains(
        "the link to the pedal was lost waiting for the answer to the data of block 6 of 107 at "
        "address 08000500"))
        << messages.join("|").toStdString();
    EXPECT_TRUE(messages.last().contains("Plug the pedal in again"));
    EXPECT_FALSE(messages.join("|").contains("Complete"));
    pedal->replug();
    EXPECT_EQ(flashHead(0x500), image("Firmware_5").left(0x500));
    EXPECT_TRUE(erasedFrom(0x500)) << "the block in flight was not written";
    EXPECT_FALSE(goSent());
    EXPECT_TRUE(window().btnUpgradeFirmware->isEnabled());
}

TEST_F(FirmwareJourney, AnUnconfirmedStartSaysTheFirmwareIsInButNotStarted) {
    connectInUpgradeMode();
    pedal->setBootloaderFault({Step::GoAddress, Action::Nack, {}});
    upgradeWith(kFirmware5Item);
    ASSERT_EQ(editor.dialogs.messages.size(), 2);
    EXPECT_EQ(editor.dialogs.messages.first(), kCompleteText);
    EXPECT_TRUE(editor.dialogs.messages.last().contains("did not confirm the start"));
    EXPECT_TRUE(editor.dialogs.messages.last().contains("Switch the pedal off and on"));
    EXPECT_EQ(flashHead(kFirmware5Bytes), image("Firmware_5"));
    EXPECT_FALSE(window().btnUpgradeFirmware->isEnabled());
}

TEST_F(FirmwareJourney, ImagesThatCannotRunAreRefusedBeforeAByteIsSent) {
    connectInUpgradeMode();
    QByteArray wrongStack = image("Firmware_4");
    qToLittleEndian<std::uint32_t>(0x20010000, wrongStack.data());
    QByteArray evenReset = image("Firmware_4");
    qToLittleEndian<std::uint32_t>(0x08000130, evenReset.data() + 4);
    const struct {
        const char* file;
        QByteArray bytes;
        const char* says;
    } cases[] = {
        {"empty.bin", QByteArray(), "The firmware image is empty. Nothing was sent to the pedal."},
        {"stack.bin", wrongStack, "stack pointer"},
        {"reset.bin", evenReset, "reset address 08000130"},
        {"huge.bin", QByteArray(131073, '\x10'), "does not fit"},
    };
    const std::size_t writesBefore = pedal->writesReceived().size();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const QString path = editor.documents.filePath(QLatin1String(c.file));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.bytes);
        file.close();
        editor.dialogs.messages.clear();
        editor.dialogs.files = {path};
        window().cmbFirmwareChoose->setCurrentIndex(-1);
        window().cmbFirmwareChoose->setCurrentIndex(kFileItem);
        EXPECT_EQ(window().imageName, path);
        editor.click(window().btnUpgradeFirmware);
        ASSERT_EQ(editor.dialogs.messages.size(), 1);
        EXPECT_TRUE(editor.dialogs.messages.first().contains(QLatin1String(c.says)))
            << editor.dialogs.messages.first().toStdString();
        EXPECT_EQ(pedal->writesReceived().size(), writesBefore);
        EXPECT_TRUE(window().btnUpgradeFirmware->isEnabled());
    }
}

TEST_F(FirmwareJourney, AFirmwareFileFromDiskIsWrittenLikeACarriedOne) {
    connectInUpgradeMode();
    const QString path = editor.documents.filePath("brivo-5.bin");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(image("Firmware_5"));
    file.close();

    window().cmbFirmwareChoose->setCurrentIndex(kFirmware4Item);
    // A cancelled file dialog keeps the earlier choice.
    window().cmbFirmwareChoose->setCurrentIndex(kFileItem);
    EXPECT_EQ(window().cmbFirmwareChoose->currentIndex(), kFirmware4Item);
    EXPECT_EQ(window().imageName, "Firmware_4");

    editor.dialogs.files = {path};
    window().cmbFirmwareChoose->setCurrentIndex(kFileItem);
    EXPECT_EQ(editor.consoleLines().last(), path);
    editor.click(window().btnUpgradeFirmware);
    EXPECT_EQ(editor.dialogs.messages, QStringList{kCompleteText});
    EXPECT_EQ(flashHead(kFirmware5Bytes), image("Firmware_5"));
}

TEST_F(FirmwareJourney, UpgradeBeforeChoosingOrConnectingSendsNothing) {
    editor.trigger(main().menuFirmwareUpgradeMode);
    editor.trigger(main().menuScan);
    editor.dialogs.messages.clear();
    editor.click(window().btnUpgradeFirmware);
    EXPECT_EQ(editor.dialogs.messages, QStringList{"Choose a firmware image first."});
    window().cmbFirmwareChoose->setCurrentIndex(kFirmware5Item);
    EXPECT_EQ(editor.consoleLines().last(), "Firmware_5");
    editor.dialogs.messages.clear();
    editor.click(window().btnUpgradeFirmware);
    ASSERT_EQ(editor.dialogs.messages.size(), 1);
    EXPECT_TRUE(editor.dialogs.messages.first().startsWith("The pedal is not connected."));
    EXPECT_TRUE(pedal->writesReceived().empty());
    EXPECT_TRUE(window().btnUpgradeFirmware->isEnabled());
}

TEST_F(FirmwareJourney, WhileAnUpgradeRunsNothingElseTalksToThePedal) {
    connectInUpgradeMode();
    editor.clickCategory("Gain");
    editor.clickEffect(main().lstEffects->item(0)->text());
    struct Seen {
        bool openFx, upload, disconnect, connect, upgrade, mode, fxWindow;
        bool upgradeHoldsTheLink;
    } seen{};
    bool looked = false;
    // Looks at the windows during the first wait on the bootloader.
    QTimer::singleShot(0, [&] {
        looked = true;
        seen = {
            main().btnOpenEffect->isEnabled(),        main().btnUpload->isEnabled(),
            main().menuDisconnect->isEnabled(),       main().menuConnect->isEnabled(),
            window().btnUpgradeFirmware->isEnabled(), main().menuFirmwareUpgradeMode->isEnabled(),
            editor.fxParameters().isEnabled(),        false};
        seen.upgradeHoldsTheLink = editor.editor().session.current() == Conversation::Firmware;
    });
    upgradeWith(kFirmware5Item);
    ASSERT_TRUE(looked);
    EXPECT_FALSE(seen.openFx);
    EXPECT_FALSE(seen.upload);
    EXPECT_FALSE(seen.disconnect);
    EXPECT_FALSE(seen.connect);
    EXPECT_FALSE(seen.upgrade);
    EXPECT_FALSE(seen.mode);
    EXPECT_FALSE(seen.fxWindow);
    EXPECT_TRUE(seen.upgradeHoldsTheLink);
    EXPECT_EQ(editor.dialogs.messages, QStringList{kCompleteText});
    // Given back as they were.
    EXPECT_TRUE(main().btnOpenEffect->isEnabled());
    EXPECT_TRUE(main().btnUpload->isEnabled());
    EXPECT_TRUE(main().menuDisconnect->isEnabled());
    EXPECT_FALSE(main().menuConnect->isEnabled());
    EXPECT_TRUE(main().menuFirmwareUpgradeMode->isEnabled());
    EXPECT_TRUE(editor.fxParameters().isEnabled());
}

// Assign and Store send without awaiting an answer; during an upgrade they
// would put their bytes into the bootloader's frames. The gate refuses them.
TEST_F(FirmwareJourney, AssignAndStoreCannotSendIntoAnUpgrade) {
    connectInUpgradeMode();
    pedal->clearRecord();
    bool looked = false;
    QTimer::singleShot(0, [&] {
        looked = true;
        for (QPushButton* button : {main().btnAssign, main().btnStoreSettingsOnPedal}) {
            button->setEnabled(true);
            editor.click(button);
        }
    });
    upgradeWith(kFirmware4Item);
    ASSERT_TRUE(looked);
    EXPECT_EQ(editor.dialogs.messages,
              (QStringList{QString::fromLatin1(kBusyText), QString::fromLatin1(kBusyText),
                           kCompleteText}));
    for (const WriteRecord& write : pedal->writesReceived())
        EXPECT_TRUE(write.bytes.front() != 0x04 && write.bytes.front() != 0x03)
            << "an assignment table or a store reached the bootloader";
    EXPECT_EQ(flashHead(24296), image("Firmware_4"));
}

// An attempt that ended inside a command leaves the bootloader waiting for
// the rest of its frame; the next attempt synchronises by itself.
TEST_F(FirmwareJourney, ARetryResynchronisesWithABootloaderLeftInsideAFrame) {
    connectInUpgradeMode();
    // Noise before the ACK of block 5's write command: the editor stops
    // there, and the bootloader, which took the command, waits for an address.
    pedal->setBootloaderFault({Step::WriteCommand, Action::StrayByte, kFlash + 0x400});
    upgradeWith(kFirmware5Item);
    ASSERT_EQ(editor.dialogs.messages.size(), 1);
    EXPECT_TRUE(editor.dialogs.messages.first().contains(
        "the pedal answered 00 instead of ACK to the write command for block 5 of 107"))
        << editor.dialogs.messages.first().toStdString();
    editor.dialogs.messages.clear();
    pedal->clearRecord();

    upgradeWith(kFirmware5Item);
    EXPECT_EQ(editor.dialogs.messages, QStringList{kCompleteText});
    EXPECT_EQ(flashHead(kFirmware5Bytes), image("Firmware_5"));
    // Sync bytes until the bootloader refused the frame they completed, then Get.
    const auto& writes = pedal->writesReceived();
    ASSERT_GE(writes.size(), 6u);
    for (std::size_t k = 0; k < 5; ++k)
        EXPECT_EQ(writes[k].bytes, std::vector<std::uint8_t>{0x7F});
    EXPECT_EQ(writes[5].bytes, (std::vector<std::uint8_t>{0x00, 0xFF}));
}

// Closing ends the upgrade at once, the long wait for the erase included, and
// says what the flash holds.
TEST_F(FirmwareJourney, ClosingDuringTheEraseEndsItAtOnceAndSaysTheFlashIsErased) {
    connectInUpgradeMode();
    pedal->setBootloaderFault({Step::GlobalErase, Action::Silence, {}});
    editor.dialogs.answers = {true};
    QTimer watcher;
    watcher.setInterval(0);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        const auto& writes = pedal->writesReceived();
        if (!writes.empty() && writes.back().bytes == std::vector<std::uint8_t>{0xFF, 0x00}) {
            watcher.stop();
            main().close();
        }
    });
    watcher.start();
    const std::int64_t startMs = editor.editor().clock.nowMs();
    upgradeWith(kFirmware5Item);
    EXPECT_LT(editor.editor().clock.nowMs() - startMs, 10000) << "not the erase's 40 s";
    ASSERT_EQ(editor.dialogs.messages.size(), 1);
    EXPECT_TRUE(editor.dialogs.messages.first().contains("the editor is closing"));
    EXPECT_TRUE(editor.dialogs.messages.first().contains("The flash was being erased"));
    EXPECT_FALSE(goSent());
}

TEST_F(FirmwareJourney, ClosingTheEditorDuringAnUpgradeAsksFirst) {
    connectInUpgradeMode();
    editor.dialogs.answers = {false};
    QTimer::singleShot(0, [&] { main().close(); });
    upgradeWith(kFirmware5Item);
    ASSERT_EQ(editor.dialogs.questions.size(), 1);
    EXPECT_TRUE(editor.dialogs.questions.first().startsWith("A firmware upgrade is running."));
    EXPECT_EQ(editor.dialogs.messages, QStringList{kCompleteText}) << "No: it carries on";
    EXPECT_TRUE(main().isVisible());
}

TEST_F(FirmwareJourney, ClosingAnywayStopsTheUpgradeAtTheNextBlock) {
    connectInUpgradeMode();
    editor.dialogs.answers = {true};
    // The program ends when the main window closes: it must still be open
    // when the upgrade says what the flash holds, or nobody reads it.
    bool openAtTheMessage = false;
    editor.dialogs.onMessage = [&](const QString&) { openAtTheMessage = main().isVisible(); };
    QTimer::singleShot(0, [&] { main().close(); });
    upgradeWith(kFirmware5Item);
    editor.dialogs.onMessage = nullptr;
    ASSERT_EQ(editor.dialogs.messages.size(), 1);
    EXPECT_TRUE(editor.dialogs.messages.first().contains("the editor is closing"));
    EXPECT_TRUE(openAtTheMessage);
    EXPECT_FALSE(goSent());
    // Then the editor closes by itself.
    QCoreApplication::processEvents();
    EXPECT_FALSE(main().isVisible());
}

// Unticked after the bootloader's check, Upgrade Mode gives the link back to
// the firmware's 8N1: an upgrade then would be misframed from its first
// frame, so it is not started.
TEST_F(FirmwareJourney, AnUpgradeNeedsTheBootloadersCheckOfThisConnection) {
    connectInUpgradeMode();
    editor.trigger(main().menuFirmwareUpgradeMode);
    ASSERT_FALSE(editor.editor().session.upgradeMode());
    pedal->clearRecord();
    upgradeWith(kFirmware5Item);
    ASSERT_EQ(editor.dialogs.messages.size(), 1);
    EXPECT_TRUE(editor.dialogs.messages.first().startsWith(
        "The pedal's bootloader did not answer at Connect, so nothing was sent."));
    EXPECT_TRUE(pedal->writesReceived().empty());
    EXPECT_TRUE(window().btnUpgradeFirmware->isEnabled());
}

} // namespace
} // namespace brivo::test
