#include "base/Log.h"
#include "catalogue/CatalogueState.h"
#include "catalogue/ResourceName.h"
#include "catalogue/Resources.h"
#include "params/ParamState.h"
#include "params/TformFXParameters.h"
#include "support/ScriptedDialogs.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QWidget>
#include <gtest/gtest.h>

namespace brivo::test {
namespace {

// The display names of the catalogue's effects (line 0, "empty", is none).
QStringList catalogue_effects() {
    QStringList names;
    const QStringList lines = resources::load_resource_lines("effect_list");
    for (int i = 1; i < lines.size(); ++i)
        names.append(lines[i].section(u':', 1));
    return names;
}

// Every effect of the catalogue builds its window from the compiled-in
// resources, with the size its count line calls for.
TEST(CatalogueWindow, EveryCatalogueEffectBuildsItsWindow) {
    ParamState params;
    CatalogueState catalogue;
    MemoryLog log;
    ScriptedDialogs dialogs;
    QWidget mainWindow;
    mainWindow.setGeometry(0, 0, 600, 500);
    TformFXParameters form(params, catalogue, log, dialogs);

    const QStringList effects = catalogue_effects();
    ASSERT_EQ(effects.size(), 58);
    QStringList seenCountLines;
    for (const QString& effect : effects) {
        const QString countLine =
            resources::load_resource_lines(resource_name_of(effect) + "_ctrls").value(0);
        catalogue.currentEffectName = effect;
        catalogue.editable = false;
        ASSERT_TRUE(form.showForEffect(&mainWindow, effect)) << effect.toStdString();
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join('\n').toStdString();
        const int T = static_cast<int>(params.paramCount);
        EXPECT_EQ(form.height(), (T + 2) * 25 + 10) << effect.toStdString();
        EXPECT_EQ(form.windowTitle(), effect);
        for (int i = 0; i < T; ++i) {
            ASSERT_NE(form.boxAssign(i), nullptr);
            EXPECT_FALSE(form.boxAssign(i)->isEnabled());
            EXPECT_EQ(form.lblName(i)->y(), 25 * i + 10);
        }
        if (countLine == "300") {
            EXPECT_EQ(T, 3);
            EXPECT_EQ(form.height(), 135);
            EXPECT_EQ(form.lnSeparator()->height(), 73);
            EXPECT_EQ(form.lblName(2)->y(), 60);
        } else if (countLine == "AC2") {
            EXPECT_EQ(T, 24);
            EXPECT_EQ(form.height(), 660);
            EXPECT_EQ(form.boxAssign(23)->y(), 585);
            EXPECT_EQ(form.cmbMultiSwitch(23)->y(), 585);
        }
        seenCountLines.append(countLine);
        // After the build the shared line list holds the effect's program.
        EXPECT_EQ(catalogue.resourceLines,
                  resources::load_resource_lines(resource_name_of(effect)));
    }
    EXPECT_TRUE(seenCountLines.contains("300"));
    EXPECT_TRUE(seenCountLines.contains("AC2"));
    form.close();
}

} // namespace
} // namespace brivo::test
