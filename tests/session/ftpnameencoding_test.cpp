// Server names that are not UTF-8: shown as Latin-1, and every command about them sends the
// server's own bytes; UTF-8 names as before. Against a real server whose files carry raw bytes.
#include "session/ftpconnection.h"
#include "session/ftperrortext.h"
#include "session/ftpnamecodec.h"
#include "session/ftpservermemory.h"
#include "support/ftptestserver.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr int testTimeoutMs = 5000;

// The bytes of the server's names and the text the program shows for them.
const QByteArray latin1File = "caf\xe9.txt";
const QByteArray latin1Twin = "caf\xe8.txt"; // differs only in the byte past ASCII
const QByteArray utf8File = "caf\xc3\xa9-utf8.txt";
const QByteArray latin1Folder = "d\xe9j\xe0";
const QString shownFile = QString::fromUtf8("café.txt");
const QString shownTwin = QString::fromUtf8("cafè.txt");
const QString shownUtf8File = QString::fromUtf8("café-utf8.txt");
const QString shownFolder = QString::fromUtf8("déjà");

TEST(FtpNameCodecTest, DecodesEachPartOnItsOwnAndEncodesItBackExactly)
{
    const struct {
        QByteArray server;
        QString shown;
    } cases[] = {
        { "caf\xe9.txt", QString::fromUtf8("café.txt") },
        { "caf\xc3\xa9.txt", QString::fromUtf8("café.txt") },
        { "/pub/d\xe9j\xe0/caf\xc3\xa9", QString::fromUtf8("/pub/déjà/café") },
        { "/\xfc/x/", QString::fromUtf8("/ü/x/") },
        { "plain", QStringLiteral("plain") },
    };
    for (const auto &c : cases) {
        FtpNameCodec codec;
        EXPECT_EQ(codec.decodeName(c.server), c.shown) << c.server.toStdString();
        EXPECT_EQ(codec.encodeName(c.shown), c.server) << c.server.toStdString();
    }
}

TEST(FtpNameCodecTest, OnlyPathnameArgumentsTakeTheServersBytes)
{
    FtpNameCodec codec;
    codec.decodeName("caf\xe9");
    const QString name = QString::fromUtf8("café");
    EXPECT_EQ(codec.encodeCommand(QStringLiteral("RETR /x/") + name), QByteArray("RETR /x/caf\xe9"));
    EXPECT_EQ(codec.encodeCommand(QStringLiteral("RNTO ") + name), QByteArray("RNTO caf\xe9"));
    // A password that happens to spell a remembered name is still the user's UTF-8 text.
    EXPECT_EQ(codec.encodeCommand(QStringLiteral("PASS ") + name), QByteArray("PASS caf\xc3\xa9"));
    EXPECT_EQ(codec.encodeCommand(QStringLiteral("RETR ") + name + u'x'), QByteArray("RETR caf\xc3\xa9x"));
    codec.useKnownParts(nullptr);
    EXPECT_EQ(codec.encodeCommand(QStringLiteral("RETR ") + name), QByteArray("RETR caf\xc3\xa9"));
}

class FtpNameEncodingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start());
        if (!m_server.canMakeLinks())
            GTEST_SKIP() << "the server's root is out of reach, so no raw name can be made";
        m_root = *m_server.fileSystemPath({});
        writeRaw(latin1File, "latin");
        writeRaw(latin1Twin, "twin");
        writeRaw(utf8File, "unicode");
        writeRaw(latin1Folder + '/' + latin1File, "inside");
        m_connection.setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
        ASSERT_TRUE(
            m_connection.connectToHost(m_server.host(), m_server.port(), m_server.user(), m_server.password(), true))
            << describe(m_connection.error()).toStdString();
    }

    void TearDown() override
    {
        // An external server's own clean-up speaks UTF-8 and could not remove these.
        if (!m_root.empty()) {
            for (const fs::directory_entry &entry : fs::directory_iterator(m_root))
                fs::remove_all(entry.path());
        }
    }

    fs::path raw(const QByteArray &path) const { return m_root / path.toStdString(); }
    void writeRaw(const QByteArray &path, const QByteArray &data)
    {
        fs::create_directories(raw(path).parent_path());
        std::ofstream(raw(path), std::ios::binary).write(data.constData(), data.size());
    }
    QByteArray readRaw(const QByteArray &path) const
    {
        std::ifstream in(raw(path), std::ios::binary);
        return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
    }
    QStringList listedNames()
    {
        QStringList names;
        const std::optional<QList<RemoteEntry>> entries = m_connection.list();
        EXPECT_TRUE(entries) << describe(m_connection.error()).toStdString();
        for (const RemoteEntry &entry : entries.value_or(QList<RemoteEntry>()))
            names.append(entry.name);
        names.sort();
        return names;
    }

    FtpTestServer m_server;
    fs::path m_root;
    FtpConnection m_connection;
    QTemporaryDir m_local;
};

TEST_F(FtpNameEncodingTest, ListingShowsLatin1NamesAsLatin1AndKeepsEveryNameApart)
{
    EXPECT_EQ(listedNames(), QStringList({ shownTwin, shownUtf8File, shownFile, shownFolder }));
}

TEST_F(FtpNameEncodingTest, CommandsAboutAListedNameSendItsBytes)
{
    listedNames();
    EXPECT_EQ(m_connection.fileSize(shownFile), 5) << describe(m_connection.error()).toStdString();
    EXPECT_EQ(m_connection.fileSize(shownUtf8File), 7) << describe(m_connection.error()).toStdString();

    const QString local = m_local.filePath(shownTwin);
    ASSERT_TRUE(m_connection.getFile(shownTwin, local)) << describe(m_connection.error()).toStdString();
    QFile downloaded(local);
    ASSERT_TRUE(downloaded.open(QIODevice::ReadOnly));
    EXPECT_EQ(downloaded.readAll(), "twin");

    ASSERT_TRUE(m_connection.deleteFile(shownTwin)) << describe(m_connection.error()).toStdString();
    EXPECT_FALSE(fs::exists(raw(latin1Twin)));
    EXPECT_EQ(readRaw(latin1File), "latin");

    ASSERT_TRUE(m_connection.rename(shownFile, shownTwin)) << describe(m_connection.error()).toStdString();
    EXPECT_FALSE(fs::exists(raw(latin1File)));
    EXPECT_EQ(readRaw(latin1Twin), "latin");
    EXPECT_TRUE(fs::exists(raw(utf8File)));
}

TEST_F(FtpNameEncodingTest, Latin1FolderIsEnteredShownAndWorkedIn)
{
    listedNames();
    ASSERT_TRUE(m_connection.setCurrentDirectory(shownFolder)) << describe(m_connection.error()).toStdString();
    const std::optional<QString> where = m_connection.currentDirectory();
    ASSERT_TRUE(where) << describe(m_connection.error()).toStdString();
    EXPECT_EQ(*where, u'/' + shownFolder);
    EXPECT_EQ(listedNames(), QStringList({ shownFile }));

    // The folder's path as PWD gave it goes back as the server's bytes.
    ASSERT_TRUE(m_connection.setCurrentDirectory(QStringLiteral("/")));
    ASSERT_TRUE(m_connection.setCurrentDirectory(*where)) << describe(m_connection.error()).toStdString();
    ASSERT_TRUE(m_connection.createDirectory(*where + QStringLiteral("/new")))
        << describe(m_connection.error()).toStdString();
    EXPECT_TRUE(fs::is_directory(raw(latin1Folder + "/new")));
    ASSERT_TRUE(m_connection.removeDirectory(QStringLiteral("new"))) << describe(m_connection.error()).toStdString();
    EXPECT_FALSE(fs::exists(raw(latin1Folder + "/new")));

    // An upload over the listed file replaces it instead of adding a UTF-8 namesake.
    ASSERT_TRUE(m_connection.openFileForWriting(shownFile, FtpConnection::TransferType::Binary));
    ASSERT_TRUE(m_connection.writeFile("replaced"));
    ASSERT_TRUE(m_connection.closeFile()) << describe(m_connection.error()).toStdString();
    EXPECT_EQ(readRaw(latin1Folder + '/' + latin1File), "replaced");
    EXPECT_EQ(listedNames(), QStringList({ shownFile }));
}

TEST_F(FtpNameEncodingTest, ANewConnectionToTheServerSendsNamesLearntBefore)
{
    // The way a reconnect goes: a new connection that returns to the folder without listing.
    const auto memory = std::make_shared<FtpServerMemory>();
    m_connection.setServerMemory(memory);
    ASSERT_TRUE(
        m_connection.connectToHost(m_server.host(), m_server.port(), m_server.user(), m_server.password(), true));
    listedNames();
    FtpConnection again;
    again.setTimeouts({ testTimeoutMs, testTimeoutMs, testTimeoutMs });
    again.setServerMemory(memory);
    ASSERT_TRUE(again.connectToHost(m_server.host(), m_server.port(), m_server.user(), m_server.password(), true));
    EXPECT_TRUE(again.setCurrentDirectory(u'/' + shownFolder)) << describe(again.error()).toStdString();
}

} // namespace
