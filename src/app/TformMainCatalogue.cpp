// The category and effect lists of the main window.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "catalogue/ResourceName.h"
#include "catalogue/Resources.h"
#include "catalogue/TformFXInfo.h"
#include "ir/IrSplice.h"
#include "params/TformFXParameters.h"

#include <QAction>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

namespace brivo {

namespace {
const QStringList kImpulseResponseHowTo = {
    QStringLiteral("How to load an impulse response:"),
    QStringLiteral("1) Select an IR load algorithm in Impulse Response category"),
    QStringLiteral("2) Go to File and click Load IR, choose the desired WAV file"),
    QStringLiteral("3) Click UPLOAD SELECTED EFFECT button"),
    QStringLiteral("Works best with 48kHz sampling rate at a bitrate of 24 or 32 bit"),
};
constexpr int kVirtualKeyUp = Qt::Key_Up;
constexpr int kVirtualKeyDown = Qt::Key_Down;

// The selected row, -1 when none. The list can hold a current row that is not
// selected (keyboard focus lands on the first row), which counts as none.
int selectedRow(const QListWidget* list) {
    const QListWidgetItem* item = list->currentItem();
    return item != nullptr && item->isSelected() ? list->row(item) : -1;
}
} // namespace

void TformMain::load_resource_lines(const QString& name) {
    editor_.catalogue.resourceLines = resources::load_resource_lines(name);
}

void TformMain::create_categories() {
    for (const QString& name : categoryNames)
        lstCategory->addItem(name);
    connect(lstCategory, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int category = lstCategory->row(item);
        guarded([this, category] { categoryClick(category); });
    });
    connect(lstEffects, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        // The clicked row is the chosen effect, also after a Ctrl+click that
        // took its selection away.
        lstEffects->setCurrentItem(item);
        guarded([this] { effetto_cliccato(); });
    });
    lstEffects->installEventFilter(this);
}

void TformMain::fill_effect_list() {
    lstEffects->addItems(editor_.catalogue.resourceLines);
}

void TformMain::categoryClick(int category) {
    const QString& name = categoryNames.at(static_cast<std::size_t>(category));
    lstEffects->clear();
    load_resource_lines(resource_name_of(name).toLower());
    fill_effect_list();
    editor_.catalogue.currentCategory = name;
    if (name == kImpulseResponseCategory)
        editor_.dialogs.showMessage(kImpulseResponseHowTo.join(QStringLiteral("\r\n")));
}

void TformMain::effetto_cliccato() {
    CatalogueState& catalogue = editor_.catalogue;
    const int row = selectedRow(lstEffects);
    editor_.log.log_line(QStringLiteral("efx index :") + QString::number(row));
    catalogue.currentEffectName = row >= 0 ? lstEffects->item(row)->text() : QString();
    editor_.log.log_line(QStringLiteral("selected effect name: ") + catalogue.currentEffectName);
    if (!catalogue.currentEffectName.isEmpty())
        offers_.info = true;
    // Only a connected pedal runs anything the window could edit.
    const RunningEffect& pedal = editor_.session.running();
    const bool running = isConnected() && !pedal.runningEffectName.isEmpty() &&
                         catalogue.currentEffectName == pedal.runningEffectName;
    catalogue.editable = running;
    if (!running)
        withdrawEffectCommands();
    const bool shown = showFXParameters(catalogue.currentEffectName);
    // Rebuilding an open window runs its close handler, which withdraws
    // Request and Assign: the running effect's commands are offered after it.
    if (running && shown) {
        offers_.request = true;
        const bool restored = restoreLastStatus();
        offers_.assign = restored;
        offers_.store = restored;
    }
    updateControls();
}

void TformMain::btnGetFXInfoClick() {
    if (fxInfo_ != nullptr && fxParameters_ != nullptr)
        fxInfo_->showPage(fxParameters_->frameGeometry(), editor_.catalogue.currentEffectName);
}

bool TformMain::showFXParameters(const QString& caption) {
    const bool shown = fxParameters_ != nullptr && fxParameters_->showForEffect(this, caption);
    // A status reply asked for another effect must not land in these controls.
    editor_.session.setShownEffect(shown ? editor_.catalogue.currentEffectName : QString());
    updateControls();
    return shown;
}

bool TformMain::move_up_or_down(int key) {
    const int row = selectedRow(lstEffects);
    if (key == kVirtualKeyUp) {
        editor_.log.log_line(QStringLiteral("arrow up pressed"));
        if (row > 0)
            lstEffects->setCurrentRow(row - 1);
        return true;
    }
    if (key == kVirtualKeyDown) {
        editor_.log.log_line(QStringLiteral("arrow down pressed"));
        if (row < lstEffects->count() - 1)
            lstEffects->setCurrentRow(row + 1);
        return true;
    }
    return false;
}

bool TformMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lstEffects && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        // The list box's own arrow handling would move a second row.
        return move_up_or_down(key);
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace brivo
