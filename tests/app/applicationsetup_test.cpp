// The application object's set-up: the main window's title reaches the desktop exactly as the
// window sets it.

#include "app/applicationsetup.h"
#include "app/mainwindow.h"
#include "core/textcatalogue.h"
#include "support/englishcatalogue.h"
#include "support/scriptedprompts.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

// Qt appends " — " and the display name to every window title once a display name has been set
// explicitly; left unset, the display name only mirrors the application name and no title
// gets a suffix.
TEST(ApplicationSetup, WindowTitleGetsNoDisplayNameSuffix)
{
    setUpApplication(*qApp);
    const QString name = QApplication::applicationName();
    EXPECT_EQ(name, QStringLiteral("Ferrolink"));
    QApplication::setApplicationName(QStringLiteral("renamed"));
    EXPECT_EQ(QApplication::applicationDisplayName(), QStringLiteral("renamed"));
    QApplication::setApplicationName(name);

    ASSERT_TRUE(useEnglishCatalogue());
    ScriptedPrompts prompts;
    MainWindow window(prompts);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Ferrolink Release 1 Version 3"));
}

} // namespace
