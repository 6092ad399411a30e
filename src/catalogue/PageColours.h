#pragma once

#include <QByteArray>
#include <QString>

namespace brivo {

// The text colour an information page means for its body: its text="..."
// attribute; black when it sets only a background (what a browser draws
// then); empty when it sets neither, and the look's colours apply. The view
// honours a page's background but not its text colour, so the editor must
// pass this on or the look's light text may stand on the page's white.
QString page_text_colour(const QByteArray& page);

// A default style sheet for the view that gives the body that colour; empty
// for an empty colour.
QString page_style_sheet(const QString& textColour);

} // namespace brivo
