// The window's icon is drawn from the SVG the desktop entry installs.
#include "app/AppIcon.h"

#include <gtest/gtest.h>

namespace brivo {
namespace {

TEST(AppIcon, DrawsThePedalAtEverySizeTheDesktopAsksFor) {
    for (int size : {16, 48, 256}) {
        const QImage image = render_app_icon(size);
        ASSERT_EQ(image.size(), QSize(size, size));
        // The corner stays clear; the middle is the pedal's body.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
    }
    const QIcon icon = app_icon();
    EXPECT_FALSE(icon.isNull());
    EXPECT_TRUE(icon.availableSizes().contains(QSize(256, 256)));
}

} // namespace
} // namespace brivo
