#pragma once

#include "firmware/FirmwareUpgrade.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace brivo {

class PedalSession;
template <typename T> class Task;

// The Firmware Upgrade window: choose an image (one of the two the editor
// carries, or a raw .bin from disk), press "Upgrade Firmware", watch the phase
// and the progress bar. Created hidden at start and kept for the whole run.
class TformFirmwareUpgrade final : public QWidget {
    Q_OBJECT
  public:
    TformFirmwareUpgrade(const UpgradeLink& link, PedalSession& session, QWidget* parent = nullptr);

    void FirmwareSelect();
    void btnUpgradeFirmwareClick();
    // The chosen image, whole; throws EditorError when there is none.
    QByteArray read_firmware_image();

    bool upgradeRunning() const { return running_; }
    // The carried images are stand-ins for the virtual pedal: with any other
    // device the two items offer the maker's images from the folder the
    // build names, or are disabled with a hint to choose the maker's file.
    void updateImageItems();
    // Ends a running upgrade at its next block (the editor is closing).
    void requestStop() { stopRequested_ = true; }

    // Told when an upgrade starts and ends, so other pedal commands wait.
    std::function<void(bool running)> onRunningChanged;
    // The pedal confirmed the start of its new firmware.
    std::function<void()> onFirmwareStarted;

    QComboBox* cmbFirmwareChoose = nullptr;
    QPushButton* btnUpgradeFirmware = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    // Which phase runs, or how the last upgrade ended.
    QLabel* lblPhase = nullptr;

    // The chosen image: a resource name, or a file path when fromFile.
    QString imageName;
    bool imageFromFile = false;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void setRunning(bool running);
    Task<void> upgradeTask(QByteArray image, UpgradeView view);
    // The maker's image for an item, from the build's folder; empty if none.
    QString makerImagePath(const QString& itemText) const;

    UpgradeLink link_;
    PedalSession& session_;
    bool running_ = false;
    bool stopRequested_ = false;
    bool completed_ = false;
    // An attempt ended early: where the bootloader stands is not known.
    bool resynchronise_ = false;
    int lastChoice_ = -1;
};

} // namespace brivo
