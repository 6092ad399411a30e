#include "catalogue/PageColours.h"
#include "catalogue/Resources.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

TEST(PageColours, TheBodysTextColourIsTheOneThePageMeans) {
    const struct {
        const char* page;
        const char* colour;
    } cases[] = {
        {"<html><body bgcolor=\"#FFFFFF\" text=\"#202020\"><p>x</p></body></html>", "#202020"},
        {"<BODY TEXT='#00FF00'>", "#00ff00"},
        {"<body text=navy bgcolor=white>", "#000080"},
        // A background alone means the browser's black text.
        {"<body bgcolor=\"#FFFFFF\">", "#000000"},
        {"<body bgcolor=\"#FFFFFF\" text=\"not a colour\">", "#000000"},
        // Neither: the look's colours hold.
        {"<body>", ""},
        {"<p>no body</p>", ""},
        // Another tag's attributes are not the body's.
        {"<bodyguard text=\"#123456\"><body>", ""},
        {"<font color=\"#FFFFFF\"><body>", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(page_text_colour(c.page), QString::fromLatin1(c.colour)) << c.page;
    EXPECT_EQ(page_style_sheet("#202020"), "body { color: #202020; }");
    EXPECT_TRUE(page_style_sheet("").isEmpty());
}

TEST(PageColours, EveryCataloguePageNamesItsTextColour) {
    for (const char* name : {"CHORUS_INFO", "CLEAN_BOOST_INFO", "ANALOG_DELAY_INFO"}) {
        const auto page = resources::find(QString::fromLatin1(name));
        ASSERT_TRUE(page.has_value()) << name;
        EXPECT_EQ(page_text_colour(*page), "#202020") << name;
    }
}

} // namespace
} // namespace brivo
