#include "params/TformFXParameters.h"

#include "base/Dialogs.h"
#include "base/EditorError.h"
#include "base/Log.h"
#include "catalogue/CatalogueState.h"
#include "catalogue/ResourceName.h"
#include "catalogue/Resources.h"
#include "params/ControlDescriptor.h"
#include "params/ParamMessages.h"
#include "params/ProgramHeader.h"
#include "params/ToggleSwitch.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace brivo {

namespace {

// Row geometry in logical pixels: parameter i has its top at 25 × i + 10.
constexpr int kRowPitch = 25;
constexpr int kRowTop = 10;
constexpr int kControlHeight = 20;
// Two rows of margin below the last parameter, plus the top offset.
constexpr int kExtraRows = 2;

constexpr int kNameX = 10;
constexpr int kNameWidth = 150;
constexpr int kMultiNameWidth = 100;
constexpr int kPotX = 160;
constexpr int kPotWidth = 100;
constexpr int kSwitchX = 190;
constexpr int kSwitchWidth = 40;
constexpr int kSwitchStateX = 120;
constexpr int kSwitchStateWidth = 100;
constexpr int kMultiX = 160;
constexpr int kMultiWidth = 100;
constexpr int kAssignX = 300;
constexpr int kAssignWidth = 50;
constexpr int kReverseX = 360;
constexpr int kReverseWidth = 20;
constexpr int kMinX = 385;
constexpr int kMaxX = 430;
constexpr int kLimitWidth = 40;
constexpr int kClearX = 475;
constexpr int kClearWidth = 20;
constexpr int kSeparatorX = 280;
constexpr int kSeparatorY = 10;
constexpr int kSeparatorWidth = 1;
// The separator grows by 24.5 pixels per parameter (single precision).
constexpr float kSeparatorPitch = 24.5f;

const QString kReverseHint =
    QStringLiteral("toggle the Reverse function for the current parameter");
const QString kNoReverseHint =
    QStringLiteral("The pedal keeps a Reverse setting for the first 16 parameters only");
const QString kMinHint = QStringLiteral("set min value for this parameter");
const QString kMaxHint = QStringLiteral("set max value for this parameter");
const QString kClearHint = QStringLiteral("clear min and max");
const QString kNoLimitText = QStringLiteral("-");

int rowY(int i) {
    return kRowPitch * i + kRowTop;
}

QString named(const char* prefix, int i) {
    return QString::fromLatin1(prefix) + QString::number(i);
}

template <typename T, std::size_t N> void deleteAll(std::array<T*, N>& array) {
    for (T*& control : array) {
        delete control;
        control = nullptr;
    }
}

} // namespace

TformFXParameters::TformFXParameters(ParamState& params, CatalogueState& catalogue, Log& log,
                                     Dialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowContextHelpButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      params_(params), catalogue_(catalogue), log_(log), dialogs_(dialogs),
      loader_([](const QString& name) { return resources::load_resource_lines(name); }) {
    setObjectName(QStringLiteral("formFXParameters"));
    setWindowTitle(QStringLiteral("FX Parameters"));
    setFixedSize(kClientWidth, kDesignHeight);
}

// The controls go first, while the handlers they are wired to still exist.
TformFXParameters::~TformFXParameters() {
    destroyControls();
}

void TformFXParameters::setResourceLoader(ResourceLoader loader) {
    loader_ = std::move(loader);
}

bool TformFXParameters::showForEffect(QWidget* mainWindow, const QString& caption) {
    if (isVisible())
        close();
    if (mainWindow != nullptr) {
        const QRect main = mainWindow->frameGeometry();
        move(main.x() + main.width(), main.y());
    }
    if (!OnShow())
        return false;
    show();
    setWindowTitle(caption);
    const int height = (static_cast<int>(params_.paramCount) + kExtraRows) * kRowPitch + kRowTop;
    setFixedSize(kClientWidth, height);
    return true;
}

QStringList TformFXParameters::loadResource(const QString& name) {
    QStringList lines = loader_(name);
    catalogue_.resourceLines = lines;
    return lines;
}

bool TformFXParameters::refuse(const QString& text) {
    log_.log_line(text);
    if (isVisible())
        close();
    else
        destroyControls();
    dialogs_.showMessage(text);
    return false;
}

bool TformFXParameters::OnShow() {
    // Everything is read and checked before the first control exists, so a
    // faulty descriptor or program leaves no half-built window behind.
    const QString resourceName = resource_name_of(catalogue_.currentEffectName);
    const QString descriptorName = resourceName + QStringLiteral("_ctrls");
    const QStringList descriptorLines = loadResource(descriptorName);
    ControlDescriptor descriptor;
    try {
        descriptor = parse_control_descriptor(descriptorLines, descriptorName);
    } catch (const EditorError& e) {
        return refuse(e.text());
    }
    const DescriptorCounts& counts = descriptor.counts;
    log_.log_line(QStringLiteral("num of pots: ") + QString::number(counts.pots));
    log_.log_line(QStringLiteral("num of switches: ") + QString::number(counts.switches));
    log_.log_line(QStringLiteral("num of multi switch: ") + QString::number(counts.multis));
    for (const QString& line : descriptor.paramLines)
        log_.log_line(line);

    log_.log_line(QStringLiteral("resource name: ") + resourceName);
    const QString programText = loadResource(resourceName).value(0);
    log_.log_line(QStringLiteral("content: ") + programText);
    log_.log_line(QStringLiteral("file content size: ") + QString::number(programText.size() / 2));
    std::array<QString, kParamSlots> addresses;
    try {
        addresses = read_parameter_addresses(programText, resourceName);
    } catch (const EditorError& e) {
        return refuse(e.text());
    }

    destroyControls();
    params_.potCount = counts.pots;
    params_.switchCount = counts.switches;
    params_.multiCount = counts.multis;
    params_.paramCount = counts.total();
    for (int i = 0; i < descriptor.paramLines.size(); ++i)
        params_.paramNames[i] = descriptor.paramLines.at(i);
    params_.paramAddresses = addresses;
    for (const QString& address : addresses)
        log_.log_line(QStringLiteral("parameter address: ") + address);

    createControls(catalogue_.editable);
    built_ = true;
    return true;
}

void TformFXParameters::createControls(bool editable) {
    // The reverse boxes start unticked: the state says what they show.
    params_.reverseFlags.fill(false);
    const int P = static_cast<int>(params_.potCount);
    const int S = static_cast<int>(params_.switchCount);
    const int T = static_cast<int>(params_.paramCount);

    auto makeName = [this](int i, const QString& text, int width) {
        auto* label = new QLabel(text, this);
        label->setObjectName(named("lblName", i));
        label->setGeometry(kNameX, rowY(i), width, kControlHeight);
        label->show();
        return label;
    };

    for (int i = 0; i < P; ++i) {
        auto* pot = new QSlider(Qt::Horizontal, this);
        pot->setObjectName(named("trkPot", i));
        pot->setRange(0, kValueMax);
        pot->setGeometry(kPotX, rowY(i), kPotWidth, kControlHeight);
        pot->show();
        connect(pot, &QSlider::valueChanged, this, [this, pot] { PotParameterChange(pot); });
        trkPot_[i] = pot;
        lblName_[i] = makeName(i, params_.paramNames[i], kNameWidth);
        lblName_[i]->setToolTip(params_.paramNames[i]);
    }

    for (int i = P; i < P + S; ++i) {
        auto* toggle = new ToggleSwitch(this);
        toggle->setObjectName(named("swtSwitch", i));
        toggle->setGeometry(kSwitchX, rowY(i), kSwitchWidth, kControlHeight);
        toggle->show();
        connect(toggle, &ToggleSwitch::clicked, this,
                [this, toggle] { SwitchParameterClick(toggle); });
        swtSwitch_[i] = toggle;
        const SwitchLine line = split_switch_line(params_.paramNames[i]);
        lblName_[i] = makeName(i, line.name, kNameWidth);
        params_.switchTexts[0][i] = line.offText;
        params_.switchTexts[1][i] = line.onText;
        log_.log_line(line.offText);
        log_.log_line(line.onText);
        auto* state = new QLabel(line.offText, this);
        state->setObjectName(named("lblSwitchState", i));
        state->setGeometry(kSwitchStateX, rowY(i), kSwitchStateWidth, kControlHeight);
        // The state label overlaps the switch's left half; clicks go through to it.
        state->setAttribute(Qt::WA_TransparentForMouseEvents);
        state->show();
        lblSwitchState_[i] = state;
    }

    for (int i = P + S; i < T; ++i) {
        auto* multi = new QComboBox(this);
        multi->setObjectName(named("cmbMultiSwitch", i));
        multi->setGeometry(kMultiX, rowY(i), kMultiWidth, kControlHeight);
        const MultiSwitchLine line = split_multi_switch_line(params_.paramNames[i]);
        QLabel* label = makeName(i, line.name, kMultiNameWidth);
        label->setWordWrap(true);
        // Sized to its text: the width stays, the height follows the wrapped lines.
        const int textHeight = label->heightForWidth(kMultiNameWidth);
        label->resize(kMultiNameWidth, textHeight > 0 ? textHeight : kControlHeight);
        lblName_[i] = label;
        log_.log_line(line.rest);
        params_.optionCounts[i] = static_cast<std::uint32_t>(line.options.size());
        for (const QString& option : line.options) {
            log_.log_line(option);
            multi->addItem(option);
        }
        multi->setCurrentIndex(-1);
        multi->show();
        connect(multi, &QComboBox::currentIndexChanged, this,
                [this, multi] { MultiSwitchOnChange(multi); });
        cmbMultiSwitch_[i] = multi;
    }

    for (int i = 0; i < T; ++i) {
        auto* box = new QComboBox(this);
        box->setObjectName(named("boxAssign", i));
        box->setGeometry(kAssignX, rowY(i), kAssignWidth, kControlHeight);
        for (const QString& name : controllerNames)
            box->addItem(name);
        box->setCurrentIndex(-1);
        box->show();
        connect(box, &QComboBox::currentIndexChanged, this,
                [this, box] { boxAssignOnChange(box); });
        boxAssign_[i] = box;
    }

    lnSeparator_ = new QFrame(this);
    lnSeparator_->setObjectName(QStringLiteral("lnSeparator"));
    lnSeparator_->setFrameShape(QFrame::VLine);
    lnSeparator_->setFrameShadow(QFrame::Plain);
    lnSeparator_->setGeometry(kSeparatorX, kSeparatorY, kSeparatorWidth,
                              static_cast<int>(static_cast<float>(T) * kSeparatorPitch));
    lnSeparator_->show();

    for (int i = 0; i < T; ++i) {
        auto* reverse = new QCheckBox(this);
        reverse->setObjectName(named("chkReverse", i));
        reverse->setGeometry(kReverseX, rowY(i), kReverseWidth, kControlHeight);
        const bool reversible = i < kReverseFlagSlots;
        reverse->setToolTip(reversible ? kReverseHint : kNoReverseHint);
        reverse->setAccessibleDescription(reversible ? kReverseHint : kNoReverseHint);
        reverse->show();
        connect(reverse, &QCheckBox::toggled, this, [this, i](bool ticked) {
            params_.reverseFlags[static_cast<std::size_t>(i)] = ticked;
        });
        chkReverse_[i] = reverse;
    }

    auto makeLimitButton = [this](const char* prefix, int i, const QString& text,
                                  const QString& hint, int x, int width) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(named(prefix, i));
        button->setGeometry(x, rowY(i), width, kControlHeight);
        button->setToolTip(hint);
        button->setAccessibleDescription(hint);
        button->show();
        return button;
    };
    for (int i = 0; i < P; ++i) {
        QPushButton* min = makeLimitButton("btnMin", i, kNoLimitText, kMinHint, kMinX, kLimitWidth);
        QPushButton* max = makeLimitButton("btnMax", i, kNoLimitText, kMaxHint, kMaxX, kLimitWidth);
        QPushButton* clear = makeLimitButton("btnClearMinMax", i, QStringLiteral("C"), kClearHint,
                                             kClearX, kClearWidth);
        connect(min, &QPushButton::clicked, this, [this, min] { btnMinClick(min); });
        connect(max, &QPushButton::clicked, this, [this, max] { btnMaxClick(max); });
        connect(clear, &QPushButton::clicked, this, [this, clear] { ClearMinMaxClick(clear); });
        btnMin_[i] = min;
        btnMax_[i] = max;
        btnClearMinMax_[i] = clear;
    }
    // Built for the running effect, the controls are offered; the limit
    // buttons wait for a status, a file or the player's assignment.
    unlocked_ = editable;
    limitsOffered_.fill(false);
    updateControls();
    refreshAccessibleNames();
}

void TformFXParameters::destroyControls() {
    deleteAll(lblName_);
    deleteAll(trkPot_);
    deleteAll(swtSwitch_);
    deleteAll(lblSwitchState_);
    deleteAll(cmbMultiSwitch_);
    deleteAll(boxAssign_);
    deleteAll(chkReverse_);
    deleteAll(btnMin_);
    deleteAll(btnMax_);
    deleteAll(btnClearMinMax_);
    delete lnSeparator_;
    lnSeparator_ = nullptr;
    built_ = false;
}

void TformFXParameters::OnClose() {
    destroyControls();
    if (onClosed)
        onClosed();
}

void TformFXParameters::closeEvent(QCloseEvent* event) {
    OnClose();
    event->accept();
}

void TformFXParameters::EnableDisableControls(bool enable) {
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->setEnabled(enable);
    unlocked_ = enable;
    limitsOffered_.fill(true);
    updateControls();
}

void TformFXParameters::offerLimits() {
    limitsOffered_.fill(true);
    updateControls();
}

void TformFXParameters::lockOut() {
    EnableDisableControls(false);
    limitsOffered_.fill(false);
    updateControls();
}

void TformFXParameters::updateControls() {
    const int P = static_cast<int>(params_.potCount);
    for (int i = 0; i < kParamSlots; ++i) {
        for (QWidget* control : std::initializer_list<QWidget*>{trkPot_[i], swtSwitch_[i],
                                                                cmbMultiSwitch_[i], boxAssign_[i]})
            if (control != nullptr)
                control->setEnabled(unlocked_);
        // Ticking these would reach nothing on the pedal.
        if (chkReverse_[i] != nullptr)
            chkReverse_[i]->setEnabled(unlocked_ && i < kReverseFlagSlots);
        // Limits work on assigned pots only.
        const bool limits = i < P && limitsOffered_[static_cast<std::size_t>(i)] &&
                            params_.assignedFlags[static_cast<std::size_t>(i)] == 1;
        for (QPushButton* button : {btnMin_[i], btnMax_[i], btnClearMinMax_[i]})
            if (button != nullptr)
                button->setEnabled(limits);
    }
}

int TformFXParameters::findParameter(QObject* sender, Kind kind) const {
    if (sender == nullptr)
        return -1;
    const int P = static_cast<int>(params_.potCount);
    const int S = static_cast<int>(params_.switchCount);
    const int T = std::min(static_cast<int>(params_.paramCount), kParamSlots);
    auto search = [sender](const auto& array, int from, int to) {
        for (int i = std::max(from, 0); i < std::min(to, kParamSlots); ++i)
            if (array[i] != nullptr && static_cast<QObject*>(array[i]) == sender)
                return i;
        return -1;
    };
    switch (kind) {
    case Kind::Pot:
        return search(trkPot_, 0, P);
    case Kind::Switch:
        return search(swtSwitch_, P, P + S);
    case Kind::MultiSwitch:
        return search(cmbMultiSwitch_, P + S, T);
    case Kind::Assign:
        return search(boxAssign_, 0, T);
    case Kind::MinButton:
        return search(btnMin_, 0, P);
    case Kind::MaxButton:
        return search(btnMax_, 0, P);
    case Kind::ClearButton:
        return search(btnClearMinMax_, 0, P);
    }
    return -1;
}

void TformFXParameters::showSwitchState(int i) {
    ToggleSwitch* toggle = swtSwitch(i);
    QLabel* state = lblSwitchState(i);
    if (toggle == nullptr || state == nullptr)
        return;
    state->setText(params_.switchTexts[toggle->isChecked() ? 1 : 0][i]);
}

void TformFXParameters::refreshAccessibleNames() {
    const auto shown = [](const QPushButton* limit) {
        return limit->text() == kNoLimitText ? QStringLiteral("not set") : limit->text();
    };
    for (int i = 0; i < std::min(static_cast<int>(params_.paramCount), kParamSlots); ++i) {
        const QString name = lblName_[i] != nullptr ? lblName_[i]->text() : params_.paramNames[i];
        for (QWidget* control :
             std::initializer_list<QWidget*>{trkPot_[i], swtSwitch_[i], cmbMultiSwitch_[i]})
            if (control != nullptr)
                control->setAccessibleName(name);
        if (QComboBox* box = boxAssign_[i]) {
            box->setAccessibleName(
                name + QStringLiteral(" controller ") +
                (box->currentIndex() < 0 ? QStringLiteral("none") : box->currentText()));
            // Qt on Linux names a combo box by its current text: the
            // description says whose it is there.
            box->setAccessibleDescription(QStringLiteral("the controller that drives ") + name);
        }
        if (chkReverse_[i] != nullptr)
            chkReverse_[i]->setAccessibleName(name + QStringLiteral(" reverse"));
        if (btnMin_[i] != nullptr)
            btnMin_[i]->setAccessibleName(name + QStringLiteral(" minimum ") + shown(btnMin_[i]));
        if (btnMax_[i] != nullptr)
            btnMax_[i]->setAccessibleName(name + QStringLiteral(" maximum ") + shown(btnMax_[i]));
        if (btnClearMinMax_[i] != nullptr)
            btnClearMinMax_[i]->setAccessibleName(name + QStringLiteral(" clear limits"));
    }
}

void TformFXParameters::PotParameterChange(QObject* sender) {
    if (quiet_)
        return;
    const int i = findParameter(sender, Kind::Pot);
    if (i >= 0)
        emit potChanged(i);
}

void TformFXParameters::SwitchParameterClick(QObject* sender) {
    const int i = findParameter(sender, Kind::Switch);
    if (i >= 0)
        emit switchClicked(i);
}

void TformFXParameters::MultiSwitchOnChange(QObject* sender) {
    if (quiet_)
        return;
    const int i = findParameter(sender, Kind::MultiSwitch);
    if (i >= 0)
        emit multiSwitchChanged(i);
}

void TformFXParameters::boxAssignOnChange(QObject* sender) {
    const int c = findParameter(sender, Kind::Assign);
    if (c < 0)
        return;
    apply_assignment_choice(params_, c, boxAssign_[c]->currentIndex());
    // Limits work on assigned pots only: the buttons follow the player's
    // choice at once, not at the next status.
    if (c < static_cast<int>(params_.potCount) && boxAssign_[c]->isEnabled()) {
        const bool assigned = params_.assignedFlags[c] == 1;
        limitsOffered_[static_cast<std::size_t>(c)] = true;
        updateControls();
        if (!assigned) {
            btnMin_[c]->setText(kNoLimitText);
            btnMax_[c]->setText(kNoLimitText);
        }
    }
    emit assignChanged(c);
    refreshAccessibleNames();
}

void TformFXParameters::btnMinClick(QObject* sender) {
    const int j = findParameter(sender, Kind::MinButton);
    if (j >= 0)
        emit limitClicked(j, 0);
    refreshAccessibleNames();
}

void TformFXParameters::btnMaxClick(QObject* sender) {
    const int j = findParameter(sender, Kind::MaxButton);
    if (j >= 0)
        emit limitClicked(j, 1);
    refreshAccessibleNames();
}

void TformFXParameters::ClearMinMaxClick(QObject* sender) {
    const int j = findParameter(sender, Kind::ClearButton);
    if (j >= 0)
        emit limitClicked(j, 2);
    refreshAccessibleNames();
}

} // namespace brivo
