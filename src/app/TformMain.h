#pragma once

#include <QWidget>
#include <functional>

class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QMenuBar;
class QPushButton;
class QTimer;

namespace brivo {

struct Editor;
class TformFXParameters;
class TformFXInfo;
class TformPrint;

// The main window: device labels, command buttons, the category and effect
// lists, and the menus. Its handlers wire controls to the subsystems.
class TformMain final : public QWidget {
    Q_OBJECT
  public:
    explicit TformMain(Editor& editor);

    // The windows created after this one, handed over once they exist.
    void attachWindows(TformPrint* print, TformFXParameters* fxParameters, TformFXInfo* fxInfo);

    // Connection menu.
    void list_devices(bool quiet);
    void menuScanClick();
    void menuConnectClick();
    void menuDisconnectClick();
    void read_eeprom_identity();
    void menuSupportClick();
    void menuDiagnosticConsoleClick();

    QMenuBar* MenuBar1 = nullptr;
    QLabel* lblDeviceName = nullptr;
    QLabel* lblSerialNumber = nullptr;
    QLabel* lblFirmwareVersion = nullptr;
    QPushButton* btnUpload = nullptr;
    QLabel* lblStatus = nullptr;
    QPushButton* btnOpenEffect = nullptr;
    QPushButton* btnRequest = nullptr;
    QPushButton* btnAssign = nullptr;
    QPushButton* btnStoreSettingsOnPedal = nullptr;
    QCheckBox* chkLiveRequest = nullptr;
    QPushButton* btnUploadFile = nullptr;
    QPushButton* btnTest = nullptr;
    QCheckBox* chkFirmwareUpgradeMode = nullptr;
    QLabel* lblShowNewVersion = nullptr;
    QPushButton* btnGetFXInfo = nullptr;
    QListWidget* lstCategory = nullptr;
    QListWidget* lstEffects = nullptr;
    QTimer* TimerCheckWebVersion = nullptr;

    QMenu* menuFile = nullptr;
    QAction* menuLoadConfiguration = nullptr;
    QAction* menuSaveConfiguration = nullptr;
    QAction* menuLoadIR = nullptr;
    QMenu* menuConnection = nullptr;
    QAction* menuScan = nullptr;
    QAction* menuConnect = nullptr;
    QAction* menuDisconnect = nullptr;
    QMenu* menuSettings = nullptr;
    QAction* menuLiveEnable = nullptr;
    QMenu* menuLook = nullptr;
    QMenu* menuFirmwareUpgrade = nullptr;
    QAction* menuFirmwareUpgradeMode = nullptr;
    QAction* menuStartFirmwareUpgrade = nullptr;
    QMenu* menuHelp = nullptr;
    QAction* menuQuickStart = nullptr;
    QAction* menuSupport = nullptr;
    QAction* menuDiagnosticConsole = nullptr;
    QAction* menuAppVersion = nullptr;
    QAction* menuNewAppVersion = nullptr;

  private:
    void createControls();
    void createMenus();
    void FormCreate();
    void createMakerFolders();
    // Runs a handler through the general error report.
    void guarded(const std::function<void()>& handler);
    QPushButton* makeButton(const QString& name, const QString& text, QRect geometry);
    QLabel* makeLabel(const QString& name, const QString& text, QRect geometry);
    QAction* makeAction(QMenu* menu, const QString& name, const QString& text,
                        std::function<void()> handler = {});

    Editor& editor_;
    TformPrint* print_ = nullptr;
    TformFXParameters* fxParameters_ = nullptr;
    TformFXInfo* fxInfo_ = nullptr;
};

} // namespace brivo
