// FtpConnection when the server or the link misbehaves, injected by the relay in front of any
// server: every call fails within its time-out, says why, keeps the event loop running and
// leaves the connection usable or cleanly gone. (The download engine keeps local files whole.)
#include "session/ftpconnection.h"
#include "session/ftperrortext.h"
#include "support/ftprelay.h"
#include "support/ftptestserver.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

constexpr int shortTimeoutMs = 1500;
constexpr qint64 fileSize = 4 * 1024 * 1024;

enum class Call { Connect, Login, List, Download, Upload, Noop };

struct FaultCase {
    const char *name;
    Call call;
    // Done to the relay before the call, or when the data connection is under way.
    std::function<void(FtpRelay &)> before;
    std::function<void(FtpRelay &)> whileMoving;
};

void PrintTo(const FaultCase &c, std::ostream *out)
{
    *out << c.name;
}

class FtpConnectionFaultTest : public ::testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override
    {
        m_server.setRelayed(true);
        ASSERT_TRUE(m_server.start());
        ASSERT_TRUE(m_local.isValid());
        ASSERT_TRUE(m_server.writeFile(QStringLiteral("big.bin"), QByteArray(fileSize, 'b')));
        m_connection.setTimeouts({ shortTimeoutMs, shortTimeoutMs, shortTimeoutMs });
        QObject::connect(&m_ticker, &QTimer::timeout, [this] { ++m_ticks; });
    }

    bool connectToServer()
    {
        return m_connection.connectToHost(m_server.host(), m_server.port(), m_server.user(), m_server.password(), true);
    }

    bool run(Call call)
    {
        switch (call) {
        case Call::Connect:
        case Call::Login:
            return connectToServer();
        case Call::List:
            return m_connection.list().has_value();
        case Call::Download:
            return m_connection.getFile(QStringLiteral("big.bin"), localFile());
        case Call::Upload: {
            if (!m_connection.openFileForWriting(QStringLiteral("up.bin"), FtpConnection::TransferType::Binary))
                return false;
            const QByteArray block(256 * 1024, 'u');
            for (int i = 0; i < 64; ++i) {
                if (!m_connection.writeFile(block))
                    return false;
            }
            return m_connection.closeFile();
        }
        case Call::Noop:
            return m_connection.noop();
        }
        return false;
    }

    QString localFile() const { return m_local.filePath(QStringLiteral("big.bin")); }

    FtpTestServer m_server;
    QTemporaryDir m_local;
    FtpConnection m_connection;
    QTimer m_ticker;
    int m_ticks = 0;
};

TEST_P(FtpConnectionFaultTest, CallFailsWithAReasonAndLeavesAUsableOrClosedConnection)
{
    const FaultCase &c = GetParam();
    FtpRelay &relay = *m_server.relay();
    if (c.call != Call::Connect && c.call != Call::Login) {
        ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();
    }
    if (c.call == Call::Login) {
        QObject::connect(&m_connection, &FtpConnection::commandSent, [&](const QString &command) {
            if (command.startsWith(QLatin1String("USER ")))
                relay.goAway();
        });
    }
    if (c.before)
        c.before(relay);
    if (c.whileMoving) {
        relay.setDataHold(0);
        QObject::connect(&relay, &FtpRelay::dataHeld, [&] { c.whileMoving(relay); });
    }
    // Fires on every turn of the event loop.
    m_ticker.start(0);

    EXPECT_FALSE(run(c.call));

    EXPECT_TRUE(m_connection.error().isError());
    EXPECT_GT(m_ticks, 0) << "the event loop ran during the call";
    EXPECT_FALSE(m_connection.isBusy());
    // Usable, or cleanly gone: then every call fails at once without a word on the wire.
    relay.setStalled(false);
    relay.releaseData();
    if (m_connection.isConnected()) {
        EXPECT_TRUE(m_connection.noop()) << describe(m_connection.error()).toStdString();
    } else {
        EXPECT_FALSE(m_connection.noop());
        EXPECT_FALSE(m_connection.list().has_value());
    }
}

const FaultCase faultCases[] = {
    { "refused", Call::Connect, [](FtpRelay &relay) { relay.setRefusing(true); }, {} },
    { "gone_during_login", Call::Login, {}, {} },
    { "gone_during_listing", Call::List, {}, [](FtpRelay &relay) { relay.goAway(); } },
    { "gone_during_download", Call::Download, {}, [](FtpRelay &relay) { relay.goAway(); } },
    { "gone_during_upload", Call::Upload, {}, [](FtpRelay &relay) { relay.goAway(); } },
    { "dropped_while_idle", Call::Noop, [](FtpRelay &relay) { relay.dropAll(); }, {} },
    { "reply_never_comes", Call::Noop, [](FtpRelay &relay) { relay.setStalled(true); }, {} },
    { "download_stalls", Call::Download, {}, [](FtpRelay &) {} },
    { "upload_stalls", Call::Upload, {}, [](FtpRelay &) {} },
    { "download_cut", Call::Download, [](FtpRelay &relay) { relay.setDataLimit(100 * 1024); }, {} },
    { "upload_cut", Call::Upload, [](FtpRelay &relay) { relay.setDataLimit(100 * 1024); }, {} },
};

INSTANTIATE_TEST_SUITE_P(Faults, FtpConnectionFaultTest, ::testing::ValuesIn(faultCases),
    [](const ::testing::TestParamInfo<FaultCase> &info) { return std::string(info.param.name); });

class FtpConnectionAbortTest : public FtpConnectionFaultTest { };

// RFC 959 ABOR: a cancelled download asks the server to end the transfer, and the connection
// stays usable; when the server does not answer, the connection is dropped instead.
TEST_F(FtpConnectionAbortTest, CancelSendsAborOrDropsASilentServer)
{
    QStringList sent;
    QObject::connect(&m_connection, &FtpConnection::commandSent, [&sent](const QString &command) { sent.append(command); });
    for (const bool serverAnswers : { true, false }) {
        SCOPED_TRACE(serverAnswers ? "answers" : "silent");
        sent.clear();
        ASSERT_TRUE(connectToServer()) << describe(m_connection.error()).toStdString();
        FtpRelay &relay = *m_server.relay();
        relay.setDataHold(64 * 1024);
        const auto held = QObject::connect(&relay, &FtpRelay::dataHeld, [&] {
            relay.setStalled(!serverAnswers);
            m_connection.cancel();
        });
        EXPECT_FALSE(m_connection.getFile(QStringLiteral("big.bin"), localFile()));
        QObject::disconnect(held);
        relay.setStalled(false);
        relay.releaseData();
        EXPECT_EQ(m_connection.error().kind(), FtpError::Kind::Cancelled);
        EXPECT_TRUE(sent.contains(QStringLiteral("ABOR")) || !serverAnswers);
        if (!serverAnswers) {
            EXPECT_FALSE(m_connection.isConnected());
        } else {
            const std::optional<QString> directory = m_connection.currentDirectory();
            // vsftpd ends the whole session when a TLS data connection is cut short (a "500 OOPS"
            // in the clear); the connection must then be cleanly gone, and the program reconnects.
            if (!m_server.isTls() || m_connection.isConnected()) {
                EXPECT_EQ(directory, QStringLiteral("/")) << describe(m_connection.error()).toStdString();
                ASSERT_TRUE(m_connection.getFile(QStringLiteral("big.bin"), localFile()))
                    << describe(m_connection.error()).toStdString();
                EXPECT_EQ(QFile(localFile()).size(), fileSize);
            }
        }
        m_connection.close();
    }
}

} // namespace
