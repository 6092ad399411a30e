#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

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

struct Editor;
class TformFXParameters;
class TformFXInfo;
class TformPrint;
class TformIRResponse;

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
    void parse_identity_reply(const QByteArray& reply);
    void lookup_running_effect();
    bool select_running_effect(int category);
    void btnRequestClick();
    // One status request; false when the link failed and a live loop must end.
    bool request_status();
    void btnStoreSettingsOnPedalClick();
    void chkLiveRequestChange();
    void menuLiveEnableClick();
    void btnTestClick();
    void btnAssignClick();

    // Impulse responses.
    void menuLoadIRClick();
    void load_ir_from_wav();
    TformIRResponse* irResponse() const { return irResponse_; }

    // Effect configuration files.
    void menuSaveConfigurationClick();
    void menuLoadConfigurationClick();
    void menuSaveConfigurationAsClick();
    void menuLoadConfigurationFromClick();
    // The four items are enabled while the FX Parameters window is built for
    // the effect a connected pedal runs.
    void updateConfigurationMenu();

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

    // Waits for the upload's answer, moving the progress bar meanwhile; false
    // when the link failed.
    bool waitForUploadAnswer(int byteCount);
    // Reads the upload's answer, calling onRead with all bytes so far after
    // every read that brought some.
    void readUploadAnswer(const std::function<void(const QByteArray&)>& onRead);
    // Reads the status reply whole; false when the link failed.
    bool receive_status(std::uint32_t paramCount);

    Editor& editor_;
    // The open-file dialog keeps the filter it was last given.
    QString openDialogFilter_;
    // The row select_running_effect found in the effect list.
    int selectedEffectRow_ = -1;
    TformPrint* print_ = nullptr;
    TformFXParameters* fxParameters_ = nullptr;
    TformFXInfo* fxInfo_ = nullptr;
    // The loaded response's picture, made at the first Load IR.
    TformIRResponse* irResponse_ = nullptr;
};

} // namespace brivo
