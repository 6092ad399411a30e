#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <vector>

class QAbstractButton;
class QAction;
class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QMenuBar;
class QProgressBar;
class QPushButton;
class QTimer;

namespace brivo {

template <typename T> class Task;
struct ConfigSettings;
struct Editor;
class TformFXParameters;
class TformFXInfo;
class TformFirmwareUpgrade;
class TformPrint;
class LookMenu;
class VersionCheck;
class TformIRResponse;

// The main window: device labels, command buttons, the category and effect
// lists, and the menus. Its handlers wire controls to the subsystems.
class TformMain final : public QWidget {
    Q_OBJECT
  public:
    explicit TformMain(Editor& editor);

    // The windows created after this one, handed over once they exist.
    void attachWindows(TformPrint* print, TformFXParameters* fxParameters, TformFXInfo* fxInfo);
    void attachFirmwareWindow(TformFirmwareUpgrade* firmware) { firmware_ = firmware; }

    // Connection menu.
    void list_devices(bool quiet);
    void menuScanClick();
    void menuConnectClick();
    void menuDisconnectClick();
    void menuSupportClick();
    void menuDiagnosticConsoleClick();
    // TimerCheckWebVersion's tick: stops the timer and sends the version request.
    void checkmostrecentversiononwebsite();

    // Category browser.
    void create_categories();
    void categoryClick(int category);
    void effetto_cliccato();
    // Returns true when the key was an arrow key that this handler moved.
    bool move_up_or_down(int key);
    void fill_effect_list();
    // Loads a raw-data resource into the catalogue's line list.
    void load_resource_lines(const QString& name);
    // Shows the FX Parameters window for the current effect with this caption;
    // false when its descriptor or program was refused.
    bool showFXParameters(const QString& caption);
    void btnGetFXInfoClick();

    // Effect commands.
    void btnUploadClick();
    void btnUploadFileClick();
    void btnOpenEffectClick();
    bool select_running_effect(int category);
    void btnRequestClick();
    void btnStoreSettingsOnPedalClick();
    void chkLiveRequestChange();
    void menuLiveEnableClick();
    void btnTestClick();
    void btnAssignClick();

    // Firmware upgrade menu.
    void menuFirmwareUpgradeModeClick();
    void chkFirmwareUpgradeModeChange();
    void menuStartFirmwareUpgradeClick();
    // Every enabled state of the window, each control's rule in one place:
    // they follow the session (the connection, the conversation on the
    // link, an upgrade) and what the window offers to edit.
    void updateControls();
    // The FX Parameters window closed: Request and Assign have nothing to
    // work on.
    void fxParametersClosed();
    // Whether a bridge is open (Disconnect is offered).
    bool isConnected() const;
    // Impulse responses.
    void menuLoadIRClick();
    void load_ir_from_wav();
    TformIRResponse* irResponse() const { return irResponse_; }

    // Effect configuration files.
    void menuSaveConfigurationClick();
    void menuLoadConfigurationClick();
    void menuSaveConfigurationAsClick();
    void menuLoadConfigurationFromClick();

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
    // Shows how far an upload has travelled on the link.
    QProgressBar* prgUpload = nullptr;
    QListWidget* lstCategory = nullptr;
    QListWidget* lstEffects = nullptr;
    QTimer* TimerCheckWebVersion = nullptr;
    // Settings > Look and the saved look.
    LookMenu* lookMenu = nullptr;
    // The one version request of the run.
    VersionCheck* versionCheck = nullptr;

    QMenu* menuFile = nullptr;
    QAction* menuLoadConfiguration = nullptr;
    QAction* menuSaveConfiguration = nullptr;
    QAction* menuLoadConfigurationFrom = nullptr;
    QAction* menuSaveConfigurationAs = nullptr;
    QAction* menuLoadIR = nullptr;
    QAction* menuUploadFile = nullptr;
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

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

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

    bool configurationAvailable() const;
    // The effect's own file; empty without a documents folder or an effect.
    QString configurationPath() const;
    // The effect's own file when the items are usable; empty, after telling
    // the player why, without a documents folder.
    QString usableConfigurationPath();
    void saveConfigurationTo(const QString& path);
    void loadConfigurationFrom(const QString& path);

    Task<void> saveConfiguration(QString path);
    Task<void> applyConfiguration(ConfigSettings settings);

    // What the session reports, shown.
    void sessionStateChanged();
    // The labels and commands that follow the connection.
    void connectionChanged();
    void showUploadProgress(int percent);
    void showUploadStatus(const QString& text);
    void showFirmwareVersion(int version);
    void runningEffectIdentified();
    // A status reply arrived for the shown effect.
    void statusChanged(bool live);
    // The live loop started or ended.
    void liveChanged(bool running);
    // Request can ask the pedal now.
    bool requestAvailable() const;
    // Request, Assign and Store have no running effect to work on.
    void withdrawEffectCommands();
    // The pedal runs nothing the editor knows: the window of its effect is
    // closed and its commands disabled.
    void forgetRunningEffect();
    // Shows the last status again in the rebuilt window of the running
    // effect, when that status belongs to it; false otherwise.
    bool restoreLastStatus();

    Editor& editor_;
    // The open-file dialog keeps the filter it was last given.
    QString openDialogFilter_;
    // The row select_running_effect found in the effect list.
    int selectedEffectRow_ = -1;
    // What the labels and buttons show of the connection.
    bool shownConnected_ = false;
    // What the window offers of the pedal's commands, by the rules of its
    // events; updateControls adds the session's state.
    struct Offers {
        // The running effect's window is built (Open FX, or its click).
        bool request = false;
        // A status of the running effect was read into the window.
        bool assign = false;
        bool store = false;
        // An effect was chosen: its information page can be shown.
        bool info = false;
        // The bootloader answered once: the upgrade window stays offered.
        bool startUpgrade = false;
    } offers_;
    // The editor was closed during an upgrade: it closes once that ends.
    bool closeAfterUpgrade_ = false;
    TformPrint* print_ = nullptr;
    TformFXParameters* fxParameters_ = nullptr;
    TformFXInfo* fxInfo_ = nullptr;
    TformFirmwareUpgrade* firmware_ = nullptr;
    // The loaded response's picture, made at the first Load IR.
    TformIRResponse* irResponse_ = nullptr;
};

} // namespace brivo
