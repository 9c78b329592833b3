// The upload engine against a real server: work list, server folders, lines, reconnects,
// transfer types, and what happens to files that cannot be read or folders that cannot be
// entered.
#include "transfer/uploadengine.h"

#include "support/ftprelay.h"
#include "transfertestfixture.h"

#include <QRegularExpression>

namespace {

using Colour = HistoryLog::Colour;
using Variant = UploadEngine::Variant;

class UploadEngineTest : public TransferTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start());
        m_started = true;
        ASSERT_TRUE(m_server.makeFolder(QStringLiteral("up")));
        ASSERT_TRUE(writeLocal(QStringLiteral("src/a.txt"), "alpha\n"));
        ASSERT_TRUE(writeLocal(QStringLiteral("src/tree/x.bin"), QByteArray("x\r\ny\0z", 6)));
        ASSERT_TRUE(writeLocal(QStringLiteral("src/tree/sub/y.txt"), "why"));
        ASSERT_TRUE(QDir().mkpath(local(QStringLiteral("src/tree/empty"))));
        connectTo(QStringLiteral("/up"));
    }

    void upload(const QList<TransferItem> &selection, Variant variant = Variant::Selection)
    {
        m_engine.UploadSelection(selection, local(QStringLiteral("src")), variant);
    }
    QList<TransferItem> fileAndTree() const
    {
        return { { QStringLiteral("tree"), true, -1 }, { QStringLiteral("a.txt"), false, 6 } };
    }

    UploadEngine m_engine { m_services, m_host };
};

TEST_F(UploadEngineTest, UploadsFilesAndTreesCreatingServerFolders)
{
    upload(fileAndTree());

    EXPECT_EQ(m_server.readTextFile(QStringLiteral("up/a.txt")), "alpha\n");
    EXPECT_EQ(m_server.readFile(QStringLiteral("up/tree/x.bin")), QByteArray("x\r\ny\0z", 6));
    EXPECT_EQ(m_server.readFile(QStringLiteral("up/tree/sub/y.txt")), "why");
    EXPECT_TRUE(m_server.exists(QStringLiteral("up/tree/empty")));
    EXPECT_TRUE(linesOf(Colour::Red).isEmpty()) << qPrintable(lineTexts().join(u'\n'));

    const QStringList lines = lineTexts();
    for (const char *name : { "tree", "empty", "sub" }) {
        const qsizetype at = lines.indexOf(QStringLiteral("Creating folder %1 ...").arg(name));
        ASSERT_GE(at, 0) << qPrintable(name);
        EXPECT_EQ(lines.value(at + 1), QStringLiteral("Folder created."));
    }
    const qsizetype start = lines.indexOf(QStringLiteral("Uploading ") + local(QStringLiteral("src/tree/sub/y.txt")));
    EXPECT_GT(start, lines.indexOf(QStringLiteral("Creating folder sub ...")));
    EXPECT_EQ(lines.value(start + 1), QStringLiteral("Upload complete."));

    // One fresh connection per entry: tree, a.txt, and empty/, sub/, x.bin, y.txt below tree.
    EXPECT_EQ(m_host.reconnects, 6);
    EXPECT_EQ(m_host.watchCalls, QList<bool>({ false, true, false, true, false, true }));
    EXPECT_EQ(serverDirectory(), QStringLiteral("/up"));
    EXPECT_EQ(m_host.serverRefreshes, 1);
    EXPECT_EQ(m_progress.ranges.constLast(), qMakePair(0, 5));
    EXPECT_EQ(m_progress.values.constLast(), 0);
}

TEST_F(UploadEngineTest, ExistingFoldersAreEnteredSilentlyExceptByTheContextMenu)
{
    upload(fileAndTree());
    m_history.clear();
    upload(fileAndTree());
    EXPECT_FALSE(lineTexts().join(u'\n').contains(QStringLiteral("Creating folder")));
    EXPECT_EQ(linesOf(Colour::Green).size(), 3);

    m_history.clear();
    upload(fileAndTree(), Variant::ContextMenu);
    // Every folder name of every entry, the empty last name of a folder entry too; nothing new
    // is created.
    const QStringList lines = lineTexts();
    EXPECT_EQ(lines.count(QStringLiteral("Creating folder tree on the server ...")), 5);
    EXPECT_EQ(lines.count(QStringLiteral("Creating folder  on the server ...")), 3);
    EXPECT_EQ(lines.count(QStringLiteral("Folder created.")), 0);
    EXPECT_EQ(m_progress.shownCalls, QList<bool>({ true, false }));
    EXPECT_EQ(m_progress.ranges.constLast(), qMakePair(0, 6));
}

TEST_F(UploadEngineTest, TransferTypeFollowsTheModeAndTheExtension)
{
    const struct {
        bool automatic;
        FtpConnection::TransferType type;
        const char *name;
        const char *expectedType;
    } cases[] = {
        { false, FtpConnection::TransferType::Ascii, "a.txt", "TYPE A" },
        { false, FtpConnection::TransferType::Ascii, "x.bin", "TYPE A" },
        { false, FtpConnection::TransferType::Binary, "a.txt", "TYPE I" },
        { true, FtpConnection::TransferType::Binary, "a.txt", "TYPE A" },
        { true, FtpConnection::TransferType::Binary, "x.bin", "TYPE I" },
        { true, FtpConnection::TransferType::Binary, "a.txt.gz", "TYPE I" },
    };
    ASSERT_TRUE(writeLocal(QStringLiteral("src/a.txt.gz"), QByteArray("\x1f\x8b\r\n", 4)));
    for (const auto &c : cases) {
        m_session.setAutomaticMode(c.automatic);
        m_session.setTransferType(c.type);
        // A fresh connection has no type yet, so the STOR is preceded by the type it needs.
        connectTo(QStringLiteral("/up"));
        const QString name = QString::fromLatin1(c.name);
        const QString path = name == u"x.bin" ? QStringLiteral("src/tree/") : QStringLiteral("src/");
        ASSERT_TRUE(m_engine.UploadFile(local(path + name), name)) << c.name;
        // The second upload of a name goes to a temporary name beside it first.
        const qsizetype stor = m_host.commands.indexOf(QRegularExpression(
            QStringLiteral("STOR ") + QRegularExpression::escape(name) + QStringLiteral("(\\.[0-9a-f]+\\.part)?")));
        ASSERT_GE(stor, 0) << c.name;
        // The type in force for the STOR is the last one set before it.
        const QStringList before = m_host.commands.mid(0, stor).filter(QStringLiteral("TYPE "));
        ASSERT_FALSE(before.isEmpty()) << c.name;
        EXPECT_EQ(before.constLast(), QLatin1String(c.expectedType)) << c.name << " automatic " << c.automatic;
        if (QLatin1String(c.expectedType) == u"TYPE I") {
            EXPECT_EQ(m_server.readFile(QStringLiteral("up/") + name), readLocal(path + name)) << c.name;
        }
    }
}

TEST_F(UploadEngineTest, FileThatCannotBeReadIsNotSent)
{
    ASSERT_TRUE(QFile::link(local(QStringLiteral("src/nowhere")), local(QStringLiteral("src/dangling"))));
    upload({ { QStringLiteral("gone.txt"), false, 4 }, { QStringLiteral("dangling"), false, 0 },
        { QStringLiteral("a.txt"), false, 6 } });

    EXPECT_FALSE(m_server.exists(QStringLiteral("up/gone.txt")));
    EXPECT_FALSE(m_server.exists(QStringLiteral("up/dangling")));
    EXPECT_EQ(m_server.readTextFile(QStringLiteral("up/a.txt")), "alpha\n");
    EXPECT_EQ(linesOf(Colour::Red).size(), 2);
}

// Its own fixture: the server is reached through the relay, which must be set before it starts.
using UploadFaultTest = TransferTest;

TEST_F(UploadFaultTest, ServerGoneMidFileGivesARedLineAndTheRunGoesOn)
{
    m_server.setRelayed(true);
    ASSERT_TRUE(writeLocal(QStringLiteral("big.bin"), QByteArray(32 * 1024 * 1024, 'b')));
    ASSERT_TRUE(writeLocal(QStringLiteral("small.txt"), "s"));
    connectTo();
    UploadEngine engine { m_services, m_host };
    // The server goes away while the file's bytes are surely under way.
    m_server.relay()->setDataHold(1024 * 1024);
    QObject::connect(m_server.relay(), &FtpRelay::dataHeld, [this] { m_server.relay()->goAway(); });

    engine.UploadSelection(
        { { QStringLiteral("big.bin"), false, 32 * 1024 * 1024 }, { QStringLiteral("small.txt"), false, 1 } }, local());

    EXPECT_FALSE(lineTexts().contains(QStringLiteral("Upload complete.")));
    EXPECT_FALSE(linesOf(Colour::Red).isEmpty());
    // The watch is on again however the file ended.
    ASSERT_FALSE(m_host.watchCalls.isEmpty());
    EXPECT_TRUE(m_host.watchCalls.constLast());
}

TEST_F(UploadEngineTest, FolderThatCannotBeEnteredReceivesNothingElsewhere)
{
    // A file where the tree's folder should go: it can be neither created nor entered.
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("up/tree"), "a file"));
    upload(fileAndTree());

    EXPECT_FALSE(m_server.exists(QStringLiteral("up/x.bin")));
    EXPECT_FALSE(m_server.exists(QStringLiteral("up/y.txt")));
    EXPECT_FALSE(m_server.exists(QStringLiteral("up/sub")));
    EXPECT_EQ(m_server.readFile(QStringLiteral("up/tree")), "a file");
    EXPECT_EQ(m_server.readTextFile(QStringLiteral("up/a.txt")), "alpha\n");
    EXPECT_FALSE(linesOf(Colour::Red).isEmpty());
}

TEST_F(UploadEngineTest, WithoutConnectionOnlyTheMessageOfTheVariant)
{
    m_session.closeConnection();
    for (const auto &[variant, message] : { std::pair { Variant::Selection, "FRMSERVER_NOCONNECTION" },
             std::pair { Variant::ContextMenu, "FRMPULOC_NOCONN" } }) {
        m_prompts.clearAsked();
        upload(fileAndTree(), variant);
        ASSERT_EQ(m_prompts.asked().size(), 1);
        EXPECT_EQ(m_prompts.asked().constFirst().text, text(message));
        EXPECT_TRUE(m_history.lines().isEmpty());
    }
}

} // namespace
