#pragma once

#include <QIcon>
#include <QImage>

namespace brivo {

// The editor's icon, the same picture the desktop entry shows, drawn from the
// SVG carried with the program.
QImage render_app_icon(int sizePx);

// The icon at the sizes desktops ask for.
QIcon app_icon();

} // namespace brivo
