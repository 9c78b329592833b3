// The download engine against a real server: work list, passes, lines, reconnects, and what
// survives a failure or a Stop.
#include "transfer/downloadengine.h"

#include "transfer/deleteengine.h"

#include "support/ftprelay.h"
#include "transfertestfixture.h"

#include <QDirIterator>
#include <QRandomGenerator>
#include <QScopeGuard>

#include <cerrno>
#include <cstring>

#include <sys/mount.h>
#include <unistd.h>

namespace {

using Colour = HistoryLog::Colour;

QByteArray binaryData(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char &c : data)
        c = char(generator.bounded(256));
    // Line ends and NULs that a text-mode transfer would mangle.
    return data + QByteArray("\r\n\n\r\0end", 9);
}

class DownloadEngineTest : public TransferTest {
protected:
    DownloadEngine m_engine { m_services, m_host };

    void download(const QList<TransferItem> &selection) { m_engine.DownloadSelection(selection, local()); }
};

TransferItem file(const QString &name, qint64 size = -1)
{
    return { name, false, size };
}
TransferItem folder(const QString &name)
{
    return { name, true, -1 };
}

TEST_F(DownloadEngineTest, DownloadsFilesThenTreesWithFoldersBeforeTheirFiles)
{
    const QByteArray binary = binaryData(100 * 1024);
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/a.txt"), "alpha"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/tree/x.bin"), binary));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/tree/sub one/y.txt"), "why"));
    ASSERT_TRUE(m_server.makeFolder(QStringLiteral("pub/tree/empty")));
    connectTo(QStringLiteral("/pub"));

    download({ folder(QStringLiteral("tree")), file(QStringLiteral("a.txt"), 5) });

    EXPECT_EQ(readLocal(QStringLiteral("a.txt")), "alpha");
    EXPECT_EQ(readLocal(QStringLiteral("tree/x.bin")), binary);
    EXPECT_EQ(readLocal(QStringLiteral("tree/sub one/y.txt")), "why");
    EXPECT_TRUE(QFileInfo(local(QStringLiteral("tree/empty"))).isDir());
    EXPECT_TRUE(linesOf(Colour::Red).isEmpty()) << qPrintable(lineTexts().join(u'\n'));

    // Pass 1 first; then every folder line before the lines of the files inside it, and every
    // start line followed by its result.
    const QStringList lines = lineTexts();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.mid(0, 2), QStringList({ QStringLiteral("Downloading a.txt"), QStringLiteral("Download complete.") }));
    const auto at = [&](const QString &line) {
        const qsizetype index = lines.indexOf(line);
        EXPECT_GE(index, 0) << qPrintable(line);
        return index;
    };
    const QString folderLine = QStringLiteral("Creating local folder ") + local() + QStringLiteral("%1 ...");
    for (const auto &[folderName, fileLine] : {
             std::pair { QStringLiteral("tree"), QStringLiteral("Downloading /pub/tree/x.bin") },
             std::pair { QStringLiteral("tree/sub one"), QStringLiteral("Downloading /pub/tree/sub one/y.txt") },
         }) {
        const qsizetype folderAt = at(folderLine.arg(folderName));
        EXPECT_EQ(lines.value(folderAt + 1), QStringLiteral("Folder created."));
        const qsizetype fileAt = at(fileLine);
        EXPECT_LT(folderAt, fileAt);
        EXPECT_EQ(lines.value(fileAt + 1), QStringLiteral("Download complete."));
    }
    at(folderLine.arg(QStringLiteral("tree/empty")));

    // One reconnect per listed folder: tree, its two subfolders.
    EXPECT_EQ(m_host.reconnects, 3);
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub"));
    EXPECT_EQ(m_host.shownFolders, QStringList { local() });
    EXPECT_EQ(m_progress.ranges.constLast(), qMakePair(1, 6));
    EXPECT_EQ(m_progress.values.constLast(), 1);
    EXPECT_TRUE(m_host.statusTexts.constLast().isEmpty());
}

// The commands that move the server or check the connection, in order.
QStringList stepsOf(const QStringList &commands)
{
    QStringList steps;
    for (const QString &command : commands) {
        const QString verb = command.section(u' ', 0, 0).toUpper();
        if (verb == u"CWD" || verb == u"CDUP" || verb == u"NOOP" || verb == u"MKD")
            steps.append(command);
    }
    return steps;
}

// A round trip per step: each reconnect checks the kept connection with one command, the server
// goes into a child by its name and to a sibling by one absolute path, never through the root;
// the type is set only when it changes, and the sizes the listing gave are not asked again.
TEST_F(DownloadEngineTest, MovesBetweenSiblingsInOneStepAndAsksNothingTwice)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("t/a/two.bin"), "two"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("t/b/three.bin"), "three"));
    connectTo();
    m_host.commands.clear();

    download({ folder(QStringLiteral("t")) });

    EXPECT_EQ(readLocal(QStringLiteral("t/a/two.bin")), "two");
    EXPECT_EQ(readLocal(QStringLiteral("t/b/three.bin")), "three");
    EXPECT_TRUE(linesOf(Colour::Red).isEmpty()) << qPrintable(lineTexts().join(u'\n'));
    // The server lists the two folders in an order of its own.
    const QStringList &commands = m_host.commands;
    const bool aFirst = commands.indexOf(QStringLiteral("CWD a")) >= 0;
    const QString first = aFirst ? QStringLiteral("a") : QStringLiteral("b");
    const QString second = aFirst ? QStringLiteral("b") : QStringLiteral("a");
    EXPECT_EQ(stepsOf(commands),
        QStringList({ QStringLiteral("NOOP"), QStringLiteral("CWD t"), QStringLiteral("NOOP"),
            QStringLiteral("CWD ") + first, QStringLiteral("NOOP"), QStringLiteral("CWD /t/") + second,
            QStringLiteral("CWD /t/") + first, QStringLiteral("CWD /t/") + second, QStringLiteral("CWD /") }))
        << qPrintable(commands.join(u'\n'));
    QStringList types;
    for (const QString &command : commands) {
        if (command.startsWith(QLatin1String("TYPE ")))
            types.append(command);
        EXPECT_FALSE(command.startsWith(QLatin1String("SIZE "))) << qPrintable(command);
    }
    for (qsizetype i = 1; i < types.size(); ++i)
        EXPECT_NE(types.at(i), types.at(i - 1)) << qPrintable(commands.join(u'\n'));
    EXPECT_EQ(serverDirectory(), QStringLiteral("/"));
}

TEST_F(DownloadEngineTest, FilesKeepTheirExactNamesAndNeedNoReconnect)
{
    const QStringList names
        = { QStringLiteral(" lead.txt"), QStringLiteral("trail .txt"), QStringLiteral("Grüße über.txt") };
    ASSERT_TRUE(m_server.start());
    m_started = true;
    for (const QString &name : names)
        ASSERT_TRUE(m_server.writeFile(name, name.toUtf8()));
    connectTo();

    QList<TransferItem> selection;
    for (const QString &name : names)
        selection.append(file(name));
    download(selection);

    for (const QString &name : names)
        EXPECT_EQ(readLocal(name), name.toUtf8()) << qPrintable(name);
    // The selection gave no sizes: the server is asked for each.
    for (const QString &name : names)
        EXPECT_TRUE(m_host.commands.contains(QStringLiteral("SIZE ") + name)) << qPrintable(name);
    EXPECT_EQ(m_host.reconnects, 0);
    EXPECT_EQ(linesOf(Colour::Green).size(), names.size());
}

// Nothing to fetch, or nothing to fetch it from: no line, and the bar starts over all the same.
TEST_F(DownloadEngineTest, NothingToDownloadWritesNoLineAndResetsTheBar)
{
    const struct {
        bool connected;
        QList<TransferItem> selection;
        bool targetShown;
    } cases[] = {
        { true, {}, true },
        { true, { folder("..") }, true },
        { false, { file("a.txt") }, false },
        { false, { folder("tree") }, false },
    };
    for (const auto &c : cases) {
        if (c.connected)
            connectTo();
        else
            m_session.closeConnection();
        m_history.clear();
        m_progress.values.clear();
        m_host.shownFolders.clear();
        download(c.selection);
        EXPECT_TRUE(m_history.lines().isEmpty());
        EXPECT_EQ(m_host.reconnects, 0);
        EXPECT_EQ(m_progress.values, QList<int> { 1 });
        EXPECT_EQ(m_host.shownFolders, c.targetShown ? QStringList { local() } : QStringList());
    }
}

TEST_F(DownloadEngineTest, FailedDownloadLeavesExistingFileAsItWasAndTheRunGoesOn)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("b.txt"), "new b"));
    connectTo();
    ASSERT_TRUE(writeLocal(QStringLiteral("gone.txt"), "precious"));

    download({ file(QStringLiteral("gone.txt")), file(QStringLiteral("b.txt")) });

    EXPECT_EQ(readLocal(QStringLiteral("gone.txt")), "precious");
    EXPECT_EQ(readLocal(QStringLiteral("b.txt")), "new b");
    // No temporary file is left behind.
    EXPECT_EQ(localNames(), QStringList({ QStringLiteral("b.txt"), QStringLiteral("gone.txt") }));
    ASSERT_EQ(linesOf(Colour::Red).size(), 1);
    EXPECT_TRUE(linesOf(Colour::Red).constFirst().startsWith(QStringLiteral("Download failed.")));
}

TEST_F(DownloadEngineTest, FolderThatCannotBeEnteredDownloadsNothingFromElsewhere)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/a.txt"), "a"));
    connectTo(QStringLiteral("/pub"));

    // Listed a moment ago, removed since by someone else.
    download({ folder(QStringLiteral("vanished")) });

    EXPECT_FALSE(QFileInfo::exists(local(QStringLiteral("vanished/a.txt"))));
    EXPECT_FALSE(QFileInfo::exists(local(QStringLiteral("a.txt"))));
    EXPECT_FALSE(linesOf(Colour::Red).isEmpty());
    EXPECT_FALSE(lineTexts().contains(QStringLiteral("Download complete.")));
}

TEST_F(DownloadEngineTest, NamesThatWouldLeaveTheTargetFolderAreRefused)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("escape.txt"), "x"));
    ASSERT_TRUE(QDir().mkpath(local(QStringLiteral("target"))));
    connectTo();

    m_engine.DownloadSelection(
        { file(QStringLiteral("../escape.txt")), file(QStringLiteral("a/../../escape.txt")) }, local("target"));

    EXPECT_FALSE(QFileInfo::exists(local(QStringLiteral("escape.txt"))));
    EXPECT_TRUE(localNames(QStringLiteral("target")).isEmpty());
    EXPECT_EQ(linesOf(Colour::Red).size(), 2);
}

TEST_F(DownloadEngineTest, StopInTheMiddleOfAFileLeavesTheOldFileAndEndsTheRun)
{
    m_server.setRelayed(true);
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("big.bin"), QByteArray(8 * 1024 * 1024, 'b')));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("next.txt"), "next"));
    connectTo();
    ASSERT_TRUE(writeLocal(QStringLiteral("big.bin"), "old"));
    // Stop while the file's bytes are surely under way.
    m_server.relay()->setDataHold(1024 * 1024);
    QObject::connect(m_server.relay(), &FtpRelay::dataHeld, [this] { m_session.cancelRun(); });

    {
        Session::Run run(m_session);
        download({ file(QStringLiteral("big.bin")), file(QStringLiteral("next.txt")) });
    }

    EXPECT_EQ(readLocal(QStringLiteral("big.bin")), "old");
    EXPECT_EQ(localNames(), QStringList { QStringLiteral("big.bin") });
    // The Stop's own line says what happened; the engine adds no result line of its own.
    EXPECT_TRUE(linesOf(Colour::Red).isEmpty());
    EXPECT_TRUE(linesOf(Colour::Green).isEmpty());
    EXPECT_EQ(m_host.shownFolders, QStringList { local() });
}

TEST_F(DownloadEngineTest, ServerGoneMidFileLeavesTheOldFileAndTheRestGetsOneLine)
{
    m_server.setRelayed(true);
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("big.bin"), QByteArray(8 * 1024 * 1024, 'b')));
    connectTo();
    ASSERT_TRUE(writeLocal(QStringLiteral("big.bin"), "old"));
    m_server.relay()->setDataHold(1024 * 1024);
    QObject::connect(m_server.relay(), &FtpRelay::dataHeld, [this] { m_server.relay()->goAway(); });

    download({ file(QStringLiteral("big.bin")), file(QStringLiteral("next.txt")) });

    EXPECT_EQ(readLocal(QStringLiteral("big.bin")), "old");
    EXPECT_EQ(localNames(), QStringList { QStringLiteral("big.bin") });
    // The reconnect failed: the file after it is not tried, one line counts it.
    EXPECT_EQ(linesOf(Colour::Red).constLast(), text("TRANSFER_SERVERLOST").arg(1));
    EXPECT_FALSE(lineTexts().join(u'\n').contains(QStringLiteral("next.txt")));
    EXPECT_EQ(m_host.shownFolders, QStringList { local() });
}

TEST_F(DownloadEngineTest, StopBetweenTwoFilesFetchesNothingMore)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("one.txt"), "1"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("two.txt"), "2"));
    connectTo();
    m_host.onStatus = [this](const QString &text) {
        if (text.startsWith(QStringLiteral("two.txt")))
            m_session.cancelRun();
    };

    {
        Session::Run run(m_session);
        download({ file(QStringLiteral("one.txt")), file(QStringLiteral("two.txt")) });
    }

    EXPECT_EQ(localNames(), QStringList { QStringLiteral("one.txt") });
    EXPECT_FALSE(m_host.commands.contains(QStringLiteral("RETR two.txt")));
}

// Links that lead back into the walk: each is refused with one red line (or, where the server
// lists it as a file, fails as one), the real files all arrive, and the run ends.
struct LoopCase {
    const char *name;
    TransferTest::Links links;
};

void PrintTo(const LoopCase &c, std::ostream *out)
{
    *out << c.name;
}

class DownloadLoopTest : public DownloadEngineTest, public ::testing::WithParamInterface<LoopCase> { };

TEST_P(DownloadLoopTest, EntersNoFolderTwiceAndNoAncestor)
{
    if (!startWhereLinksCanBeMade())
        GTEST_SKIP() << "needs FERROLINK_TEST_FTP_ROOT to make links on this server";
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("tree/f.txt"), "f"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("tree/sub/g.txt"), "g"));
    makeLinks(GetParam().links);
    connectTo();

    download({ folder(QStringLiteral("tree")) });

    EXPECT_EQ(readLocal(QStringLiteral("tree/f.txt")), "f");
    EXPECT_EQ(readLocal(QStringLiteral("tree/sub/g.txt")), "g");
    EXPECT_EQ(linesOf(Colour::Red).size(), qsizetype(GetParam().links.size())) << qPrintable(lineTexts().join(u'\n'));
    // A link to the root may show the root's other entries once, never a copy of a copy.
    QDirIterator walk(local(), QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (walk.hasNext())
        EXPECT_LE(walk.next().mid(local().size()).count(u'/'), 2) << qPrintable(walk.filePath());
}

const LoopCase loopCases[] = {
    { "ItselfAsDot", { { "tree/loop", "." } } },
    { "ItsParent", { { "tree/sub/up", ".." } } },
    { "TheRoot", { { "tree/root", "/" } } },
    { "TwoLoopsInOneFolder", { { "tree/loop", "." }, { "tree/sub/up", ".." } } },
    { "AnAncestorByItsPath", { { "tree/sub/back", "../../tree" } } },
};

INSTANTIATE_TEST_SUITE_P(Cases, DownloadLoopTest, ::testing::ValuesIn(loopCases),
    [](const ::testing::TestParamInfo<LoopCase> &info) { return std::string(info.param.name); });

// A link to a folder and one to a file, as each server lists them (pyftpdlib's MLSD follows links,
// vsftpd and proftpd list them as links that do not say what they lead to): a link selected as a
// file arrives as the bytes it leads to, and a tree download takes each link for what it leads to.
TEST_F(DownloadEngineTest, LinksToAFolderAndToAFileArriveAsWhatTheyLeadTo)
{
    if (!startWhereLinksCanBeMade())
        GTEST_SKIP() << "needs FERROLINK_TEST_FTP_ROOT to make links on this server";
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("outside/o.txt"), "o"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("tree/real/f.txt"), "f"));
    makeLinks({ { "tree/tofolder", "../outside" }, { "tree/tofile", "../outside/o.txt" } });
    connectTo(QStringLiteral("/tree"));

    download({ file(QStringLiteral("tofile")) });
    EXPECT_EQ(readLocal(QStringLiteral("tofile")), "o");

    ASSERT_TRUE(SetServerDirectory(m_session.connection(), QStringLiteral("/")));
    download({ folder(QStringLiteral("tree")) });
    EXPECT_EQ(readLocal(QStringLiteral("tree/real/f.txt")), "f");
    EXPECT_EQ(readLocal(QStringLiteral("tree/tofolder/o.txt")), "o");
    EXPECT_EQ(readLocal(QStringLiteral("tree/tofile")), "o");
    EXPECT_TRUE(linesOf(Colour::Red).isEmpty()) << qPrintable(lineTexts().join(u'\n'));
    EXPECT_EQ(m_server.readFile(QStringLiteral("outside/o.txt")), QByteArray("o"));
}

// What is at the local target: a download replaces only what the user may write, writes through
// a link and keeps the target's permissions.
TEST_F(DownloadEngineTest, LocalTargetsKeepWhatTheyAre)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    for (const char *name : { "locked.txt", "linked.txt", "private.txt" })
        ASSERT_TRUE(m_server.writeFile(QString::fromUtf8(name), "new"));
    connectTo();
    ASSERT_TRUE(writeLocal(QStringLiteral("locked.txt"), "old"));
    ASSERT_TRUE(QFile::setPermissions(
        local(QStringLiteral("locked.txt")), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    ASSERT_TRUE(writeLocal(QStringLiteral("elsewhere/real.txt"), "old"));
    ASSERT_EQ(::symlink("elsewhere/real.txt", QFile::encodeName(local(QStringLiteral("linked.txt"))).constData()), 0);
    ASSERT_TRUE(writeLocal(QStringLiteral("private.txt"), "old"));
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    ASSERT_TRUE(QFile::setPermissions(local(QStringLiteral("private.txt")), ownerOnly));

    download({ file(QStringLiteral("locked.txt")), file(QStringLiteral("linked.txt")),
        file(QStringLiteral("private.txt")) });

    EXPECT_EQ(readLocal(QStringLiteral("locked.txt")), "old");
    EXPECT_EQ(linesOf(Colour::Red),
        QStringList { text("MDOWN_DOWNFAILED") + u' ' + text("TRANSFER_NOTWRITABLE") + u' '
            + local(QStringLiteral("locked.txt")) });
    EXPECT_TRUE(QFileInfo(local(QStringLiteral("linked.txt"))).isSymLink());
    EXPECT_EQ(readLocal(QStringLiteral("elsewhere/real.txt")), "new");
    EXPECT_EQ(readLocal(QStringLiteral("private.txt")), "new");
    EXPECT_EQ(QFile::permissions(local(QStringLiteral("private.txt"))), ownerOnly);
    // No temporary file is left beside either target.
    EXPECT_EQ(localNames(),
        QStringList({ QStringLiteral("elsewhere"), QStringLiteral("linked.txt"), QStringLiteral("locked.txt"),
            QStringLiteral("private.txt") }));
    EXPECT_EQ(localNames(QStringLiteral("elsewhere")), QStringList { QStringLiteral("real.txt") });
}

// 84 × 日 is 252 bytes: a legal name that leaves no room for a temporary suffix.
TEST_F(DownloadEngineTest, LongestNameInBytesStillDownloads)
{
    const QString name = QString(84, QChar(0x65E5));
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(name, "sun"));
    connectTo();

    download({ file(name) });

    EXPECT_EQ(readLocal(name), "sun");
    EXPECT_TRUE(linesOf(Colour::Red).isEmpty()) << qPrintable(lineTexts().join(u'\n'));
}

// A small tmpfs of its own, where the machine lets the test mount one (as root, as CI runs).
TEST_F(DownloadEngineTest, FullDiskGivesItsRealReasonAndLeavesTheOldFile)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("big.bin"), QByteArray(1024 * 1024, 'b')));
    const QString disk = local(QStringLiteral("disk"));
    ASSERT_TRUE(QDir().mkpath(disk));
    if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    const auto unmount = qScopeGuard([&] { ::umount(QFile::encodeName(disk).constData()); });
    ASSERT_TRUE(writeLocal(QStringLiteral("disk/big.bin"), "old"));
    connectTo();

    m_engine.DownloadSelection({ file(QStringLiteral("big.bin")) }, disk);

    EXPECT_EQ(readLocal(QStringLiteral("disk/big.bin")), "old");
    EXPECT_EQ(localNames(QStringLiteral("disk")), QStringList { QStringLiteral("big.bin") });
    EXPECT_EQ(linesOf(Colour::Red),
        QStringList { text("MDOWN_DOWNFAILED") + u' ' + QString::fromLocal8Bit(std::strerror(ENOSPC)) });
}

// A server with one folder "d" in its root, listed as m_inside says.
class ScriptedFolderTest : public ScriptedTransferTest {
protected:
    void SetUp() override
    {
        m_server.onCommand = [this](const QByteArray &verb, const QByteArray &argument) {
            if (verb == "USER" || (verb == "CWD" && argument == "/"))
                m_folder = "/";
            else if (verb == "CWD")
                m_folder += argument + '/';
            else if (verb == "PWD")
                m_server.reply("257 \"" + (m_folder == "/" ? m_folder : m_folder.chopped(1)) + "\"\r\n");
            else if (verb == "MLSD")
                m_server.sendData(m_folder == "/" ? "type=dir; d\r\n" : m_inside);
            else if (verb == "DELE" || verb == "RMD")
                m_server.reply("550 Not here\r\n");
            return verb == "PWD" || verb == "MLSD" || verb == "DELE" || verb == "RMD";
        };
        ASSERT_TRUE(m_host.ReconnectFtp());
    }

    QByteArray m_folder = "/";
    QByteArray m_inside;
};

// Names that cannot be entries of the listed folder ("../x", "a/b") never reach the work list,
// and every walk says that it left each one out.
class RefusedNameTest : public ScriptedFolderTest {
protected:
    RefusedNameTest() { m_inside = "type=file;size=1; ../x\r\ntype=file;size=1; a/b\r\n"; }
};

TEST_F(RefusedNameTest, EachGetsARedLineInDownloadAndDelete)
{
    const QString refused = text("TRANSFER_REFUSEDNAME");
    const QString expected = refused + QStringLiteral(" /d/../x\n") + refused + QStringLiteral(" /d/a/b");
    DownloadEngine download(m_services, m_host);
    download.DownloadSelection({ folder(QStringLiteral("d")) }, m_local.path());
    EXPECT_EQ(allLines().split(QStringLiteral("\r\n")).filter(refused).join(u'\n'), expected) << qPrintable(allLines());

    m_history.clear();
    DeleteEngine remove(m_services, m_host);
    remove.DeleteSelection({ folder(QStringLiteral("d")) });
    EXPECT_EQ(allLines().split(QStringLiteral("\r\n")).filter(refused).join(u'\n'), expected) << qPrintable(allLines());
}

// A folder whose listing could not be read in full cannot have been done in full: the download
// counts it among the failures of its summary, the delete leaves it and says so.
class PartlyReadFolderTest : public ScriptedFolderTest {
protected:
    PartlyReadFolderTest() { m_inside = "no listing form has this line\r\n"; }
};

TEST_F(PartlyReadFolderTest, CountsAsAFailureInDownloadAndDelete)
{
    const QString summary = text("TRANSFER_SUMMARY").arg(QStringLiteral("0"), QStringLiteral("1"));
    DownloadEngine download(m_services, m_host);
    download.DownloadSelection({ folder(QStringLiteral("d")) }, m_local.path());
    EXPECT_TRUE(allLines().contains(summary.left(summary.indexOf(u"%3")))) << qPrintable(allLines());

    m_history.clear();
    DeleteEngine remove(m_services, m_host);
    remove.DeleteSelection({ folder(QStringLiteral("d")) });
    EXPECT_TRUE(allLines().contains(text("MDEL_DELFAILED") + u' ' + text("MDEL_READINPART"))) << qPrintable(allLines());
    EXPECT_TRUE(m_server.received.filter(QStringLiteral("RMD")).isEmpty()) << qPrintable(m_server.received.join(u' '));
}

} // namespace
