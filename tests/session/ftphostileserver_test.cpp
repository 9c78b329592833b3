// FtpConnection against a small scripted server that misbehaves on purpose: a PASV reply that
// names a third host, MLST announced but MLSD refused, replies too long to keep, a password
// repeated in the reply. Real servers cannot be told to do these things.
#include "app/textcatalogue.h"
#include "session/ftpconnection.h"
#include "session/ftpreplyreader.h"
#include "support/englishcatalogue.h"
#include "support/scriptedftpserver.h"

#include <QTcpServer>

#include <gtest/gtest.h>

namespace {

constexpr int testTimeoutMs = 5000;
const QString Password = QStringLiteral("s3cret-pw");

class FtpHostileServerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_connection.setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
        QObject::connect(&m_connection, &FtpConnection::commandSent,
            [this](const QString &line) { m_sent.append(line.section(u' ', 0, 0)); });
    }

    bool connectToServer()
    {
        return m_connection.connectToHost(
            QStringLiteral("127.0.0.1"), m_server.port(), QStringLiteral("ann"), Password, true);
    }

    ScriptedFtpServer m_server;
    FtpConnection m_connection;
    QStringList m_sent;
};

TEST_F(FtpHostileServerTest, DataConnectionGoesToTheControlPeerWhateverPasvNames)
{
    // TEST-NET-1 (RFC 5737): nobody answers there; a client that believed the reply would time out.
    m_server.pasvHost = "192,0,2,1";
    m_server.features = "211 no features\r\n";
    m_server.listLines = "-rw-r--r--   1 ann      ann            12 Mar 05  2004 hello.txt\r\n";
    ASSERT_TRUE(connectToServer()) << m_connection.lastError().toStdString();

    const std::optional<QList<RemoteEntry>> entries = m_connection.list();
    ASSERT_TRUE(entries.has_value()) << m_connection.lastError().toStdString();
    ASSERT_EQ(entries->size(), 1);
    EXPECT_EQ(entries->first().name, QStringLiteral("hello.txt"));
    EXPECT_TRUE(m_server.hasDataConnection());
}

TEST_F(FtpHostileServerTest, RefusedMlsdFallsBackToListForTheConnection)
{
    m_server.refuseMlsd = true;
    m_server.listLines = "drwxr-xr-x   2 ann      ann          4096 2005-06-07 21:22 pub\r\n";
    ASSERT_TRUE(connectToServer()) << m_connection.lastError().toStdString();

    for (int round = 0; round < 2; ++round) {
        const std::optional<QList<RemoteEntry>> entries = m_connection.list();
        ASSERT_TRUE(entries.has_value()) << m_connection.lastError().toStdString();
        ASSERT_EQ(entries->size(), 1);
        EXPECT_TRUE(entries->first().isFolder);
    }
    // MLSD is asked once; after its refusal this connection lists with LIST alone.
    EXPECT_EQ(m_sent.filter(QStringLiteral("MLSD")).size(), 1) << m_sent.join(u',').toStdString();
    EXPECT_EQ(m_sent.filter(QStringLiteral("LIST")).size(), 2);

    // A new connection asks again: another server may stand behind the same address.
    m_sent.clear();
    m_server.refuseMlsd = false;
    m_server.mlsdLines = "type=file;size=3;modify=20040307090500; a.txt\r\n";
    ASSERT_TRUE(connectToServer());
    const std::optional<QList<RemoteEntry>> entries = m_connection.list();
    ASSERT_TRUE(entries.has_value());
    EXPECT_TRUE(m_sent.contains(QStringLiteral("MLSD")));
    EXPECT_FALSE(m_sent.contains(QStringLiteral("LIST")));
}

struct OverlongReply {
    const char *label;
    QByteArray greeting;
    FtpReplyReader::Error error;
};

const OverlongReply OverlongReplies[] = {
    { "line_over_64_kib", "220 " + QByteArray(FtpReplyReader::MaxLineLength + 1, 'x') + "\r\n",
        FtpReplyReader::Error::LineTooLong },
    { "line_that_never_ends", QByteArray(4 * FtpReplyReader::MaxLineLength, 'x'), FtpReplyReader::Error::LineTooLong },
    { "reply_over_1_mib",
        "220-Welcome\r\n" + QByteArray(2000, ' ').replace(" ", QByteArray(600, 'y') + "\r\n") + "220 ready\r\n",
        FtpReplyReader::Error::ReplyTooLong },
};

class FtpOverlongReply : public ::testing::TestWithParam<OverlongReply> {
protected:
    // Real texts, so that one reason cannot pass for another.
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
    }
    void TearDown() override { TextCatalogue::instance().close(); }
};

TEST_P(FtpOverlongReply, FailsTheConnectionWithItsReason)
{
    ScriptedFtpServer server;
    server.greeting = GetParam().greeting;
    FtpConnection connection;
    connection.setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
    EXPECT_FALSE(
        connection.connectToHost(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("ann"), Password, true));
    EXPECT_FALSE(connection.isConnected());
    const QString reason = GetParam().error == FtpReplyReader::Error::LineTooLong
        ? text("FTP_LINETOOLONG").arg(FtpReplyReader::MaxLineLength / 1024)
        : text("FTP_REPLYTOOLONG").arg(FtpReplyReader::MaxReplyLength / (1024 * 1024));
    EXPECT_EQ(connection.lastError(), reason);
}

INSTANTIATE_TEST_SUITE_P(Limits, FtpOverlongReply, ::testing::ValuesIn(OverlongReplies),
    [](const ::testing::TestParamInfo<OverlongReply> &info) { return std::string(info.param.label); });

TEST_F(FtpHostileServerTest, PasswordRepeatedByTheServerIsMaskedInTheReason)
{
    m_server.passwordReply
        = "530-Login incorrect for ann/" + Password.toUtf8() + "\r\n530 Password " + Password.toUtf8() + " refused\r\n";
    QStringList commandLines;
    QObject::connect(
        &m_connection, &FtpConnection::commandSent, [&](const QString &line) { commandLines.append(line); });
    EXPECT_FALSE(connectToServer());
    EXPECT_TRUE(m_connection.lastError().startsWith(u'5')) << m_connection.lastError().toStdString();
    EXPECT_FALSE(m_connection.lastError().contains(Password)) << m_connection.lastError().toStdString();
    EXPECT_FALSE(commandLines.join(u'\n').contains(Password));
}

// The engine's own reasons follow the chosen language; the server's words stay as it sent them.
TEST(FtpFailureReasons, ComeFromTheCatalogueInTheChosenLanguage)
{
    TextCatalogue &catalogue = TextCatalogue::instance();
    ASSERT_TRUE(catalogue.open(TextCatalogue::defaultPath()));
    catalogue.setLanguageTable(QStringLiteral("german"));
    const QString refused = catalogue.text(QStringLiteral("FTP_REFUSED"));
    ASSERT_NE(refused, QString::fromLatin1(TextCatalogue::Placeholder));

    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
        closedPort = probe.serverPort();
    }
    FtpConnection connection;
    connection.setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
    EXPECT_FALSE(
        connection.connectToHost(QStringLiteral("127.0.0.1"), closedPort, QStringLiteral("ann"), Password, true));
    EXPECT_EQ(connection.lastError(), refused);

    ScriptedFtpServer server;
    server.passwordReply = "530 Login incorrect.\r\n";
    EXPECT_FALSE(
        connection.connectToHost(QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("ann"), Password, true));
    EXPECT_EQ(connection.lastError(), QStringLiteral("530 Login incorrect."));
    catalogue.close();
}

} // namespace
