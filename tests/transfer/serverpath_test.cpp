// Splitting server paths into the names the engines walk one by one.
#include "transfer/serverpath.h"

#include <gtest/gtest.h>

TEST(ServerPathTest, SplitsAbsolutePathsIntoFolderNames)
{
    const struct {
        const char *path;
        QStringList names;
    } cases[] = {
        { "/pub/docs/img/", { "pub", "docs", "img" } },
        { "/pub/docs", { "pub", "docs" } },
        { "/", { "/" } },
        { "/ lead/trail /", { " lead", "trail " } },
        { "/Grüße/", { "Grüße" } },
    };
    for (const auto &c : cases)
        EXPECT_EQ(SplitServerPath(QString::fromUtf8(c.path)), c.names) << c.path;
}
