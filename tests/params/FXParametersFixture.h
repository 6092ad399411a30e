#pragma once

#include "ProgramText.h"
#include "base/EditorError.h"
#include "base/Log.h"
#include "catalogue/CatalogueState.h"
#include "catalogue/ResourceName.h"
#include "params/ParamState.h"
#include "params/TformFXParameters.h"
#include "support/ScriptedDialogs.h"

#include <QMap>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace brivo::test {

// The FX Parameters window over hand-made resources: `resources` maps a
// resource name (any case) to its lines, and a name without an entry fails
// like the catalogue's loader.
class FXParametersFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        params.reset_min_max_array();
        form = std::make_unique<TformFXParameters>(params, catalogue, log, dialogs);
        form->setResourceLoader([this](const QString& name) {
            loadedNames.append(name);
            const auto it = resources.constFind(name.toUpper());
            if (it == resources.constEnd())
                throw EditorError(QStringLiteral("Resource %1 not found").arg(name));
            return it.value();
        });
        form->onClosed = [this] { ++closedCount; };
        mainWindow.setGeometry(100, 50, 640, 480);
    }

    void TearDown() override { form.reset(); }

    // Adds an effect under its display name with the given descriptor lines.
    void addEffect(const QString& displayName, const QStringList& descriptor,
                   const std::array<QString, 24>& addresses = numbered_addresses()) {
        const QString resourceName = resource_name_of(displayName).toUpper();
        resources.insert(resourceName + "_CTRLS", descriptor);
        resources.insert(resourceName, {program_text(addresses)});
    }

    bool showEffect(const QString& displayName, bool editable) {
        catalogue.currentEffectName = displayName;
        catalogue.editable = editable;
        return form->showForEffect(&mainWindow, displayName);
    }

    // The window's own controls, direct children only.
    QList<QWidget*> controls() const {
        return form->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    }

    ParamState params;
    CatalogueState catalogue;
    MemoryLog log;
    ScriptedDialogs dialogs;
    QWidget mainWindow;
    QMap<QString, QStringList> resources;
    QStringList loadedNames;
    int closedCount = 0;
    std::unique_ptr<TformFXParameters> form;
};

// The descriptor of the example effect: 4 pots, 2 switches, 1 multi-switch.
inline QStringList example_descriptor() {
    return {"421", "Gain",         "Tone",           "Level",
            "Dry", "Boost:OFF:ON", "Clip:Soft:Hard", "Tracking;1;2;3;4"};
}

// A descriptor with the given counts: pots "Pot i", switches "Sw i:Off i:On i",
// multi-switches "Multi i;a;b;c".
inline QStringList counted_descriptor(int pots, int switches, int multis) {
    static const char digits[] = "0123456789ABCDEF";
    QStringList lines{QString(QChar::fromLatin1(digits[pots])) +
                      QChar::fromLatin1(digits[switches]) + QChar::fromLatin1(digits[multis])};
    int i = 0;
    for (int k = 0; k < pots; ++k, ++i)
        lines.append(QStringLiteral("Pot %1").arg(i));
    for (int k = 0; k < switches; ++k, ++i)
        lines.append(QStringLiteral("Sw %1:Off %1:On %1").arg(i));
    for (int k = 0; k < multis; ++k, ++i)
        lines.append(QStringLiteral("Multi %1;a;b;c").arg(i));
    return lines;
}

} // namespace brivo::test
