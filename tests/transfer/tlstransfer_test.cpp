// A tree down and up over TLS with a certificate the system does not trust: the engines reconnect
// per folder and per entry, and the user is asked once for the whole run.
#include "transfer/downloadengine.h"
#include "transfer/uploadengine.h"
#include "transfertestfixture.h"

namespace {

using Colour = HistoryLog::Colour;

class TlsTransferTest : public TransferTest {
protected:
    DownloadEngine m_download { m_services, m_host };
    UploadEngine m_upload { m_services, m_host };
};

TEST_F(TlsTransferTest, TreesMoveWithOneCertificateQuestion)
{
    m_server.setTls(FtpTestServer::Tls::Required);
    m_server.setCertificateTrusted(false);
    ASSERT_TRUE(m_server.start());
    m_started = true;
    if (m_server.isExternal())
        GTEST_SKIP() << "needs a local server with a certificate nobody trusts";
    // Every reconnect logs in anew, and each login meets the certificate.
    m_host.setClosesBeforeReconnect(true);
    int questions = 0;
    m_session.certificateTrust().setAsker([&](const QString &) {
        ++questions;
        return true;
    });
    const QByteArray binary(300 * 1024, '\x5a');
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("tree/a.bin"), binary));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("tree/sub/b.txt"), "bee"));
    connectTo();
    ASSERT_TRUE(m_session.connection()->isEncrypted());

    m_download.DownloadSelection({ { QStringLiteral("tree"), true, -1 } }, local());
    EXPECT_EQ(readLocal(QStringLiteral("tree/a.bin")), binary);
    EXPECT_EQ(readLocal(QStringLiteral("tree/sub/b.txt")), "bee");

    ASSERT_TRUE(m_server.makeFolder(QStringLiteral("up")));
    ASSERT_TRUE(SetServerDirectory(m_session.connection(), QStringLiteral("/up")));
    m_upload.UploadSelection({ { QStringLiteral("tree"), true, -1 } }, local(), UploadEngine::Variant::Selection);
    EXPECT_EQ(m_server.readFile(QStringLiteral("up/tree/a.bin")), binary);
    EXPECT_EQ(m_server.readFile(QStringLiteral("up/tree/sub/b.txt")), "bee");

    EXPECT_TRUE(linesOf(Colour::Red).isEmpty()) << qPrintable(lineTexts().join(u'\n'));
    EXPECT_GE(m_host.logins, 4);
    EXPECT_EQ(questions, 1);
}

} // namespace
