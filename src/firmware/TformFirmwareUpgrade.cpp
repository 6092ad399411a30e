#include "firmware/TformFirmwareUpgrade.h"

#include "base/Dialogs.h"
#include "base/EditorError.h"
#include "base/Guard.h"
#include "base/Log.h"
#include "base/Task.h"
#include "catalogue/Resources.h"
#include "firmware/TwoToneProgressBar.h"
#include "session/PedalSession.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardItemModel>

namespace brivo {

namespace {
constexpr int kClientWidth = 158;
// Room below the progress bar for the phase text.
constexpr int kClientHeight = 183;
constexpr int kFileItem = 2;
const QString kFileItemText = QStringLiteral("Firmware file...");
const QString kFirmwareFileFilter = QStringLiteral("Firmware image (*.bin);;All files (*)");
const QString kMakerFirmwareFolder = QStringLiteral(BRIVO_MAKER_FIRMWARE_DIR);
const QString kStandInHint =
    QStringLiteral("The carried images are stand-ins for the virtual pedal: choose the maker's "
                   "firmware file.");
} // namespace

TformFirmwareUpgrade::TformFirmwareUpgrade(PedalSession& session, Log& log, Dialogs& dialogs,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window), session_(session), log_(log), dialogs_(dialogs) {
    setObjectName(QStringLiteral("formFirmwareUpgrade"));
    setWindowTitle(QStringLiteral("Firmware Upgrade"));
    setFixedSize(kClientWidth, kClientHeight);

    cmbFirmwareChoose = new QComboBox(this);
    cmbFirmwareChoose->setObjectName(QStringLiteral("cmbFirmwareChoose"));
    cmbFirmwareChoose->setGeometry(8, 8, 142, 32);
    cmbFirmwareChoose->addItem(QStringLiteral("Firmware_4"), QStringLiteral("itmFirmware4"));
    cmbFirmwareChoose->addItem(QStringLiteral("Firmware_5"), QStringLiteral("itmFirmware5"));
    cmbFirmwareChoose->addItem(kFileItemText, QStringLiteral("itmFirmwareFile"));
    cmbFirmwareChoose->setCurrentIndex(-1);
    connect(cmbFirmwareChoose, &QComboBox::currentIndexChanged, this,
            [this] { runGuarded(dialogs_, [this] { FirmwareSelect(); }); });

    btnUpgradeFirmware = new QPushButton(QStringLiteral("Upgrade Firmware"), this);
    btnUpgradeFirmware->setObjectName(QStringLiteral("btnUpgradeFirmware"));
    btnUpgradeFirmware->setGeometry(8, 48, 142, 33);
    connect(btnUpgradeFirmware, &QPushButton::clicked, this,
            [this] { runGuarded(dialogs_, [this] { btnUpgradeFirmwareClick(); }); });

    ProgressBar1 = new TwoToneProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(8, 94, 142, 35);
    ProgressBar1->setOrientation(Qt::Horizontal);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);

    lblPhase = new QLabel(this);
    lblPhase->setObjectName(QStringLiteral("lblPhase"));
    lblPhase->setGeometry(8, 135, 142, 40);
    lblPhase->setWordWrap(true);
    lblPhase->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    connect(&session_, &PedalSession::stateChanged, this, &TformFirmwareUpgrade::updateControls);
    updateControls();
}

bool TformFirmwareUpgrade::upgradeRunning() const {
    return session_.upgradeRunning();
}

void TformFirmwareUpgrade::updateControls() {
    // One upgrade per run: the pedal restarts into what was written.
    const bool running = session_.upgradeRunning();
    btnUpgradeFirmware->setEnabled(!running && !session_.upgradeDone());
    cmbFirmwareChoose->setEnabled(!running);
}

QString TformFirmwareUpgrade::makerImagePath(const QString& itemText) const {
    if (kMakerFirmwareFolder.isEmpty())
        return {};
    const QDir folder(kMakerFirmwareFolder);
    for (const QString& entry : folder.entryList(QDir::Files)) {
        const QString base =
            entry.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive) ? entry.chopped(4) : entry;
        if (base.compare(itemText, Qt::CaseInsensitive) == 0)
            return folder.filePath(entry);
    }
    return {};
}

void TformFirmwareUpgrade::updateImageItems() {
    const bool realPedal = session_.isConnected() && !session_.deviceIsSimulated();
    auto* model = qobject_cast<QStandardItemModel*>(cmbFirmwareChoose->model());
    bool hinted = false;
    for (int row = 0; row < kFileItem; ++row) {
        const bool offered =
            !realPedal || !makerImagePath(cmbFirmwareChoose->itemText(row)).isEmpty();
        if (model != nullptr)
            model->item(row)->setEnabled(offered);
        cmbFirmwareChoose->setItemData(row, offered ? QVariant() : QVariant(kStandInHint),
                                       Qt::ToolTipRole);
        hinted = hinted || !offered;
    }
    if (hinted && !session_.upgradeRunning() &&
        (lblPhase->text().isEmpty() || lblPhase->text() == kStandInHint))
        lblPhase->setText(kStandInHint);
    else if (!hinted && lblPhase->text() == kStandInHint)
        lblPhase->clear();
}

void TformFirmwareUpgrade::showEvent(QShowEvent* event) {
    updateImageItems();
    QWidget::showEvent(event);
}

void TformFirmwareUpgrade::FirmwareSelect() {
    const int index = cmbFirmwareChoose->currentIndex();
    if (index < 0)
        return;
    if (index == kFileItem) {
        const QString path = dialogs_.openFileName(kFirmwareFileFilter);
        if (path.isEmpty()) {
            // Cancelled: the earlier choice stands, in the box as well.
            const QSignalBlocker quiet(cmbFirmwareChoose);
            cmbFirmwareChoose->setCurrentIndex(lastChoice_);
            return;
        }
        imageName = path;
        imageFromFile = true;
        lblPhase->setText(QStringLiteral("Image: ") + QFileInfo(path).fileName());
    } else {
        imageName = cmbFirmwareChoose->currentText();
        imageFromFile = false;
        lblPhase->clear();
    }
    lastChoice_ = index;
    log_.log_line(imageName);
}

QByteArray TformFirmwareUpgrade::read_firmware_image() {
    if (imageName.isEmpty())
        throw EditorError(QStringLiteral("Choose a firmware image first."));
    QByteArray image;
    if (imageFromFile) {
        QFile file(imageName);
        if (!file.open(QIODevice::ReadOnly))
            throw EditorError(QStringLiteral("Cannot read the firmware file %1: %2")
                                  .arg(imageName, file.errorString()));
        image = file.readAll();
    } else if (const QString maker = makerImagePath(imageName);
               !maker.isEmpty() && !session_.deviceIsSimulated()) {
        // A real pedal gets the maker's image, never the stand-in.
        QFile file(maker);
        if (!file.open(QIODevice::ReadOnly))
            throw EditorError(QStringLiteral("Cannot read the firmware file %1: %2")
                                  .arg(maker, file.errorString()));
        image = file.readAll();
    } else {
        const std::optional<QByteArray> resource = resources::find(imageName);
        if (!resource)
            throw EditorError(QStringLiteral("Resource %1 not found").arg(imageName));
        image = *resource;
    }
    log_.log_line(QStringLiteral("num of bytes read in firmware file: ") +
                  QString::number(image.size()));
    return image;
}

void TformFirmwareUpgrade::btnUpgradeFirmwareClick() {
    if (session_.upgradeRunning() || session_.upgradeDone())
        return;
    const QByteArray image = read_firmware_image();
    if (!session_.isConnected())
        throw EditorError(QStringLiteral("The pedal is not connected. Turn Upgrade Mode on and "
                                         "choose Connection > Connect first."));
    // The bootloader speaks 8E1, which only its check at Connect sets: an
    // upgrade over the firmware's 8N1 would be misframed from its first frame.
    if (!session_.bootloaderFound())
        throw EditorError(QStringLiteral(
            "The pedal's bootloader did not answer at Connect, so nothing was sent. Put the "
            "pedal in its bootloader, choose Connection > Disconnect, then Connect again with "
            "Upgrade Mode on, and press \"Upgrade Firmware\" again."));
    UpgradeView view;
    view.showPhase = [this](const QString& phase) { lblPhase->setText(phase); };
    view.showProgress = [this](int value, int maximum) {
        ProgressBar1->setMaximum(maximum);
        ProgressBar1->setValue(value);
    };
    // The upgrade holds the link to itself: the session refuses every other
    // command until it ends, and reports its failure.
    session_.upgradeFirmware(image, view, dialogs_);
}

} // namespace brivo
