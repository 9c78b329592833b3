#include "app/historywindow.h"
#include "app/mainwindow.h"
#include "core/textcatalogue.h"
#include "support/scriptedprompts.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A desktop with no application for web pages: GIO reads only these private folders.
TEST(HomePage, WithoutABrowserShowsTheFixedMessageOnly)
{
    QTemporaryDir desktop;
    ASSERT_TRUE(desktop.isValid());
    const QDir root(desktop.path());
    for (const char *folder : { "data", "config", "shared", "configs" })
        ASSERT_TRUE(root.mkpath(QString::fromLatin1(folder)));
    // The MIME database stays reachable, so index.html is still known as text/html.
    ASSERT_TRUE(QFile::link(QStringLiteral("/usr/share/mime"), root.filePath(QStringLiteral("shared/mime"))));
    qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", root.filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_DIRS", root.filePath(QStringLiteral("shared")).toUtf8());
    qputenv("XDG_CONFIG_DIRS", root.filePath(QStringLiteral("configs")).toUtf8());

    ASSERT_TRUE(TextCatalogue::instance().open(TextCatalogue::defaultPath()));
    TextCatalogue::instance().setLanguageTable(QStringLiteral("german"));
    ScriptedPrompts prompts;
    MainWindow window(prompts);
    const QString logBefore = window.historyWindow()->plainText();

    window.findChild<QAction *>(QStringLiteral("mnuInfoWebHomepage"))->trigger();
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.asked()[0].text, QStringLiteral("Could not find any web browser!"));
    EXPECT_EQ(prompts.asked()[0].title, QStringLiteral("Information"));
    EXPECT_EQ(prompts.asked()[0].icon, Prompts::Icon::Information);
    EXPECT_EQ(window.historyWindow()->plainText(), logBefore);
}

} // namespace
