// FtpConnection's waits: time-outs, cancel, re-entry, a server that goes away, and the object
// closed or deleted from a handler while a call waits inside it.
#include "session/ftpconnection.h"
#include "session/ftperrortext.h"
#include "support/ftprelay.h"
#include "support/ftptestserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int shortTimeoutMs = 400;
constexpr int testTimeoutMs = 5000;
// The relay holds every download after this many bytes until the test has acted.
constexpr qint64 heldAfter = 64 * 1024;
constexpr qint64 largeFileSize = 4LL * 1024 * 1024;
// For calls that run to the end.
constexpr qint64 mediumFileSize = 16LL * 1024 * 1024;

// Accepts connections and never says a word: a server that hangs.
class SilentServer
{
public:
    SilentServer()
    {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                socket->setParent(&m_server);
        });
    }
    quint16 port() const { return m_server.serverPort(); }

private:
    QTcpServer m_server;
};

class FtpConnectionWaitsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_server.setRelayed(true);
        ASSERT_TRUE(m_server.start());
        for (const auto &[name, size] : { std::pair(QStringLiteral("large.bin"), largeFileSize),
                 std::pair(QStringLiteral("medium.bin"), mediumFileSize) }) {
            // Sparse files: the server reads zeros fast and the test never fills a disk.
            if (!m_server.isExternal()) {
                QFile file(m_server.rootPath() + QLatin1Char('/') + name);
                ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.resize(size));
            } else {
                ASSERT_TRUE(m_server.writeFile(name, QByteArray(size, '\0')));
            }
        }
        m_connection = std::make_unique<FtpConnection>();
        m_connection->setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
        ASSERT_TRUE(
            m_connection->connectToHost(m_server.host(), m_server.port(), m_server.user(), m_server.password(), true))
            << describe(m_connection->error()).toStdString();
    }

    // Downloads a file to nowhere, running handler while the relay holds the download under way;
    // the rest flows once handler returns.
    bool downloadWhile(const std::function<void()> &handler, const QString &name = QStringLiteral("large.bin"))
    {
        bool handled = false;
        FtpRelay *relay = m_server.relay();
        relay->setDataHold(heldAfter);
        const QMetaObject::Connection held = QObject::connect(relay, &FtpRelay::dataHeld, [&] {
            if (!std::exchange(handled, true))
                handler();
            relay->releaseData();
        });
        const bool result = m_connection->getFile(name, QStringLiteral("/dev/null"));
        QObject::disconnect(held);
        relay->releaseData();
        EXPECT_TRUE(handled);
        return result;
    }

    FtpTestServer m_server;
    std::unique_ptr<FtpConnection> m_connection;
};

TEST(FtpConnectionSilentServer, ConnectTimesOutWhileTheEventLoopRuns)
{
    SilentServer silent;
    FtpConnection connection;
    connection.setTimeouts({ shortTimeoutMs, shortTimeoutMs, shortTimeoutMs });
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(20);

    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(connection.connectToHost(
        QStringLiteral("127.0.0.1"), silent.port(), QStringLiteral("u"), QStringLiteral("p"), true));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_GE(ticks, 5);
    EXPECT_FALSE(connection.isConnected());
    EXPECT_TRUE(connection.error().isError());
}

TEST_F(FtpConnectionWaitsTest, WrongPasswordGivesTheServersReason)
{
    FtpConnection other;
    EXPECT_FALSE(other.connectToHost(m_server.host(), m_server.port(), m_server.user(), QStringLiteral("wrong"), true));
    EXPECT_EQ(other.error().kind(), FtpError::Kind::Reply);
    EXPECT_EQ(other.error().replyCode(), 530) << describe(other.error()).toStdString();
    EXPECT_FALSE(other.isConnected());
}

TEST_F(FtpConnectionWaitsTest, ServerGoneDuringDownloadFails)
{
    EXPECT_FALSE(downloadWhile([&] { m_server.relay()->goAway(); }));
    EXPECT_TRUE(m_connection->error().isError());
    EXPECT_FALSE(m_connection->isConnected());
    EXPECT_FALSE(m_connection->noop());
}

TEST_F(FtpConnectionWaitsTest, ServerGoneIsNotConnected)
{
    m_server.relay()->goAway();
    EXPECT_FALSE(m_connection->noop());
    EXPECT_FALSE(m_connection->isConnected());
}

TEST_F(FtpConnectionWaitsTest, SecondCallDuringARunningOneIsRefusedAtOnce)
{
    bool nestedResult = true;
    qint64 nestedMs = -1;
    EXPECT_TRUE(downloadWhile(
        [&] {
            EXPECT_TRUE(m_connection->isBusy());
            QElapsedTimer clock;
            clock.start();
            nestedResult = m_connection->setCurrentDirectory(QStringLiteral("/"));
            nestedMs = clock.elapsed();
        },
        QStringLiteral("medium.bin")))
        << describe(m_connection->error()).toStdString();
    EXPECT_FALSE(nestedResult);
    EXPECT_LT(nestedMs, 100);
    EXPECT_FALSE(m_connection->isBusy());
    EXPECT_TRUE(m_connection->noop());
}

TEST_F(FtpConnectionWaitsTest, CancelEndsTheDownloadAndTheConnectionGoesOn)
{
    QStringList commands;
    QObject::connect(m_connection.get(), &FtpConnection::commandSent, [&](const QString &c) { commands.append(c); });
    EXPECT_FALSE(downloadWhile([&] { m_connection->cancel(); }));
    EXPECT_EQ(m_connection->error().kind(), FtpError::Kind::Cancelled);
    // RFC 959 ABOR, and its replies and the RETR's are not taken for the answer to what follows.
    EXPECT_TRUE(commands.contains(QStringLiteral("ABOR")));
    EXPECT_TRUE(m_connection->isConnected());
    EXPECT_EQ(m_connection->currentDirectory(), QStringLiteral("/"));
    EXPECT_TRUE(m_connection->list().has_value()) << describe(m_connection->error()).toStdString();
    EXPECT_TRUE(m_connection->setCurrentDirectory(QStringLiteral("/")));
}

TEST_F(FtpConnectionWaitsTest, ProbeNeverWaitsAndACallTakesItOver)
{
    // The cancelled download's late reply is owed: the probe must collect it before its PWD.
    EXPECT_FALSE(downloadWhile([&] { m_connection->cancel(); }));
    std::optional<bool> answered;
    QObject::connect(m_connection.get(), &FtpConnection::probeFinished, [&](bool ok) { answered = ok; });
    ASSERT_TRUE(m_connection->startProbe());
    EXPECT_FALSE(m_connection->isBusy());
    EXPECT_FALSE(m_connection->startProbe());
    ASSERT_TRUE(QTest::qWaitFor([&] { return answered.has_value(); }, testTimeoutMs));
    EXPECT_TRUE(*answered);

    // A call made while the answer is out collects it and runs; the probe ends without a word.
    answered.reset();
    ASSERT_TRUE(m_connection->startProbe());
    EXPECT_TRUE(m_connection->setCurrentDirectory(QStringLiteral("/")))
        << describe(m_connection->error()).toStdString();
    EXPECT_FALSE(m_connection->isProbing());
    EXPECT_EQ(m_connection->currentDirectory(), QStringLiteral("/"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(answered.has_value());
}

TEST_F(FtpConnectionWaitsTest, CloseFromAHandlerEndsTheWaitingCall)
{
    EXPECT_FALSE(downloadWhile([&] { m_connection->close(); }));
    EXPECT_FALSE(m_connection->isConnected());
    EXPECT_FALSE(m_connection->isBusy());
}

TEST_F(FtpConnectionWaitsTest, DeleteFromAHandlerEndsTheWaitingCall)
{
    EXPECT_FALSE(downloadWhile([&] { m_connection.reset(); }));
    EXPECT_EQ(m_connection, nullptr);
}

TEST_F(FtpConnectionWaitsTest, ProgressIsRateLimitedAndEndsAtTheTotal)
{
    int reports = 0;
    qint64 last = 0;
    qint64 total = 0;
    m_connection->setProgressCallback([&](qint64 done, qint64 all) {
        ++reports;
        last = done;
        total = all;
    });
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(m_connection->getFile(QStringLiteral("medium.bin"), QStringLiteral("/dev/null")));
    EXPECT_EQ(last, mediumFileSize);
    EXPECT_EQ(total, mediumFileSize);
    EXPECT_LE(reports, clock.elapsed() / 50 + 2);
}

} // namespace
