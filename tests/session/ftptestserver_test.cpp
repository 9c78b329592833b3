// The shared FTP fixture itself: other FTP tests rely on it starting fast and seeing the files.
#include "support/ftptestserver.h"

#include "support/ftprelay.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSslConfiguration>
#include <QTcpSocket>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

TEST(FtpTestServer, StartsAndServesItsRoot)
{
    FtpTestServer server;
    ASSERT_TRUE(server.start());
    ASSERT_NE(server.port(), 0);

    QTcpSocket socket;
    socket.connectToHost(server.host(), server.port());
    ASSERT_TRUE(socket.waitForConnected(5000));
    ASSERT_TRUE(socket.waitForReadyRead(5000));
    EXPECT_TRUE(socket.readAll().startsWith("220"));

    EXPECT_TRUE(server.makeFolder(QStringLiteral("pub/empty")));
    EXPECT_TRUE(server.writeFile(QStringLiteral("pub/docs/ä b.txt"), "hello"));
    EXPECT_TRUE(server.exists(QStringLiteral("pub/empty")));
    EXPECT_EQ(server.readFile(QStringLiteral("pub/docs/ä b.txt")), QByteArray("hello"));
    EXPECT_FALSE(server.exists(QStringLiteral("pub/missing")));
    EXPECT_FALSE(server.readFile(QStringLiteral("pub/missing")).has_value());

    if (server.isExternal())
        return;
    server.stop();
    socket.waitForDisconnected(5000);
    EXPECT_EQ(socket.state(), QAbstractSocket::UnconnectedState);
}

namespace {

struct CurlResult {
    int exitCode = -1;
    QByteArray output;
};

// curl as the FTPS client, run under this test's event loop so the relay moves while it works.
CurlResult runCurl(const QStringList &arguments)
{
    QProcess curl;
    QEventLoop loop;
    QObject::connect(&curl, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    curl.start(QStringLiteral("curl"),
        QStringList { QStringLiteral("-s"), QStringLiteral("--max-time"), QStringLiteral("20") } + arguments);
    if (!curl.waitForStarted())
        return {};
    loop.exec();
    return { curl.exitStatus() == QProcess::NormalExit ? curl.exitCode() : -1, curl.readAllStandardOutput() };
}

// The server's certificate in a file, for curl's --cacert.
QString writeCertificate(const FtpTestServer &server, const QTemporaryDir &folder)
{
    QFile file(folder.filePath(QStringLiteral("ca.pem")));
    if (!file.open(QIODevice::WriteOnly) || file.write(server.certificate().toPem()) < 0)
        return {};
    return file.fileName();
}

QString url(const FtpTestServer &server, const QString &path)
{
    return QStringLiteral("%1://%2:%3@%4:%5/%6")
        .arg(server.tls() == FtpTestServer::Tls::Implicit ? u"ftps" : u"ftp", server.user(), server.password(),
            server.host())
        .arg(server.port())
        .arg(path);
}

bool isTrusted(const QSslCertificate &certificate)
{
    return QSslConfiguration::defaultConfiguration().caCertificates().contains(certificate);
}

// Over TLS curl fetches a file and lists its folder, directly or through the relay, which then
// reaches the data connections on the server's own passive ports and reads no encrypted command.
void expectServesOverTls(FtpTestServer &server, const QTemporaryDir &folder)
{
    EXPECT_TRUE(server.isTls());
    EXPECT_TRUE(isTrusted(server.certificate()));
    ASSERT_TRUE(server.writeFile(QStringLiteral("pub/a.txt"), "hello"));
    const QStringList tls = { QStringLiteral("--ssl-reqd"), QStringLiteral("--cacert"), writeCertificate(server, folder) };
    EXPECT_EQ(runCurl(tls + QStringList { url(server, QStringLiteral("pub/a.txt")) }).output, "hello");
    const CurlResult listing = runCurl(tls + QStringList { url(server, QStringLiteral("pub/")) });
    EXPECT_EQ(listing.exitCode, 0);
    EXPECT_TRUE(listing.output.contains("a.txt"));
    if (server.relay()) {
        const QString seen = server.relay()->commands().join(u' ');
        EXPECT_FALSE(seen.contains(u"USER")) << seen.toStdString();
    }
}

} // namespace

// The external TLS servers demand that each data connection resume the control connection's
// session, which the relay must leave intact.
TEST(FtpTestServer, RelaysTheRunsTlsServer)
{
    FtpTestServer server;
    server.setRelayed(true);
    ASSERT_TRUE(server.start());
    if (!server.isTls())
        GTEST_SKIP() << "this run's server speaks no TLS";
    const QTemporaryDir folder;
    expectServesOverTls(server, folder);
}

// The local server's TLS modes, for the tests that set their own.
class FtpTestServerTls : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariableIsSet("FERROLINK_TEST_FTP_URL"))
            GTEST_SKIP() << "the TLS mode of an external server is its own";
        ASSERT_TRUE(m_folder.isValid());
    }

    QTemporaryDir m_folder;
};

TEST_F(FtpTestServerTls, ServesEachModeDirectlyAndRelayed)
{
    using Tls = FtpTestServer::Tls;
    const struct {
        Tls tls;
        bool plainLogin;
    } cases[] = { { Tls::Optional, true }, { Tls::Required, false }, { Tls::Implicit, false } };
    for (const auto &c : cases) {
        for (const bool relayed : { false, true }) {
            SCOPED_TRACE(testing::Message() << "mode " << int(c.tls) << (relayed ? " relayed" : " direct"));
            FtpTestServer server;
            server.setTls(c.tls);
            server.setRelayed(relayed);
            ASSERT_TRUE(server.start());
            expectServesOverTls(server, m_folder);
            if (c.tls != Tls::Implicit) {
                EXPECT_EQ(runCurl({ url(server, QStringLiteral("pub/")) }).exitCode == 0, c.plainLogin);
            }
        }
    }
}

// The relay's data faults work on encrypted data connections too.
TEST_F(FtpTestServerTls, RelayCutsAnEncryptedDownload)
{
    FtpTestServer server;
    server.setTls(FtpTestServer::Tls::Required);
    server.setRelayed(true);
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(server.writeFile(QStringLiteral("big.bin"), QByteArray(1 << 20, 'x')));
    server.relay()->setDataLimit(64 * 1024);
    const QStringList arguments = { QStringLiteral("--ssl-reqd"), QStringLiteral("--cacert"),
        writeCertificate(server, m_folder), url(server, QStringLiteral("big.bin")) };
    EXPECT_NE(runCurl(arguments).exitCode, 0);
    server.relay()->setDataLimit(-1);
    EXPECT_EQ(runCurl(arguments).output.size(), 1 << 20);
}

TEST_F(FtpTestServerTls, ReplacedCertificateKeepsThePortAndIsTrusted)
{
    FtpTestServer server;
    server.setTls(FtpTestServer::Tls::Required);
    ASSERT_TRUE(server.start());
    const QSslCertificate first = server.certificate();
    const quint16 port = server.port();
    ASSERT_TRUE(server.replaceCertificate());
    EXPECT_NE(server.certificate(), first);
    EXPECT_EQ(server.port(), port);
    EXPECT_TRUE(isTrusted(server.certificate()));
    const QStringList tls = { QStringLiteral("--ssl-reqd"), QStringLiteral("--cacert"), writeCertificate(server, m_folder) };
    EXPECT_EQ(runCurl(tls + QStringList { url(server, {}) }).exitCode, 0);
}

TEST_F(FtpTestServerTls, UntrustedCertificateStaysOutOfTheCaList)
{
    FtpTestServer server;
    server.setTls(FtpTestServer::Tls::Required);
    server.setCertificateTrusted(false);
    ASSERT_TRUE(server.start());
    EXPECT_FALSE(server.certificate().isNull());
    EXPECT_FALSE(isTrusted(server.certificate()));
}
