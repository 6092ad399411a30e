// Open FX: showing what the pedal runs.
#include "app/Editor.h"
#include "app/TformMain.h"
#include "catalogue/ResourceName.h"
#include "catalogue/Resources.h"
#include "params/TformFXParameters.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace brivo {

void TformMain::btnOpenEffectClick() {
    editor_.session.identify();
}

void TformMain::showFirmwareVersion(int version) {
    lblFirmwareVersion->setText(QStringLiteral("Firmware Version: ") + QString::number(version));
}

void TformMain::runningEffectIdentified() {
    const RunningEffect& running = editor_.session.running();
    editor_.catalogue.currentEffectName = running.runningEffectName;
    editor_.catalogue.editable = true;
    offers_.request = true;
    updateControls();
    btnRequest->setFocus();
    if (!showFXParameters(running.runningEffectName + QStringLiteral(" v") +
                          QString::number(running.runningEffectVersion)))
        return;
    fxParameters_->EnableDisableControls(false);
    // Rebuilt, the window's close handler withdrew Request: it is offered again.
    offers_.request = true;
    updateControls();

    for (int i = 0; i < static_cast<int>(categoryNames.size()); ++i) {
        const QString resource = resource_name_of(categoryNames.at(static_cast<std::size_t>(i)));
        lstEffects->clear();
        load_resource_lines(resource);
        if (select_running_effect(i)) {
            // The category shown is the current one: the upload and Load IR
            // follow the effect's own category.
            editor_.catalogue.currentCategory = categoryNames.at(static_cast<std::size_t>(i));
            updateControls();
            const int row = selectedEffectRow_;
            load_resource_lines(resource);
            fill_effect_list();
            lstEffects->setCurrentRow(row);
            return;
        }
    }
}

void TformMain::forgetRunningEffect() {
    editor_.catalogue.editable = false;
    // The window would offer edits of an effect the pedal no longer runs.
    if (fxParameters_ != nullptr && fxParameters_->isVisible())
        fxParameters_->close();
    withdrawEffectCommands();
    updateControls();
}

bool TformMain::select_running_effect(int category) {
    const qsizetype row =
        editor_.catalogue.resourceLines.indexOf(editor_.session.running().runningEffectName);
    if (row < 0)
        return false;
    lstCategory->setCurrentRow(category);
    selectedEffectRow_ = static_cast<int>(row);
    return true;
}

} // namespace brivo
