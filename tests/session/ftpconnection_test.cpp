// FtpConnection against a real server, every operation in passive and in active mode.
#include "core/fileattributes.h"
#include "session/ftpconnection.h"
#include "session/ftpdatachannel.h"
#include "session/ftperrortext.h"
#include "support/ftprelay.h"
#include "support/ftptestserver.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <ctime>

#include <gtest/gtest.h>

namespace {

constexpr int testTimeoutMs = 5000;

QByteArray randomBytes(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(4711);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

std::optional<QByteArray> readLocal(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool upload(FtpConnection &connection, const QString &name, const QByteArray &data,
    FtpConnection::TransferType type = FtpConnection::TransferType::Binary)
{
    if (!connection.openFileForWriting(name, type))
        return false;
    // Odd-sized blocks, as a file reader would hand them over.
    for (qsizetype at = 0; at < data.size(); at += 100000) {
        if (!connection.writeFile(data.mid(at, 100000)))
            return false;
    }
    return connection.closeFile();
}

class FtpConnectionTest : public ::testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start());
        ASSERT_TRUE(m_local.isValid());
        m_connection.setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
        QObject::connect(
            &m_connection, &FtpConnection::commandSent, [this](const QString &command) { m_commands.append(command); });
        ASSERT_TRUE(connectToServer(m_connection)) << describe(m_connection.error()).toStdString();
    }

    bool connectToServer(FtpConnection &connection)
    {
        return connection.connectToHost(
            m_server.host(), m_server.port(), m_server.user(), m_server.password(), GetParam());
    }

    QString localPath(const QString &name) const { return m_local.filePath(name); }

    FtpTestServer m_server;
    QTemporaryDir m_local;
    FtpConnection m_connection;
    QStringList m_commands;
};

TEST_P(FtpConnectionTest, LogsInWithFeaturesAndUsesTheModesDataCommand)
{
    EXPECT_TRUE(m_connection.isConnected());
    EXPECT_TRUE(m_commands.contains(QStringLiteral("FEAT")));
    EXPECT_TRUE(m_commands.contains(QStringLiteral("PASS ****")));
    ASSERT_TRUE(m_connection.list().has_value()) << describe(m_connection.error()).toStdString();
    // RFC 3659: MLSD where FEAT announced MLST, LIST elsewhere (vsftpd).
    EXPECT_TRUE(m_commands.contains(QStringLiteral("MLSD")) || m_commands.contains(QStringLiteral("LIST")));
    const QString dataCommand = GetParam() ? QStringLiteral("PASV") : QStringLiteral("PORT ");
    EXPECT_TRUE(std::any_of(m_commands.begin(), m_commands.end(), [&](const QString &command) {
        return command.startsWith(dataCommand);
    })) << m_commands.join(QLatin1Char('|')).toStdString();
}

TEST_P(FtpConnectionTest, ChangesAndReportsDirectories)
{
    ASSERT_TRUE(m_server.makeFolder(QStringLiteral("pub/sub dir/Grüße")));
    ASSERT_TRUE(m_server.makeFolder(QStringLiteral("say \"hi\"")));
    struct Step {
        const char *path;
        bool ok;
        const char *current; // afterwards
    };
    const Step steps[] = {
        { "/pub", true, "/pub" },
        { "sub dir", true, "/pub/sub dir" },
        { "Grüße", true, "/pub/sub dir/Grüße" },
        { "..", true, "/pub/sub dir" },
        { "missing", false, "/pub/sub dir" },
        { "/nowhere/at all", false, "/pub/sub dir" },
        { "/say \"hi\"", true, "/say \"hi\"" },
        { "..", true, "/" },
    };
    for (const Step &step : steps) {
        const QString path = QString::fromUtf8(step.path);
        EXPECT_EQ(m_connection.setCurrentDirectory(path), step.ok) << step.path;
        if (!step.ok) {
            EXPECT_EQ(m_connection.error().replyClass(), FtpReply::ReplyClass::PermanentError) << step.path;
        }
        EXPECT_EQ(m_connection.currentDirectory(), QString::fromUtf8(step.current)) << step.path;
    }
}

TEST_P(FtpConnectionTest, ListsNamesWithBlanksAndUmlauts)
{
    ASSERT_TRUE(m_server.makeFolder(QStringLiteral("pub/Ordner mit  Blanks")));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/Grüße an Jörg.txt"), "12345"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/empty"), {}));
    ASSERT_TRUE(m_connection.setCurrentDirectory(QStringLiteral("pub")));
    const std::optional<QList<RemoteEntry>> entries = m_connection.list();
    ASSERT_TRUE(entries.has_value()) << describe(m_connection.error()).toStdString();
    ASSERT_EQ(entries->size(), 3);
    QMap<QString, RemoteEntry> byName;
    for (const RemoteEntry &entry : *entries)
        byName.insert(entry.name, entry);
    ASSERT_TRUE(byName.contains(QStringLiteral("Ordner mit  Blanks")));
    EXPECT_TRUE(byName.value(QStringLiteral("Ordner mit  Blanks")).isFolder);
    EXPECT_EQ(byName.value(QStringLiteral("Ordner mit  Blanks")).attributes & FileAttribute::Directory, FileAttribute::Directory);
    ASSERT_TRUE(byName.contains(QStringLiteral("Grüße an Jörg.txt")));
    EXPECT_FALSE(byName.value(QStringLiteral("Grüße an Jörg.txt")).isFolder);
    EXPECT_EQ(byName.value(QStringLiteral("Grüße an Jörg.txt")).size, 5);
    EXPECT_EQ(byName.value(QStringLiteral("empty")).size, 0);
}

TEST_P(FtpConnectionTest, TransfersFilesByteForByteBothWays)
{
    const struct {
        const char *name;
        qsizetype size;
    } files[] = { { "leer", 0 }, { "Grüße an Jörg.bin", 1000 }, { "big file.bin", 5 * 1024 * 1024 } };
    for (const auto &file : files) {
        const QString name = QString::fromUtf8(file.name);
        const QByteArray data = randomBytes(file.size);

        ASSERT_TRUE(m_server.writeFile(name, data));
        ASSERT_TRUE(m_connection.getFile(name, localPath(name))) << describe(m_connection.error()).toStdString();
        EXPECT_EQ(readLocal(localPath(name)), data) << file.name;

        const QString copy = QStringLiteral("up ") + name;
        ASSERT_TRUE(upload(m_connection, copy, data)) << describe(m_connection.error()).toStdString();
        EXPECT_EQ(m_server.readFile(copy), data) << file.name;
    }
}

TEST_P(FtpConnectionTest, DownloadOverwritesAndRefusalKeepsTheLocalFile)
{
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("a.txt"), "new"));
    QFile existing(localPath(QStringLiteral("a.txt")));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("old content that is longer");
    existing.close();

    EXPECT_FALSE(m_connection.getFile(QStringLiteral("missing.txt"), localPath(QStringLiteral("a.txt"))));
    EXPECT_EQ(m_connection.error().replyClass(), FtpReply::ReplyClass::PermanentError);
    EXPECT_EQ(readLocal(localPath(QStringLiteral("a.txt"))), QByteArray("old content that is longer"));

    ASSERT_TRUE(m_connection.getFile(QStringLiteral("a.txt"), localPath(QStringLiteral("a.txt"))))
        << describe(m_connection.error()).toStdString() << m_commands.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(readLocal(localPath(QStringLiteral("a.txt"))), QByteArray("new"));

    // A local file that cannot be written fails the call; the connection stays usable.
    EXPECT_FALSE(m_connection.getFile(QStringLiteral("a.txt"), localPath(QStringLiteral("no folder/a.txt"))));
    EXPECT_TRUE(m_connection.error().isError());
    // vsftpd ends the whole session when a TLS data connection is cut short: cleanly gone is
    // the other outcome a client must handle.
    const std::optional<QString> directory = m_connection.currentDirectory();
    if (m_server.isTls() && !m_connection.isConnected())
        return;
    EXPECT_EQ(directory, QStringLiteral("/"))
        << describe(m_connection.error()).toStdString() << m_commands.join(QLatin1Char('|')).toStdString();
}

TEST_P(FtpConnectionTest, AsciiUploadTravelsWithNetworkLineEnds)
{
    // TYPE A sends CR LF (RFC 959, 3.1.1.1); what the server stores is its own business.
    FtpTestServer server;
    server.setRelayed(true);
    ASSERT_TRUE(server.start());
    if (server.isTls())
        GTEST_SKIP() << "over TLS the relay sees the uploaded bytes, and active mode's PORT, only as ciphertext";
    FtpConnection connection;
    connection.setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
    ASSERT_TRUE(connection.connectToHost(server.host(), server.port(), server.user(), server.password(), GetParam()))
        << describe(connection.error()).toStdString();
    const QByteArray text = "first line\nsecond line\r\nthird\n";
    ASSERT_TRUE(upload(connection, QStringLiteral("text.txt"), text, FtpConnection::TransferType::Ascii));
    EXPECT_EQ(server.relay()->clientData(), QByteArray("first line\r\nsecond line\r\nthird\r\n"));
    EXPECT_TRUE(server.relay()->commands().contains(QStringLiteral("TYPE A")));
}

TEST_P(FtpConnectionTest, FolderAndFileCommandsReportTheServersAnswer)
{
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("full/inside.txt"), "x"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("one.txt"), "one"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("two.txt"), "two"));

    EXPECT_TRUE(m_connection.createDirectory(QStringLiteral("neu mit Ä")));
    EXPECT_TRUE(m_server.exists(QStringLiteral("neu mit Ä")));
    EXPECT_FALSE(m_connection.createDirectory(QStringLiteral("neu mit Ä")));
    EXPECT_TRUE(m_connection.removeDirectory(QStringLiteral("neu mit Ä")));
    EXPECT_FALSE(m_server.exists(QStringLiteral("neu mit Ä")));

    // A folder that still holds files cannot be removed.
    EXPECT_FALSE(m_connection.removeDirectory(QStringLiteral("full")));
    EXPECT_EQ(m_connection.error().replyClass(), FtpReply::ReplyClass::PermanentError);
    EXPECT_TRUE(m_server.exists(QStringLiteral("full/inside.txt")));

    EXPECT_TRUE(m_connection.deleteFile(QStringLiteral("full/inside.txt")));
    EXPECT_FALSE(m_server.exists(QStringLiteral("full/inside.txt")));
    EXPECT_FALSE(m_connection.deleteFile(QStringLiteral("full/inside.txt")));
    EXPECT_EQ(m_connection.error().replyClass(), FtpReply::ReplyClass::PermanentError);

    EXPECT_FALSE(m_connection.rename(QStringLiteral("missing"), QStringLiteral("other")));
    EXPECT_EQ(m_connection.error().replyClass(), FtpReply::ReplyClass::PermanentError);
    // Servers on Unix rename onto an existing name (POSIX rename replaces the target).
    EXPECT_TRUE(m_connection.rename(QStringLiteral("one.txt"), QStringLiteral("two.txt")));
    EXPECT_FALSE(m_server.exists(QStringLiteral("one.txt")));
    EXPECT_EQ(m_server.readFile(QStringLiteral("two.txt")), QByteArray("one"));

    EXPECT_TRUE(m_connection.noop());
}

TEST_P(FtpConnectionTest, RefusesNamesThatWouldInjectCommands)
{
    ASSERT_TRUE(m_server.makeFolder(QStringLiteral("keep")));
    EXPECT_FALSE(m_connection.createDirectory(QStringLiteral("x\r\nRMD keep")));
    EXPECT_FALSE(m_connection.deleteFile(QString()));
    EXPECT_TRUE(m_server.exists(QStringLiteral("keep")));
    EXPECT_FALSE(m_server.exists(QStringLiteral("x")));
    EXPECT_TRUE(m_connection.noop());
}

TEST_P(FtpConnectionTest, UploadIntoMissingFolderFails)
{
    EXPECT_FALSE(
        m_connection.openFileForWriting(QStringLiteral("missing/file.txt"), FtpConnection::TransferType::Binary));
    EXPECT_EQ(m_connection.error().replyClass(), FtpReply::ReplyClass::PermanentError);
    EXPECT_FALSE(m_connection.writeFile("data"));
    EXPECT_FALSE(m_connection.closeFile());
    EXPECT_TRUE(m_connection.noop());
}

// The window runs transfers from inside its event loop, where a deferred delete waits for the
// whole run: each data connection's megabyte buffer must go when its transfer ends.
TEST_P(FtpConnectionTest, DataConnectionsGoWhenTheirTransferEndsInsideARunningEventLoop)
{
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("one.bin"), randomBytes(100000)));
    QEventLoop loop;
    bool transferred = true;
    int mostAlive = 0;
    QTimer::singleShot(0, &loop, [&] {
        for (int i = 0; i < 20 && transferred; ++i) {
            transferred = m_connection.getFile(QStringLiteral("one.bin"), localPath(QStringLiteral("one.bin")))
                && m_connection.list().has_value()
                && upload(m_connection, QStringLiteral("up.bin"), QByteArray(1000, 'u'));
            mostAlive = std::max(mostAlive, FtpDataChannel::liveCount());
        }
        loop.quit();
    });
    loop.exec();
    EXPECT_TRUE(transferred) << describe(m_connection.error()).toStdString();
    EXPECT_EQ(mostAlive, 0);
}

TEST_P(FtpConnectionTest, FileSizeIsTheStoredByteCount)
{
    const QByteArray data = randomBytes(123457);
    ASSERT_TRUE(upload(m_connection, QStringLiteral("sized.bin"), data));
    EXPECT_EQ(m_connection.fileSize(QStringLiteral("sized.bin")), data.size());
    EXPECT_EQ(m_connection.fileSize(QStringLiteral("missing.bin")), std::nullopt);
    EXPECT_TRUE(m_connection.error().isError());
    EXPECT_TRUE(m_connection.noop());
}

// A local read error or a Stop in the middle of an upload: ABOR, then the connection is usable,
// or cleanly gone where the server ends the session instead.
TEST_P(FtpConnectionTest, AbortFileEndsAnOpenUploadAndTheConnectionGoesOn)
{
    ASSERT_TRUE(m_connection.openFileForWriting(QStringLiteral("cut.bin"), FtpConnection::TransferType::Binary));
    ASSERT_TRUE(m_connection.writeFile(randomBytes(1024 * 1024)));
    const bool usable = m_connection.abortFile();
    EXPECT_TRUE(m_commands.contains(QStringLiteral("ABOR")));
    EXPECT_EQ(usable, m_connection.isConnected());
    EXPECT_FALSE(m_connection.isBusy());
    if (!usable) {
        const qsizetype sent = m_commands.size();
        EXPECT_FALSE(m_connection.noop());
        EXPECT_EQ(m_commands.size(), sent);
        ASSERT_TRUE(connectToServer(m_connection)) << describe(m_connection.error()).toStdString();
    }
    const QByteArray data = randomBytes(300000);
    ASSERT_TRUE(upload(m_connection, QStringLiteral("cut.bin"), data)) << describe(m_connection.error()).toStdString();
    EXPECT_EQ(m_connection.fileSize(QStringLiteral("cut.bin")), data.size());
}

TEST_P(FtpConnectionTest, OpenUploadRefusesOtherCommands)
{
    ASSERT_TRUE(m_connection.openFileForWriting(QStringLiteral("f.bin"), FtpConnection::TransferType::Binary));
    EXPECT_TRUE(m_connection.isBusy());
    EXPECT_FALSE(m_connection.list().has_value());
    EXPECT_TRUE(m_connection.writeFile("abc"));
    EXPECT_TRUE(m_connection.closeFile());
    EXPECT_FALSE(m_connection.isBusy());
    EXPECT_EQ(m_server.readFile(QStringLiteral("f.bin")), QByteArray("abc"));
}

// IPv6 (EPSV/EPRT, RFC 2428) and servers behind NAT whose PASV names an address nobody can reach.
struct NetworkCase {
    const char *name;
    const char *listen;
    const char *masquerade;
    bool passive;
    const char *dataCommand;
};

void PrintTo(const NetworkCase &c, std::ostream *out)
{
    *out << c.name;
}

class FtpConnectionNetworkTest : public ::testing::TestWithParam<NetworkCase> { };

TEST_P(FtpConnectionNetworkTest, TransfersOverTheRightDataConnection)
{
    const NetworkCase &c = GetParam();
    if (qEnvironmentVariableIsSet("FERROLINK_TEST_FTP_URL"))
        GTEST_SKIP() << "needs the local test server";
    FtpTestServer server;
    server.setListenAddress(QString::fromLatin1(c.listen));
    server.setMasqueradeAddress(QString::fromLatin1(c.masquerade));
    ASSERT_TRUE(server.start());
    QTemporaryDir local;
    FtpConnection connection;
    connection.setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
    QStringList commands;
    QObject::connect(
        &connection, &FtpConnection::commandSent, [&](const QString &command) { commands.append(command); });
    ASSERT_TRUE(connection.connectToHost(server.host(), server.port(), server.user(), server.password(), c.passive))
        << describe(connection.error()).toStdString();

    const QByteArray data = randomBytes(100000);
    ASSERT_TRUE(upload(connection, QStringLiteral("x.bin"), data)) << describe(connection.error()).toStdString();
    const std::optional<QList<RemoteEntry>> entries = connection.list();
    ASSERT_TRUE(entries.has_value()) << describe(connection.error()).toStdString();
    ASSERT_EQ(entries->size(), 1);
    EXPECT_EQ(entries->first().size, data.size());
    ASSERT_TRUE(connection.getFile(QStringLiteral("x.bin"), local.filePath(QStringLiteral("x.bin"))))
        << describe(connection.error()).toStdString();
    EXPECT_EQ(readLocal(local.filePath(QStringLiteral("x.bin"))), data);
    EXPECT_TRUE(std::any_of(commands.begin(), commands.end(), [&](const QString &command) {
        return command.startsWith(QLatin1String(c.dataCommand));
    })) << commands.join(QLatin1Char('|')).toStdString();
}

// The machine's time zone for one test, the old one back at its end.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char *zone)
        : m_old(qgetenv("TZ"))
        , m_wasSet(qEnvironmentVariableIsSet("TZ"))
    {
        qputenv("TZ", zone);
        ::tzset();
    }
    ~TimeZoneScope()
    {
        if (m_wasSet)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        ::tzset();
    }

private:
    QByteArray m_old;
    bool m_wasSet;
};

// MLSD gives UTC, LIST the server's own clock: a server in the user's zone shows a file at the
// same time through either listing, and that is the user's clock.
TEST(FtpListingTimes, MlsdAndListShowTheSameTime)
{
    if (qEnvironmentVariableIsSet("FERROLINK_TEST_FTP_URL"))
        GTEST_SKIP() << "needs the local test server in both listing styles";
    const TimeZoneScope zone("XYZ-3"); // POSIX: three hours east of UTC, no summer time
    // Recent, so that LIST gives the time of day; whole minutes, all that LIST gives.
    QDateTime written = QDateTime::currentDateTimeUtc().addDays(-10);
    written.setTime(QTime(written.time().hour(), written.time().minute()));
    const QDateTime onTheClock(written.toLocalTime().date(), written.toLocalTime().time(), Qt::UTC);
    ASSERT_EQ(written.secsTo(onTheClock), 3 * 3600);

    for (const bool listOnly : { false, true }) {
        SCOPED_TRACE(listOnly ? "LIST" : "MLSD");
        FtpTestServer server;
        server.setListOnly(listOnly);
        ASSERT_TRUE(server.start());
        ASSERT_TRUE(server.writeFile(QStringLiteral("dated.txt"), "d"));
        QFile file(server.rootPath() + QStringLiteral("/dated.txt"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(written, QFileDevice::FileModificationTime));
        file.close();
        FtpConnection connection;
        QStringList commands;
        QObject::connect(
            &connection, &FtpConnection::commandSent, [&](const QString &command) { commands.append(command); });
        ASSERT_TRUE(connection.connectToHost(server.host(), server.port(), server.user(), server.password(), true));
        const std::optional<QList<RemoteEntry>> entries = connection.list();
        ASSERT_TRUE(entries && entries->size() == 1) << describe(connection.error()).toStdString();
        EXPECT_TRUE(commands.join(u' ').contains(listOnly ? u"LIST" : u"MLSD")) << qPrintable(commands.join(u' '));
        EXPECT_EQ(entries->first().lastWrite, onTheClock) << qPrintable(entries->first().lastWrite.toString());
    }
}

INSTANTIATE_TEST_SUITE_P(Networks, FtpConnectionNetworkTest,
    ::testing::Values(NetworkCase { "IPv6Passive", "::1", "", true, "EPSV" },
        NetworkCase { "IPv6Active", "::1", "", false, "EPRT |2|::1|" },
        NetworkCase { "PrivatePasvAddress", "127.0.0.1", "10.1.2.3", true, "PASV" },
        NetworkCase { "UnspecifiedPasvAddress", "127.0.0.1", "0.0.0.0", true, "PASV" }),
    [](const ::testing::TestParamInfo<NetworkCase> &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(Modes, FtpConnectionTest, ::testing::Values(true, false),
    [](const ::testing::TestParamInfo<bool> &info) { return info.param ? "Passive" : "Active"; });

} // namespace
