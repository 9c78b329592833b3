// TLS against pyftpdlib: when a connection encrypts, what goes out before the handshake, data
// connections that resume the session in both modes, reconnects that resume the control
// connection's session, and the certificate question.
#include "core/textcatalogue.h"
#include "session/certificatetrust.h"
#include "session/ftpconnection.h"
#include "session/ftperrortext.h"
#include "session/ftpservermemory.h"
#include "support/englishcatalogue.h"
#include "support/ftprelay.h"
#include "support/ftptestserver.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Tls = FtpTestServer::Tls;
constexpr int testTimeoutMs = 10000;

class FtpTlsTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(useEnglishCatalogue());
    }

    // False (and the test skipped) for an external server: these cases need servers of their own.
    bool start(Tls tls, bool trusted = true, bool relayed = false)
    {
        m_server = std::make_unique<FtpTestServer>();
        m_server->setTls(tls);
        m_server->setCertificateTrusted(trusted);
        m_server->setRelayed(relayed);
        if (!m_server->start()) {
            ADD_FAILURE() << "the server did not start";
            return false;
        }
        return !m_server->isExternal();
    }

    std::unique_ptr<FtpConnection> connectWith(
        FtpSecurity security, bool passive = true, std::shared_ptr<FtpServerMemory> memory = nullptr)
    {
        auto connection = std::make_unique<FtpConnection>();
        connection->setServerMemory(std::move(memory));
        connection->setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
        connection->setSecurity(security);
        connection->setCertificateTrust(m_trust);
        QObject::connect(connection.get(), &FtpConnection::commandSent,
            [this](const QString &command) { m_commands.append(command); });
        m_connected = connection->connectToHost(
            m_server->host(), m_server->port(), m_server->user(), m_server->password(), passive);
        return connection;
    }

    std::unique_ptr<FtpTestServer> m_server;
    std::shared_ptr<CertificateTrust> m_trust = std::make_shared<CertificateTrust>();
    QStringList m_commands;
    bool m_connected = false;
};

bool upload(FtpConnection &connection, const QString &name, const QByteArray &data)
{
    if (!connection.openFileForWriting(name, FtpConnection::TransferType::Binary))
        return false;
    for (qsizetype at = 0; at < data.size(); at += 100000) {
        if (!connection.writeFile(data.mid(at, 100000)))
            return false;
    }
    return connection.closeFile();
}

TEST_F(FtpTlsTest, EncryptsWhereTheSettingAndTheServerAgree)
{
    using enum FtpSecurity;
    struct Case {
        const char *name;
        Tls server;
        FtpSecurity security;
        bool connects;
        bool encrypted;
    };
    const Case cases[] = {
        { "plain server, opportunistic", Tls::None, Opportunistic, true, false },
        { "optional TLS, opportunistic", Tls::Optional, Opportunistic, true, true },
        { "optional TLS, ftp://", Tls::Optional, Plain, true, false },
        { "required TLS, opportunistic", Tls::Required, Opportunistic, true, true },
        { "required TLS, ftpes://", Tls::Required, RequireTls, true, true },
        { "plain server, ftpes://", Tls::None, RequireTls, false, false },
        { "implicit TLS, ftps://", Tls::Implicit, ImplicitTls, true, true },
    };
    const QByteArray data = [] {
        QByteArray bytes(700 * 1024 + 3, Qt::Uninitialized);
        QRandomGenerator(11).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        return bytes;
    }();
    QTemporaryDir local;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (!start(c.server))
            GTEST_SKIP() << "needs the local server";
        for (const bool passive : { true, false }) {
            SCOPED_TRACE(passive ? "passive" : "active");
            m_commands.clear();
            const std::unique_ptr<FtpConnection> connection = connectWith(c.security, passive);
            ASSERT_EQ(m_connected, c.connects) << describe(connection->error()).toStdString();
            if (!c.connects) {
                EXPECT_EQ(connection->error().kind(), FtpError::Kind::TlsNotOffered)
                    << describe(connection->error()).toStdString();
                EXPECT_FALSE(m_commands.contains(QStringLiteral("PASS ****")));
                break;
            }
            EXPECT_EQ(connection->isEncrypted(), c.encrypted);
            // Nothing about the user goes out before the handshake, and ftp:// never asks for one.
            const qsizetype auth = m_commands.indexOf(QStringLiteral("AUTH TLS"));
            if (c.security == Plain) {
                EXPECT_EQ(auth, -1);
            }
            if (c.encrypted && c.security != ImplicitTls) {
                EXPECT_GE(auth, 0);
                EXPECT_LT(auth, m_commands.indexOf(QStringLiteral("USER ") + m_server->user()));
            }
            if (c.encrypted) {
                EXPECT_TRUE(connection->encryptionProtocol().startsWith(QStringLiteral("TLS")));
            }

            // Every kind of data connection, an empty upload included, over whatever was agreed.
            ASSERT_TRUE(upload(*connection, QStringLiteral("data.bin"), data))
                << describe(connection->error()).toStdString();
            ASSERT_TRUE(upload(*connection, QStringLiteral("empty.bin"), {}))
                << describe(connection->error()).toStdString();
            const std::optional<QList<RemoteEntry>> entries = connection->list();
            ASSERT_TRUE(entries.has_value()) << describe(connection->error()).toStdString();
            EXPECT_EQ(entries->size(), 2);
            const QString downloaded = local.filePath(QStringLiteral("data.bin"));
            ASSERT_TRUE(connection->getFile(QStringLiteral("data.bin"), downloaded))
                << describe(connection->error()).toStdString();
            QFile file(downloaded);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            EXPECT_EQ(file.readAll(), data);
            EXPECT_EQ(m_server->readFile(QStringLiteral("data.bin")), data);
            EXPECT_EQ(m_server->readFile(QStringLiteral("empty.bin")), QByteArray());
            ASSERT_TRUE(connection->deleteFile(QStringLiteral("data.bin")));
            ASSERT_TRUE(connection->deleteFile(QStringLiteral("empty.bin")));
        }
    }
}

TEST_F(FtpTlsTest, AnUploadBeyondTheQueueLimitDrainsAndArrivesWhole)
{
    if (!start(Tls::Required))
        GTEST_SKIP() << "needs the local server";
    const std::unique_ptr<FtpConnection> connection = connectWith(FtpSecurity::Opportunistic);
    ASSERT_TRUE(m_connected) << describe(connection->error()).toStdString();
    // More than the engine queues before it waits for the socket to drain, many times over.
    QByteArray data(24 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(5).fillRange(reinterpret_cast<quint32 *>(data.data()), data.size() / 4);
    ASSERT_TRUE(upload(*connection, QStringLiteral("big.bin"), data)) << describe(connection->error()).toStdString();
    EXPECT_EQ(m_server->readFile(QStringLiteral("big.bin")), data);
}

TEST_F(FtpTlsTest, TheUserAndPasswordNeverTravelInTheClear)
{
    if (!start(Tls::Required, true, true))
        GTEST_SKIP() << "needs the local server";
    const std::unique_ptr<FtpConnection> connection = connectWith(FtpSecurity::Opportunistic);
    ASSERT_TRUE(m_connected) << describe(connection->error()).toStdString();
    ASSERT_TRUE(connection->list().has_value()) << describe(connection->error()).toStdString();
    // The relay reads only what goes out before the handshake.
    const QStringList clear = m_server->relay()->commands();
    EXPECT_TRUE(clear.contains(QStringLiteral("AUTH TLS"))) << qPrintable(clear.join(u'|'));
    for (const QString &command : clear) {
        EXPECT_FALSE(command.startsWith(QLatin1String("USER")) || command.startsWith(QLatin1String("PASS")))
            << qPrintable(command);
    }
}

TEST_F(FtpTlsTest, AnUntrustedCertificateIsAskedAboutOncePerServerAndCertificate)
{
    if (!start(Tls::Required, false))
        GTEST_SKIP() << "needs the local server";
    // Without anyone to ask, an untrusted certificate ends the connect.
    std::unique_ptr<FtpConnection> connection = connectWith(FtpSecurity::Opportunistic);
    EXPECT_FALSE(m_connected);
    EXPECT_EQ(connection->error().kind(), FtpError::Kind::CertificateRefused);
    EXPECT_FALSE(m_commands.contains(QStringLiteral("PASS ****")));

    QStringList questions;
    bool answer = false;
    m_trust->setAsker([&](const QString &description) {
        questions.append(description);
        return answer;
    });
    connection = connectWith(FtpSecurity::Opportunistic);
    EXPECT_FALSE(m_connected);
    ASSERT_EQ(questions.size(), 1);
    const QString fingerprint
        = QString::fromLatin1(m_server->certificate().digest(QCryptographicHash::Sha256).toHex(':').toUpper());
    EXPECT_TRUE(questions.first().startsWith(text("CERT_UNTRUSTED").arg(m_server->host())));
    EXPECT_TRUE(questions.first().contains(fingerprint)) << qPrintable(questions.first());
    EXPECT_TRUE(questions.first().contains(text("CERT_SELFSIGNED")));

    // Trusted once, it holds for every later connection of the run: the engines reconnect often.
    answer = true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        connection = connectWith(FtpSecurity::Opportunistic);
        ASSERT_TRUE(m_connected) << describe(connection->error()).toStdString();
        ASSERT_TRUE(connection->list().has_value()) << describe(connection->error()).toStdString();
    }
    EXPECT_EQ(questions.size(), 2);

    // Another certificate on the same server is asked about again.
    connection.reset();
    ASSERT_TRUE(m_server->replaceCertificate());
    connection = connectWith(FtpSecurity::Opportunistic);
    EXPECT_TRUE(m_connected) << describe(connection->error()).toStdString();
    ASSERT_EQ(questions.size(), 3);
    EXPECT_TRUE(questions.last().startsWith(text("CERT_CHANGED").arg(m_server->host())));
}

TEST_F(FtpTlsTest, ALaterLoginResumesTheSessionAndKeepsWhatFeatSaid)
{
    using enum FtpSecurity;
    const struct {
        const char *name;
        Tls server;
        FtpSecurity security;
    } cases[] = { { "AUTH TLS", Tls::Required, RequireTls }, { "implicit TLS", Tls::Implicit, ImplicitTls } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        if (!start(c.server))
            GTEST_SKIP() << "needs the local server";
        const auto memory = std::make_shared<FtpServerMemory>();
        QList<QStringList> logins;
        for (int i = 0; i < 3; ++i) {
            m_commands.clear();
            const std::unique_ptr<FtpConnection> connection = connectWith(c.security, true, memory);
            ASSERT_TRUE(m_connected) << describe(connection->error()).toStdString();
            ASSERT_TRUE(connection->isEncrypted());
            // The data connection resumes the resumed session just as well.
            ASSERT_TRUE(connection->list().has_value()) << describe(connection->error()).toStdString();
            logins.append(m_commands);
        }
        EXPECT_EQ(m_server->controlHandshakes(),
            QStringList({ QStringLiteral("full"), QStringLiteral("resumed"), QStringLiteral("resumed") }));
        ASSERT_TRUE(logins[0].contains(QStringLiteral("FEAT")));
        // Apart from FEAT the later logins say what the first said: OPTS UTF8 ON, MLSD.
        QStringList withoutFeat = logins[0];
        withoutFeat.removeAll(QStringLiteral("FEAT"));
        EXPECT_EQ(logins[1], withoutFeat);
        EXPECT_EQ(logins[2], withoutFeat);

        // A connection that shares nothing with the others starts afresh.
        m_commands.clear();
        const std::unique_ptr<FtpConnection> fresh = connectWith(c.security);
        ASSERT_TRUE(m_connected) << describe(fresh->error()).toStdString();
        EXPECT_TRUE(m_commands.contains(QStringLiteral("FEAT")));
        EXPECT_EQ(m_server->controlHandshakes()->value(3), QStringLiteral("full"));
    }
}

} // namespace
