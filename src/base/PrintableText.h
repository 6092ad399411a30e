#pragma once

#include <QByteArray>
#include <QString>

namespace brivo {

// Screen readers and the clipboard cut text at the first zero character, and
// other control characters break lines or show as boxes. Texts from the pedal
// and the bridge go through one of these before they are shown.

// Control characters (C0, DEL, C1, line separators) removed: for labels
// and names.
QString strip_control_characters(const QString& text);

// Each C0 control character and DEL shown as its Unicode control picture
// (a zero as U+2400 "NUL"), C1 controls and line separators as U+FFFD:
// every character stays visible and the text stays one line.
QString visible_control_characters(const QString& text);

// Bytes as 8-bit characters (Latin-1) with visible control characters.
QString printable_text(const QByteArray& bytes);

} // namespace brivo
