// The upload engine against a real server: work list, server folders, lines, reconnects,
// transfer types, and what happens to files that cannot be read or folders that cannot be
// entered.
#include "transfer/uploadengine.h"

#include "support/ftprelay.h"
#include "support/localfiles.h"
#include "transfertestfixture.h"

#include <QMap>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

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

    // One reconnect per entry: tree, a.txt, and empty/, sub/, x.bin, y.txt below tree.
    EXPECT_EQ(m_host.reconnects, 6);
    EXPECT_EQ(m_host.watchCalls, QList<bool>({ false, true, false, true, false, true }));
    EXPECT_EQ(serverDirectory(), QStringLiteral("/up"));
    EXPECT_EQ(m_host.serverRefreshes, 1);
    EXPECT_EQ(m_progress.ranges.constLast(), qMakePair(0, 5));
    EXPECT_EQ(m_progress.values.constLast(), 0);
}

// A round trip per step: each reconnect checks the kept connection with one command, a new folder
// is made and entered by its name, a folder met before is reached by one absolute path, and
// nothing goes through the root.
TEST_F(UploadEngineTest, MakesAndEntersEachFolderInOneStep)
{
    m_host.commands.clear();
    upload({ { QStringLiteral("tree"), true, -1 } });

    EXPECT_TRUE(linesOf(Colour::Red).isEmpty()) << qPrintable(lineTexts().join(u'\n'));
    QStringList steps;
    for (const QString &command : std::as_const(m_host.commands)) {
        const QString verb = command.section(u' ', 0, 0);
        if (verb == u"CWD" || verb == u"CDUP" || verb == u"NOOP" || verb == u"MKD")
            steps.append(command);
    }
    // The local tree in name order: tree/, then empty/, sub/ and x.bin in it, then sub/y.txt.
    EXPECT_EQ(steps,
        QStringList({ "NOOP", "MKD tree", "CWD tree", "NOOP", "MKD empty", "CWD empty", "NOOP", "CWD /up/tree",
            "MKD sub", "CWD sub", "NOOP", "CWD /up/tree", "NOOP", "CWD sub", "CWD /up" }))
        << qPrintable(m_host.commands.join(u'\n'));
    EXPECT_EQ(m_server.readFile(QStringLiteral("up/tree/sub/y.txt")), "why");
}

// Reading a big local tree lets the window's events run, and a Stop there ends the run before
// anything reaches the server.
TEST_F(UploadEngineTest, StopWhileTheLocalTreeIsReadSendsNothing)
{
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(QDir().mkpath(local(QStringLiteral("src/big/f%1/g").arg(i))));
    m_host.commands.clear();
    size_t collectedAtStop = 0;
    QTimer::singleShot(0, [this, &collectedAtStop] {
        collectedAtStop = m_engine.uploadList().size();
        m_session.cancelRun();
    });
    {
        Session::Run run(m_session);
        // The engine lets events run a few times a second: the Stop comes at its first chance.
        QThread::msleep(100);
        upload({ { QStringLiteral("big"), true, -1 } });
    }

    EXPECT_GE(collectedAtStop, size_t(1)) << "the Stop came before the upload began";
    EXPECT_LT(m_engine.uploadList().size(), size_t(101));
    EXPECT_TRUE(m_host.commands.isEmpty()) << qPrintable(m_host.commands.join(u'\n'));
    EXPECT_TRUE(lineTexts().isEmpty()) << qPrintable(lineTexts().join(u'\n'));
    EXPECT_FALSE(m_server.exists(QStringLiteral("up/big")));
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
    m_host.setClosesBeforeReconnect(true);
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
    for (const auto &[variant, message] :
        { std::pair { Variant::Selection, "FRMSERVER_NOCONNECTION" }, std::pair { Variant::ContextMenu, "FRMPULOC_NOCONN" } }) {
        m_prompts.clearAsked();
        upload(fileAndTree(), variant);
        ASSERT_EQ(m_prompts.asked().size(), 1);
        EXPECT_EQ(m_prompts.asked().constFirst().text, text(message));
        EXPECT_TRUE(m_history.lines().isEmpty());
    }
}

// A file on the server must survive an upload that failed, and a failed upload must not pass
// for done, whatever the server does. A scripted server with a small store of its own shows what
// no real one can be told to do.
struct HostileCase {
    const char *name;
    bool exists; // keep.bin holds "old" before the run
    qint64 storesOnly; // bytes the server keeps of a STOR before its 226 (-1: all of them)
    const char *refused; // "STOR temporary", "RNTO onto", "RNFR", "STOR 451": what it turns down
    bool uploaded;
    QByteArray left; // keep.bin afterwards; the store holds nothing else
    const char *line; // a key whose text one of the lines begins with, or nullptr
    bool shrinks = false; // the local file is cut while the server waits for its bytes
};

const HostileCase hostileCases[] = {
    { "ShortStoreOfANewFileIsRemoved", false, 256 * 1024, "", false, "<none>", "TRANSFER_SIZEMISMATCH" },
    { "ShortStoreOverAnOldFileKeepsIt", true, 256 * 1024, "", false, "old", nullptr },
    { "FailedStoreOverAnOldFileKeepsIt", true, -1, "STOR 451", false, "old", nullptr },
    { "FailedStoreOfANewFileIsRemoved", false, -1, "STOR 451", false, "<none>", nullptr },
    { "NoRenameOntoAnExistingName", true, -1, "RNTO onto", true, "new", nullptr },
    { "TemporaryNameRefused", true, -1, "STOR temporary", true, "new", "TRANSFER_DIRECTUPLOAD" },
    { "NoRenameAtAll", true, -1, "RNFR", true, "new", "TRANSFER_DIRECTUPLOAD" },
    { "LocalFileCutWhileSentIsAborted", false, -1, "", false, "<none>", "TRANSFER_SIZEMISMATCH", true },
};

void PrintTo(const HostileCase &c, std::ostream *out)
{
    *out << c.name;
}

class HostileUploadTest : public ScriptedTransferTest, public ::testing::WithParamInterface<HostileCase> {
protected:
    void SetUp() override
    {
        const HostileCase &c = GetParam();
        const QByteArray refused = c.refused;
        m_server.features = "211-Features:\r\n SIZE\r\n UTF8\r\n211 End\r\n";
        if (c.exists)
            m_files["keep.bin"] = "old";
        m_server.onCommand = [this, refused](const QByteArray &verb, const QByteArray &name) {
            const auto answer = [this](bool done, const QByteArray &reply) {
                m_server.reply(done ? reply : QByteArray("553 Refused\r\n"));
                return true;
            };
            if (verb == "SIZE")
                return answer(true,
                    m_files.contains(name) ? "213 " + QByteArray::number(m_files[name].size()) + "\r\n"
                                           : "550 No such file\r\n");
            if (verb == "DELE")
                return answer(m_files.remove(name) > 0, "250 Deleted\r\n");
            if (verb == "RNFR") {
                m_renaming = name;
                return answer(refused != "RNFR" && m_files.contains(name), "350 Ready\r\n");
            }
            if (verb == "RNTO") {
                if (refused == "RNTO onto" && m_files.contains(name))
                    return answer(false, {});
                m_files[name] = m_files.take(m_renaming);
                return answer(true, "250 Renamed\r\n");
            }
            // RFC 959, 4.1.3: the aborted STOR's 426, then ABOR's own 226; what arrived stays.
            if (verb == "ABOR") {
                m_files[m_storing] = m_server.stored;
                m_storing.clear();
                return answer(true, "426 Aborted\r\n226 Abort done\r\n");
            }
            if (verb != "STOR")
                return false;
            m_storing = name;
            if (refused == "STOR temporary" && name != "keep.bin")
                return answer(false, {});
            m_server.finalReplyFor = [this, name, refused](const QByteArray &stored) -> QByteArray {
                if (m_storing != name)
                    return {}; // aborted, and answered
                m_files[name] = GetParam().storesOnly < 0 ? stored : stored.left(GetParam().storesOnly);
                return refused == "STOR 451" ? "451 Local error\r\n" : "226 Stored\r\n";
            };
            if (GetParam().shrinks)
                QFile::resize(m_local.filePath(QStringLiteral("keep.bin")), 1000);
            m_server.receiveData();
            return true;
        };
        ASSERT_TRUE(writeFile(m_local.filePath(QStringLiteral("keep.bin")), m_upload));
        ASSERT_TRUE(m_host.ReconnectFtp());
    }

    QByteArray m_upload = QByteArray(1024 * 1024, 'n');
    QMap<QByteArray, QByteArray> m_files;
    QByteArray m_renaming;
    QByteArray m_storing;
};

TEST_P(HostileUploadTest, KeepsTheServersCopyAndNeverFakesSuccess)
{
    const HostileCase &c = GetParam();
    m_session.setAutomaticMode(false);
    m_session.setTransferType(FtpConnection::TransferType::Binary);
    UploadEngine engine(m_services, m_host);

    EXPECT_EQ(engine.UploadFile(m_local.filePath(QStringLiteral("keep.bin")), QStringLiteral("keep.bin")), c.uploaded);

    const QByteArray expected = c.left == "new" ? m_upload : c.left;
    EXPECT_EQ(m_files.value("keep.bin", "<none>"), expected);
    EXPECT_EQ(m_files.size(), expected == "<none>" ? 0 : 1) << qPrintable(m_files.keys().join(' '));
    const QString all = allLines();
    EXPECT_EQ(all.contains(text("MPUB_UPOK")), c.uploaded) << qPrintable(all);
    EXPECT_EQ(all.contains(text("MPUB_UPFAILED")), !c.uploaded) << qPrintable(all);
    if (c.line) {
        EXPECT_TRUE(all.contains(QString(text(c.line)).section(u'%', 0, 0))) << qPrintable(all);
    }
    // A cut file is never closed as if it were whole: the server would confirm it.
    EXPECT_EQ(m_server.received.contains(QStringLiteral("ABOR")), c.shrinks);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileUploadTest, ::testing::ValuesIn(hostileCases),
    [](const ::testing::TestParamInfo<HostileCase> &info) { return std::string(info.param.name); });

// Over a real server's file: the new bytes replace it whole, with no temporary name left; a Stop
// in the middle leaves the old bytes as they were.
TEST_F(UploadFaultTest, ExistingFileIsReplacedWholeOrNotAtAll)
{
    m_server.setRelayed(true);
    const QByteArray big(16 * 1024 * 1024, 'n');
    ASSERT_TRUE(writeLocal(QStringLiteral("keep.bin"), big));
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("keep.bin"), "old"));
    connectTo();
    UploadEngine engine { m_services, m_host };
    m_server.relay()->setDataHold(1024 * 1024);
    const auto stop = QObject::connect(m_server.relay(), &FtpRelay::dataHeld, [this] { m_session.cancelRun(); });
    {
        Session::Run run(m_session);
        EXPECT_FALSE(engine.UploadFile(local(QStringLiteral("keep.bin")), QStringLiteral("keep.bin")));
    }
    EXPECT_EQ(m_server.readFile(QStringLiteral("keep.bin")), "old");

    QObject::disconnect(stop);
    m_server.relay()->setDataHold(-1);
    connectTo();
    m_history.clear();
    EXPECT_TRUE(engine.UploadFile(local(QStringLiteral("keep.bin")), QStringLiteral("keep.bin")));
    EXPECT_EQ(m_server.readFile(QStringLiteral("keep.bin")), big);
    EXPECT_EQ(lineTexts(), QStringList { text("MPUB_UPOK") });
}

} // namespace
