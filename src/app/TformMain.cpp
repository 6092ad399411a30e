#include "app/TformMain.h"

#include "app/AppIdentity.h"
#include "app/AppVersion.h"
#include "app/Editor.h"
#include "app/LookMenu.h"
#include "app/TformPrint.h"
#include "app/VersionCheck.h"
#include "base/Guard.h"
#include "firmware/TformFirmwareUpgrade.h"
#include "ir/IrSplice.h"
#include "params/TformFXParameters.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGraphicsOpacityEffect>
#include <QHideEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

namespace brivo {

namespace {
constexpr int kClientWidth = 399;
constexpr int kClientHeight = 480;
constexpr int kDesignLeft = 37;
constexpr int kDesignTop = 31;
constexpr int kVersionCheckIntervalMs = 1000;
const QString kProductFolder = QStringLiteral("Brivo");
constexpr const char* kCloseDuringUpgradeText =
    "A firmware upgrade is running. Closing the editor now stops it; once the flash is being "
    "erased or written, that leaves the pedal without a complete firmware until an upgrade "
    "completes. Close anyway?";
} // namespace

TformMain::TformMain(Editor& editor)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      editor_(editor) {
    setObjectName(QStringLiteral("formMain"));
    setWindowTitle(kEditorCaption);
    setFixedSize(kClientWidth, kClientHeight);
    move(kDesignLeft, kDesignTop);
    createControls();
    createMenus();
    FormCreate();
    PedalSession* session = &editor_.session;
    connect(session, &PedalSession::stateChanged, this, &TformMain::sessionStateChanged);
    // Every failed command gets one message box, whoever started it.
    connect(session, &PedalSession::failed, this,
            [this](const QString& text) { editor_.dialogs.showMessage(text); });
    connect(session, &PedalSession::notice, this,
            [this](const QString& text) { editor_.dialogs.showMessage(text); });
    connect(session, &PedalSession::uploadProgress, this, &TformMain::showUploadProgress);
    connect(session, &PedalSession::uploadStatus, this, &TformMain::showUploadStatus);
    connect(session, &PedalSession::firmwareVersionRead, this, &TformMain::showFirmwareVersion);
    connect(session, &PedalSession::identified, this,
            [this] { guarded([this] { runningEffectIdentified(); }); });
    connect(session, &PedalSession::runningEffectForgotten, this, &TformMain::forgetRunningEffect);
    connect(session, &PedalSession::statusRead, this,
            [this](bool live) { guarded([this, live] { statusChanged(live); }); });
    connect(session, &PedalSession::liveChanged, this, &TformMain::liveChanged);
    // The pedal runs its new firmware: Upgrade Mode's tick goes with it.
    connect(session, &PedalSession::firmwareStarted, this,
            [this] { menuFirmwareUpgradeMode->setChecked(false); });
}

void TformMain::sessionStateChanged() {
    connectionChanged();
    updateControls();
    // Closed during an upgrade: the upgrade has said what the flash holds,
    // and the editor closes now.
    if (closeAfterUpgrade_ && !editor_.session.upgradeRunning()) {
        closeAfterUpgrade_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void TformMain::attachWindows(TformPrint* print, TformFXParameters* fxParameters,
                              TformFXInfo* fxInfo) {
    print_ = print;
    fxParameters_ = fxParameters;
    fxInfo_ = fxInfo;
}

void TformMain::guarded(const std::function<void()>& handler) {
    runGuarded(editor_.dialogs, handler);
}

QPushButton* TformMain::makeButton(const QString& name, const QString& text, QRect geometry) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    if (geometry.size().isEmpty())
        geometry.setSize(button->sizeHint());
    button->setGeometry(geometry);
    return button;
}

QLabel* TformMain::makeLabel(const QString& name, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setGeometry(geometry);
    return label;
}

QAction* TformMain::makeAction(QMenu* menu, const QString& name, const QString& text,
                               std::function<void()> handler) {
    QAction* action = menu->addAction(text);
    action->setObjectName(name);
    if (handler)
        connect(action, &QAction::triggered, this,
                [this, handler = std::move(handler)] { guarded(handler); });
    return action;
}

void TformMain::createControls() {
    MenuBar1 = new QMenuBar(this);
    MenuBar1->setObjectName(QStringLiteral("MenuBar1"));
    MenuBar1->setNativeMenuBar(false);
    MenuBar1->setGeometry(0, 0, kClientWidth, 24);

    lblDeviceName = makeLabel(QStringLiteral("lblDeviceName"), QStringLiteral("Device Name: "),
                              {8, 29, 174, 17});
    lblSerialNumber = makeLabel(QStringLiteral("lblSerialNumber"),
                                QStringLiteral("Serial Number: "), {8, 47, 185, 17});
    auto* half = new QGraphicsOpacityEffect(lblSerialNumber);
    half->setOpacity(0.5);
    lblSerialNumber->setGraphicsEffect(half);
    lblFirmwareVersion = makeLabel(QStringLiteral("lblFirmwareVersion"),
                                   QStringLiteral("Firmware Version: "), {9, 64, 174, 20});

    btnUpload = makeButton(QStringLiteral("btnUpload"), QStringLiteral("Upload Selected Effect"),
                           {7, 90, 174, 36});
    lblStatus =
        makeLabel(QStringLiteral("lblStatus"), QStringLiteral("Status: "), {7, 134, 174, 17});
    prgUpload = new QProgressBar(this);
    prgUpload->setObjectName(QStringLiteral("prgUpload"));
    prgUpload->setGeometry(7, 152, 174, 10);
    prgUpload->setRange(0, 100);
    prgUpload->setTextVisible(false);
    prgUpload->hide();
    btnOpenEffect =
        makeButton(QStringLiteral("btnOpenEffect"), QStringLiteral("Open FX"), {9, 164, 174, 31});
    btnRequest =
        makeButton(QStringLiteral("btnRequest"), QStringLiteral("Request"), {8, 203, 80, 31});
    btnAssign =
        makeButton(QStringLiteral("btnAssign"), QStringLiteral("Assign"), {97, 203, 86, 31});
    btnStoreSettingsOnPedal =
        makeButton(QStringLiteral("btnStoreSettingsOnPedal"),
                   QStringLiteral("Store Settings On Pedal"), {8, 242, 175, 31});

    chkLiveRequest = new QCheckBox(QStringLiteral("Live Request"), this);
    chkLiveRequest->setObjectName(QStringLiteral("chkLiveRequest"));
    chkLiveRequest->setGeometry(QRect(QPoint(8, 281), chkLiveRequest->sizeHint()));

    btnUploadFile =
        makeButton(QStringLiteral("btnUploadFile"), QStringLiteral("Upload File"), {8, 356, 0, 0});
    btnTest = makeButton(QStringLiteral("btnTest"), QStringLiteral("TestCode"), {103, 356, 0, 0});

    chkFirmwareUpgradeMode = new QCheckBox(QStringLiteral("Firmware Upgrade Mode"), this);
    chkFirmwareUpgradeMode->setObjectName(QStringLiteral("chkFirmwareUpgradeMode"));
    chkFirmwareUpgradeMode->setGeometry(9, 423, 174, 19);
    chkFirmwareUpgradeMode->hide();
    connect(chkFirmwareUpgradeMode, &QCheckBox::toggled, this,
            [this] { guarded([this] { chkFirmwareUpgradeModeChange(); }); });

    lblShowNewVersion =
        makeLabel(QStringLiteral("lblShowNewVersion"), QString(), {8, 450, 145, 22});

    btnGetFXInfo =
        makeButton(QStringLiteral("btnGetFXInfo"), QStringLiteral("?"), {161, 450, 22, 22});
    btnGetFXInfo->setToolTip(QStringLiteral("Show the effect's information page"));
    btnGetFXInfo->setAccessibleName(QStringLiteral("Show the effect's information page"));
    btnGetFXInfo->setCursor(Qt::WhatsThisCursor);
    connect(btnGetFXInfo, &QPushButton::clicked, this,
            [this] { guarded([this] { btnGetFXInfoClick(); }); });

    lstCategory = new QListWidget(this);
    lstCategory->setObjectName(QStringLiteral("lstCategory"));
    lstCategory->setGeometry(191, 28, 200, 137);
    lstEffects = new QListWidget(this);
    lstEffects->setObjectName(QStringLiteral("lstEffects"));
    lstEffects->setGeometry(191, 173, 200, 299);

    const auto wire = [this](QPushButton* button, void (TformMain::*handler)()) {
        connect(button, &QPushButton::clicked, this,
                [this, handler] { guarded([this, handler] { (this->*handler)(); }); });
    };
    wire(btnUpload, &TformMain::btnUploadClick);
    wire(btnUploadFile, &TformMain::btnUploadFileClick);
    wire(btnOpenEffect, &TformMain::btnOpenEffectClick);
    wire(btnRequest, &TformMain::btnRequestClick);
    wire(btnAssign, &TformMain::btnAssignClick);
    wire(btnStoreSettingsOnPedal, &TformMain::btnStoreSettingsOnPedalClick);
    wire(btnTest, &TformMain::btnTestClick);
    connect(chkLiveRequest, &QCheckBox::toggled, this,
            [this] { guarded([this] { chkLiveRequestChange(); }); });

    TimerCheckWebVersion = new QTimer(this);
    TimerCheckWebVersion->setObjectName(QStringLiteral("TimerCheckWebVersion"));
    TimerCheckWebVersion->setInterval(kVersionCheckIntervalMs);
}

void TformMain::createMenus() {
    menuFile = MenuBar1->addMenu(QStringLiteral("File"));
    menuFile->setObjectName(QStringLiteral("menuFile"));
    // The link may have become busy or free since the last update.
    connect(menuFile, &QMenu::aboutToShow, this, &TformMain::updateControls);
    // A player keeps an effect's settings in files: one per effect, and
    // others of the player's choosing.
    menuLoadConfiguration =
        makeAction(menuFile, QStringLiteral("menuLoadConfiguration"),
                   QStringLiteral("Load Configuration"), [this] { menuLoadConfigurationClick(); });
    menuSaveConfiguration =
        makeAction(menuFile, QStringLiteral("menuSaveConfiguration"),
                   QStringLiteral("Save Configuration"), [this] { menuSaveConfigurationClick(); });
    menuLoadConfigurationFrom = makeAction(menuFile, QStringLiteral("menuLoadConfigurationFrom"),
                                           QStringLiteral("Load Configuration From..."),
                                           [this] { menuLoadConfigurationFromClick(); });
    menuSaveConfigurationAs = makeAction(menuFile, QStringLiteral("menuSaveConfigurationAs"),
                                         QStringLiteral("Save Configuration As..."),
                                         [this] { menuSaveConfigurationAsClick(); });
    menuLoadIR = makeAction(menuFile, QStringLiteral("menuLoadIR"), QStringLiteral("Load IR"),
                            [this] { menuLoadIRClick(); });
    menuFile->addSeparator();
    // Sends a file of hex digit pairs as it stands: for programs from the maker.
    menuUploadFile =
        makeAction(menuFile, QStringLiteral("menuUploadFile"),
                   QStringLiteral("Upload Raw Program File..."), [this] { btnUploadFileClick(); });

    menuConnection = MenuBar1->addMenu(QStringLiteral("Connection"));
    menuConnection->setObjectName(QStringLiteral("menuConnection"));
    menuScan = makeAction(menuConnection, QStringLiteral("menuScan"), QStringLiteral("Scan"),
                          [this] { menuScanClick(); });
    menuConnect = makeAction(menuConnection, QStringLiteral("menuConnect"),
                             QStringLiteral("Connect"), [this] { menuConnectClick(); });
    menuDisconnect = makeAction(menuConnection, QStringLiteral("menuDisconnect"),
                                QStringLiteral("Disconnect"), [this] { menuDisconnectClick(); });

    menuSettings = MenuBar1->addMenu(QStringLiteral("Settings"));
    menuSettings->setObjectName(QStringLiteral("menuSettings"));
    menuLiveEnable = makeAction(menuSettings, QStringLiteral("menuLiveEnable"),
                                QStringLiteral("Alive Parameters!"));
    menuLiveEnable->setCheckable(true);
    connect(menuLiveEnable, &QAction::triggered, this,
            [this] { guarded([this] { menuLiveEnableClick(); }); });
    menuLiveEnable->setVisible(false);
    menuLook = menuSettings->addMenu(QStringLiteral("Look"));
    menuLook->setObjectName(QStringLiteral("menuLook"));

    menuFirmwareUpgrade = MenuBar1->addMenu(QStringLiteral("Firmware Upgrade"));
    menuFirmwareUpgrade->setObjectName(QStringLiteral("menuFirmwareUpgrade"));
    menuFirmwareUpgradeMode =
        makeAction(menuFirmwareUpgrade, QStringLiteral("menuFirmwareUpgradeMode"),
                   QStringLiteral("Upgrade Mode"), [this] { menuFirmwareUpgradeModeClick(); });
    menuFirmwareUpgradeMode->setCheckable(true);
    menuStartFirmwareUpgrade = makeAction(
        menuFirmwareUpgrade, QStringLiteral("menuStartFirmwareUpgrade"),
        QStringLiteral("Start Firmware Upgrade"), [this] { menuStartFirmwareUpgradeClick(); });

    menuHelp = MenuBar1->addMenu(QStringLiteral("Help"));
    menuHelp->setObjectName(QStringLiteral("menuHelp"));
    menuQuickStart =
        makeAction(menuHelp, QStringLiteral("menuQuickStart"), QStringLiteral("Quick Start"));
    menuQuickStart->setVisible(false);
    menuSupport = makeAction(menuHelp, QStringLiteral("menuSupport"), QStringLiteral("Support"),
                             [this] { menuSupportClick(); });
    // The trace is the user's best tool when the pedal misbehaves.
    menuDiagnosticConsole =
        makeAction(menuHelp, QStringLiteral("menuDiagnosticConsole"),
                   QStringLiteral("Diagnostic Console"), [this] { menuDiagnosticConsoleClick(); });
    menuAppVersion =
        makeAction(menuHelp, QStringLiteral("menuAppVersion"), QStringLiteral("Version: "));
    menuAppVersion->setEnabled(false);
    menuNewAppVersion = makeAction(menuHelp, QStringLiteral("menuNewAppVersion"),
                                   QStringLiteral("New version available:"));
    menuNewAppVersion->setEnabled(false);
    menuNewAppVersion->setVisible(false);
}

void TformMain::FormCreate() {
    // 1. The silent listing: labels and the serial number of the last device.
    list_devices(true);
    // 2. The line settings, applied at each connection, are the session's.
    // 3. Mode flags.
    editor_.session.setUpgradeMode(false);
    editor_.catalogue.editable = false;
    // 4. Start states of the command controls: nothing is connected yet.
    btnUploadFile->hide();
    btnTest->hide();
    // Live Request is how a player watches the pedal's controls move, so the
    // check box is shown; it is offered while Request is.
    chkLiveRequest->show();
    // 5. The category list.
    create_categories();
    // 6. Pot limits.
    editor_.session.params().reset_min_max_array();
    // 7. The online version check, sent about a second after start.
    versionCheck =
        new VersionCheck(editor_.environment.versionCheckSite, editor_.dialogs, editor_.log, this);
    connect(TimerCheckWebVersion, &QTimer::timeout, this,
            [this] { guarded([this] { checkmostrecentversiononwebsite(); }); });
    TimerCheckWebVersion->start();
    // 8. The program version in the Help menu.
    menuAppVersion->setText(menuAppVersion->text() + QStringLiteral(" ") + get_app_version());
    // 9. The maker's folders in the documents folder.
    createMakerFolders();
    // 10. The Look menu, then the saved look.
    lookMenu =
        new LookMenu(menuLook, QDir(editor_.environment.documentsFolder).filePath(kMakerFolder),
                     editor_.dialogs);
    lookMenu->build_look_menu();
    lookMenu->apply_saved_look();
    updateControls();
}

bool TformMain::isConnected() const {
    return editor_.session.isConnected();
}

void TformMain::createMakerFolders() {
    const QString documents = editor_.environment.documentsFolder;
    const QString maker = QDir(documents).filePath(kMakerFolder);
    if (!QDir(maker).exists() && !QDir().mkpath(maker))
        editor_.dialogs.showMessage(
            QStringLiteral("Error creating folder: ") +
            QStringLiteral("cannot create %1").arg(QDir::toNativeSeparators(maker)));
    const QString product = QDir(maker).filePath(kProductFolder);
    if (!QDir(product).exists() && !QDir().mkpath(product))
        editor_.dialogs.showMessage(
            QStringLiteral("Error creating subfolder: ") +
            QStringLiteral("cannot create %1").arg(QDir::toNativeSeparators(product)));
}

void TformMain::closeEvent(QCloseEvent* event) {
    if (editor_.session.upgradeRunning()) {
        if (editor_.dialogs.askYesNo(QString::fromLatin1(kCloseDuringUpgradeText))) {
            // The upgrade ends at its next wait and says what the flash
            // holds; the editor closes after that.
            editor_.session.stopUpgrade();
            closeAfterUpgrade_ = true;
        }
        event->ignore();
        return;
    }
    // Closing the main window ends the program, whatever else is open.
    QWidget::closeEvent(event);
    QCoreApplication::quit();
}

void TformMain::hideEvent(QHideEvent* event) {
    // Nobody watches a hidden window follow the pedal: the live loop ends
    // after its request in progress, or the program could never quit.
    if (!event->spontaneous())
        editor_.session.setLive(false);
    QWidget::hideEvent(event);
}

void TformMain::menuSupportClick() {
    if (editor_.environment.openUrl)
        editor_.environment.openUrl(QUrl(kMakerWebSite + QStringLiteral("/contact-us/")));
}

void TformMain::checkmostrecentversiononwebsite() {
    TimerCheckWebVersion->stop();
    versionCheck->start();
}

void TformMain::menuDiagnosticConsoleClick() {
    if (print_ == nullptr)
        return;
    print_->show();
    print_->raise();
    print_->activateWindow();
}

} // namespace brivo
