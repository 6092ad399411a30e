#pragma once

#include <QString>

namespace brivo {

// The main window's caption, also the title of the editor's message boxes.
inline const QString kEditorCaption = QStringLiteral("Tandrel Editor");

// Names the program for the desktop and for --version. No application
// display name is set: the platform would append it to every window's title
// (" — Tandrel Editor"), and each window's title on screen must be exactly
// its caption.
void configure_application();

} // namespace brivo
