#pragma once

#include "firmware/FirmwareUpgrade.h"

#include <QWidget>
#include <functional>

class QComboBox;
class QLabel;
class QProgressBar;
class QPushButton;

namespace brivo {

class Dialogs;
class Log;
class PedalSession;

// The Firmware Upgrade window: choose an image (one of the two the editor
// carries, or a raw .bin from disk), press "Upgrade Firmware", watch the phase
// and the progress bar. Created hidden at start and kept for the whole run.
class TformFirmwareUpgrade final : public QWidget {
    Q_OBJECT
  public:
    TformFirmwareUpgrade(PedalSession& session, Log& log, Dialogs& dialogs,
                         QWidget* parent = nullptr);

    void FirmwareSelect();
    void btnUpgradeFirmwareClick();
    // The chosen image, whole; throws EditorError when there is none.
    QByteArray read_firmware_image();

    bool upgradeRunning() const;
    // The carried images are stand-ins for the virtual pedal: with any other
    // device the two items offer the maker's images from the folder the
    // build names, or are disabled with a hint to choose the maker's file.
    void updateImageItems();
    // Every enabled state of the window, from the session's.
    void updateControls();

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
    // The maker's image for an item, from the build's folder; empty if none.
    QString makerImagePath(const QString& itemText) const;

    PedalSession& session_;
    Log& log_;
    Dialogs& dialogs_;
    int lastChoice_ = -1;
};

} // namespace brivo
