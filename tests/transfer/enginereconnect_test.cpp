// The engines' reconnects through the program's own controller, as the user sees them: a
// connection that is alive and idle is kept where it is, one the server dropped is replaced by a
// new login in "/", and after the user's Stop nothing is connected and nothing is said.
#include "transfer/downloadengine.h"

#include "support/ftprelay.h"
#include "transfertestfixture.h"

namespace {

using Colour = HistoryLog::Colour;

// What happens to the connection just before a reconnect of the run.
enum class Before { Nothing, ServerDrops, UserStopsTheSecond };

// The host as the test fixture makes it, with the place the server says it is in after each
// reconnect that worked.
class WatchedHost : public TestTransferHost {
public:
    WatchedHost(const AppServices &services, FtpTestServer &server)
        : TestTransferHost(services, server)
        , m_session(services.session)
        , m_server(server)
    {
    }

    bool ReconnectFtp() override
    {
        if (before == Before::ServerDrops)
            m_server.relay()->dropAll();
        if (before == Before::UserStopsTheSecond && reconnects == 1)
            m_session.cancelRun();
        const bool connected = TestTransferHost::ReconnectFtp();
        if (connected)
            places.append(GetServerDirectory(m_session.connection()));
        return connected;
    }

    Before before = Before::Nothing;
    QStringList places;

private:
    Session &m_session;
    FtpTestServer &m_server;
};

struct ReconnectCase {
    const char *name;
    Before before;
    int reconnects; // the engine asked for
    int logins; // new connections among them
    int filesArrived;
    // Where the server is after each reconnect that worked; the server lists t/a and t/b in an
    // order of its own, so either of the names split by a blank.
    QStringList places;
};

const ReconnectCase reconnectCases[] = {
    // One reconnect per listed folder: t, t/a, t/b. A kept connection is where the walk left it.
    { "AliveAndIdleIsKept", Before::Nothing, 3, 0, 3, { "/", "/t", "/t/a /t/b" } },
    { "DroppedByTheServerLogsInAnew", Before::ServerDrops, 3, 3, 3, { "/", "/", "/" } },
    { "StoppedByTheUserConnectsNothing", Before::UserStopsTheSecond, 2, 0, 0, { "/" } },
};

void PrintTo(const ReconnectCase &c, std::ostream *out)
{
    *out << c.name;
}

class EngineReconnectTest : public TransferTest, public ::testing::WithParamInterface<ReconnectCase> {
protected:
    const QStringList treeFiles
        = { QStringLiteral("t/one.txt"), QStringLiteral("t/a/two.txt"), QStringLiteral("t/b/three.txt") };
    WatchedHost m_watched { m_services, m_server };
};

TEST_P(EngineReconnectTest, CountsAndPlacesAsTheUserSeesThem)
{
    const ReconnectCase &c = GetParam();
    m_server.setRelayed(true);
    ASSERT_TRUE(m_server.start());
    for (const QString &path : treeFiles)
        ASSERT_TRUE(m_server.writeFile(path, "x"));
    // The controller keeps only a connection it made itself.
    ASSERT_TRUE(m_watched.ReconnectFtp());
    const QPointer<FtpConnection> first = m_session.connection();
    m_history.clear();
    m_watched.reconnects = 0;
    m_watched.logins = 0;
    m_watched.places.clear();
    m_watched.before = c.before;

    DownloadEngine engine(m_services, m_watched);
    {
        Session::Run run(m_session);
        engine.DownloadSelection({ { QStringLiteral("t"), true, -1 } }, local());
    }

    EXPECT_EQ(m_watched.reconnects, c.reconnects);
    EXPECT_EQ(m_watched.logins, c.logins);
    EXPECT_EQ(first.isNull(), c.logins > 0);
    // A reconnect is quiet, but for the note that a new connection is in clear.
    const QString plain = text("CONNECTION_PLAIN");
    EXPECT_EQ(linesOf(Colour::Blue), QStringList(m_server.isTls() ? 0 : c.logins, plain))
        << qPrintable(lineTexts().join(u'\n'));
    EXPECT_TRUE(linesOf(Colour::Red).isEmpty()) << qPrintable(lineTexts().join(u'\n'));
    EXPECT_TRUE(m_prompts.asked().isEmpty());
    ASSERT_EQ(m_watched.places.size(), c.places.size()) << qPrintable(m_watched.places.join(u' '));
    for (qsizetype i = 0; i < c.places.size(); ++i)
        EXPECT_TRUE(c.places.at(i).split(u' ').contains(m_watched.places.at(i))) << qPrintable(m_watched.places.at(i));
    EXPECT_TRUE(m_session.isConnected());
    const auto arrived = std::count_if(
        treeFiles.begin(), treeFiles.end(), [this](const QString &path) { return QFileInfo::exists(local(path)); });
    EXPECT_EQ(arrived, c.filesArrived);
}

INSTANTIATE_TEST_SUITE_P(Cases, EngineReconnectTest, ::testing::ValuesIn(reconnectCases),
    [](const ::testing::TestParamInfo<ReconnectCase> &info) { return std::string(info.param.name); });

} // namespace
