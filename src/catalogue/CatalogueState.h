#pragma once

#include <QString>
#include <QStringList>
#include <array>

namespace brivo {

inline const std::array<QString, 7> categoryNames = {
    QStringLiteral("Gain"),   QStringLiteral("Modulation"), QStringLiteral("Synthesis"),
    QStringLiteral("Filter"), QStringLiteral("Dynamic"),    QStringLiteral("Impulse Response"),
    QStringLiteral("Other")};

inline const QString kImpulseResponseCategory = QStringLiteral("Impulse Response");

// What the user has chosen in the category browser.
struct CatalogueState {
    QString currentCategory;
    QString currentEffectName;
    QStringList resourceLines;
    // The FX Parameters window creates its controls enabled only when set.
    bool editable = false;
};

} // namespace brivo
