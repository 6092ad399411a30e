#pragma once

#include "app/TformMain.h"
#include "app/TformPrint.h"
#include "catalogue/Resources.h"
#include "firmware/TformFirmwareUpgrade.h"
#include "support/EditorHarness.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <gtest/gtest.h>

#include <algorithm>

namespace brivo::test {

constexpr std::uint8_t kGoCode = 0x21;
constexpr int kFirmware4Item = 0;
constexpr int kFirmware5Item = 1;
constexpr int kFileItem = 2;
inline const QString kCompleteText =
    QStringLiteral("Firmware Upgrade Complete, device will now restart");

// The editor with a virtual pedal waiting in its bootloader, started.
class FirmwareJourney : public ::testing::Test {
  protected:
    FirmwareJourney() {
        pedal = editor.plugPedal();
        pedal->enterBootloader();
        editor.start();
    }

    TformMain& main() { return editor.main(); }
    TformFirmwareUpgrade& window() { return editor.program().formFirmwareUpgrade(); }

    // Upgrade Mode on, Scan, Connect, Start Firmware Upgrade; messages and
    // console cleared.
    void connectInUpgradeMode() {
        editor.trigger(main().menuFirmwareUpgradeMode);
        editor.trigger(main().menuScan);
        editor.trigger(main().menuConnect);
        ASSERT_EQ(editor.dialogs.messages.last(), "Connection to bootloader succeeded");
        editor.trigger(main().menuStartFirmwareUpgrade);
        editor.dialogs.messages.clear();
        editor.console().btnClear->click();
    }

    void upgradeWith(int item) {
        window().cmbFirmwareChoose->setCurrentIndex(item);
        editor.click(window().btnUpgradeFirmware);
    }

    static QByteArray image(const char* name) { return *resources::find(QLatin1String(name)); }

    // The flash from its start, as long as `bytes`.
    QByteArray flashHead(qsizetype count) {
        const auto& flash = pedal->flash();
        return QByteArray(reinterpret_cast<const char*>(flash.data()), count);
    }
    bool erasedFrom(std::size_t offset) {
        const auto& flash = pedal->flash();
        return std::all_of(flash.begin() + static_cast<std::ptrdiff_t>(offset), flash.end(),
                           [](std::uint8_t b) { return b == 0xFF; });
    }
    bool goSent() {
        const auto& taken = pedal->bootloaderCommands();
        return std::find(taken.begin(), taken.end(), kGoCode) != taken.end();
    }

    EditorHarness editor;
    std::shared_ptr<VirtualPedal> pedal;
};

} // namespace brivo::test
