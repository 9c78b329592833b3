// The recent servers: their order, their number, and a file that went bad.

#include "connection/recentservers.h"

#include "core/textcatalogue.h"
#include "support/englishcatalogue.h"
#include "support/localfiles.h"
#include "support/recordinghistorylog.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

RecentServer server(int n, const QString &user = QStringLiteral("anna"))
{
    return { QStringLiteral("ftp%1.example.org").arg(n), QStringLiteral("21"), user };
}

class RecentServersTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(useEnglishCatalogue()); }

    // The list as the next start reads it.
    QList<RecentServer> reread()
    {
        RecentServers next(file);
        next.load(history);
        return next.servers();
    }

    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("recent.conf"));
    RecordingHistoryLog history;
    RecentServers recent { file };
};

TEST_F(RecentServersTest, NoFileIsAnEmptyListAndNoLine)
{
    recent.load(history);
    EXPECT_TRUE(recent.servers().isEmpty());
    EXPECT_TRUE(history.lines().isEmpty());
}

TEST_F(RecentServersTest, TheNewestComesFirstAndOnlyTheLastTenStay)
{
    for (int n = 1; n <= 12; ++n)
        ASSERT_TRUE(recent.remember(server(n)));
    QList<RecentServer> expected;
    for (int n = 12; n > 2; --n)
        expected.append(server(n));
    EXPECT_EQ(recent.servers(), expected);
    EXPECT_EQ(reread(), expected);
    EXPECT_TRUE(history.lines().isEmpty());
}

TEST_F(RecentServersTest, ALoginAgainMovesTheServerUpInsteadOfAddingIt)
{
    for (const RecentServer &s : { server(1), server(2), server(3), server(1) })
        ASSERT_TRUE(recent.remember(s));
    EXPECT_EQ(recent.servers(), (QList<RecentServer> { server(1), server(3), server(2) }));
    EXPECT_EQ(reread(), recent.servers());
}

TEST_F(RecentServersTest, AnotherUserOrPortIsAnotherEntry)
{
    RecentServer otherPort = server(1);
    otherPort.port = QStringLiteral("2121");
    const QList<RecentServer> logins { server(1), server(1, QStringLiteral("bob")), otherPort };
    for (const RecentServer &s : logins)
        ASSERT_TRUE(recent.remember(s));
    EXPECT_EQ(recent.servers(), (QList<RecentServer> { logins[2], logins[1], logins[0] }));
}

TEST_F(RecentServersTest, ClearingEmptiesTheListForTheNextStartToo)
{
    ASSERT_TRUE(recent.remember(server(1)));
    ASSERT_TRUE(recent.remember(server(2)));
    ASSERT_TRUE(recent.clear());
    EXPECT_TRUE(recent.servers().isEmpty());
    EXPECT_TRUE(reread().isEmpty());
    EXPECT_TRUE(history.lines().isEmpty());
}

TEST_F(RecentServersTest, ADamagedFileIsReportedOnceInBlueAndWrittenAnew)
{
    const QByteArray sound = "[servers]\n1\\address=ftp1.example.org\n1\\port=21\n1\\user=anna\nsize=1\n";
    const struct {
        const char *what;
        QByteArray data;
    } cases[] = {
        { "unclosed section", "[servers\nsize=1\n" },
        { "more entries than the list holds", "[servers]\nsize=11\n" },
        { "a count that is no number", "[servers]\nsize=many\n" },
        { "an entry without its address", "[servers]\n1\\port=21\n1\\user=anna\nsize=1\n" },
        { "fewer entries than counted", sound + "[servers]\nsize=2\n" },
        { "an unknown section", sound + "[other]\nkey=1\n" },
        { "the same entry twice",
            "[servers]\n1\\address=a\n1\\port=21\n1\\user=u\n2\\address=a\n2\\port=21\n2\\user=u\nsize=2\n" },
        { "binary junk", QByteArray("\0\xff\xfe[\x01=\n", 8) },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        history.clear();
        ASSERT_TRUE(writeFile(file, c.data));
        recent.load(history);
        EXPECT_TRUE(recent.servers().isEmpty());
        ASSERT_EQ(history.lines().size(), 1);
        EXPECT_EQ(history.lines().first().text, text("RECENT_DAMAGED").arg(file) + QStringLiteral("\r\n"));
        EXPECT_EQ(history.lines().first().colour, HistoryLog::Colour::Blue);
        EXPECT_TRUE(reread().isEmpty());
        EXPECT_EQ(history.lines().size(), 1) << "the rewritten file is sound";
    }
}

TEST_F(RecentServersTest, ASoundFileWrittenByHandIsRead)
{
    ASSERT_TRUE(writeFile(file, "[servers]\n1\\address=ftpes://files.example.org\n1\\port=990\n1\\user=\nsize=1\n"));
    recent.load(history);
    EXPECT_EQ(recent.servers(),
        (QList<RecentServer> { { QStringLiteral("ftpes://files.example.org"), QStringLiteral("990"), QString() } }));
    EXPECT_TRUE(history.lines().isEmpty());
}

TEST_F(RecentServersTest, AnUnwritableFileIsReported)
{
    const QString blocked = folder.filePath(QStringLiteral("blocked"));
    ASSERT_TRUE(writeFile(blocked));
    // A file where the folder should be: nothing can be written under it.
    RecentServers nowhere(blocked + QStringLiteral("/recent.conf"));
    EXPECT_FALSE(nowhere.remember(server(1)));
    EXPECT_EQ(nowhere.servers(), QList<RecentServer> { server(1) });
}

} // namespace
