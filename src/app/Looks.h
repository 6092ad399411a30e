#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace brivo {

// The looks of the windows: Qt style sheets carried as resources STYLE_0 to
// STYLE_7. Look 0 is the platform's own look.
constexpr int kLookCount = 8;
// The Look menu offers looks 0 to 6; look 7 is reached only through style.txt.
constexpr int kLookMenuItemCount = 7;

// What the menu tells the user about a look.
struct LookInfo {
    QString name;
    // Every text colour the sheet sets meets 4.5:1 on the background it sets.
    bool meetsContrastAA;
    // How much larger every window is drawn. The windows keep their designed
    // geometry, so text grows by scaling everything, which Qt allows only
    // before it starts: this part of a look shows from the next start.
    double scale = 1.0;
};

// The look's name and promise; look numbers outside 0..7 have none.
std::optional<LookInfo> look_info(int look);

// "Style_" and the number: the resource that holds the look.
QString look_resource_name(int look);

// The style sheet of the look, or nothing when no resource holds it.
std::optional<QString> look_style_sheet(int look);

// Makes the look the style of every window at once; false (and nothing
// changed) when no resource holds it.
bool apply_look(int look);

// The look number in the text of style.txt: a whole number, blanks around it
// allowed; nothing for any other text.
std::optional<int> parse_look_file(const QByteArray& text);

// style.txt in the maker's folder.
QString look_file_path(const QString& makerFolder);

// The look saved in style.txt in `makerFolder`; look 0 when the file is
// missing, unreadable, not a number, or names no look.
int read_saved_look(const QString& makerFolder);

// Asks Qt to draw every window at the saved look's scale. Call before the
// application object exists; a scale the user set in QT_SCALE_FACTOR wins.
// True when it set QT_SCALE_FACTOR itself.
bool prepare_look_scale(const QString& makerFolder);

// Once the application object has taken the scale: takes the look's
// QT_SCALE_FACTOR out of the environment again, so the programs the editor
// starts (the browser of Help > Support) keep their own size. A scale the
// user set stays.
void keep_look_scale_to_editor(bool setByLook);

// The text style.txt holds for a look: its number in decimal, no line end.
QByteArray look_file_text(int look);

} // namespace brivo
