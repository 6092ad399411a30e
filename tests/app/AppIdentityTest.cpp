// The program's names, and how the desktop titles its windows.
#include "app/AppIdentity.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace brivo::test {
namespace {

// The platform appends a set application display name to every window's
// title on screen (" — Tandrel Editor"); with none set, each window's title
// is exactly its caption.
TEST(AppIdentity, SetsNoDisplayNameSoTitlesOnScreenAreTheCaptions) {
    configure_application();
    EXPECT_EQ(QCoreApplication::applicationName(), "brivo-editor");
    EXPECT_FALSE(QCoreApplication::applicationVersion().isEmpty());

    // Only an unset display name follows the application name.
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "probe");
    QCoreApplication::setApplicationName(QStringLiteral("brivo-editor"));
}

} // namespace
} // namespace brivo::test
