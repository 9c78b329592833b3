// The recursive server delete against a real server: the order of the deletions, their lines,
// the names it refuses, the folders it cannot enter, the reconnects and where the server ends.
#include "transfer/deleteengine.h"

#include "transfertestfixture.h"

#include <vector>

namespace {

using Colour = HistoryLog::Colour;

TransferItem file(const char *name)
{
    return { QString::fromUtf8(name), false, -1 };
}
TransferItem folder(const char *name)
{
    return { QString::fromUtf8(name), true, -1 };
}

// A history line as expected: its colour and how it begins (red lines go on with the reason).
struct Line {
    Colour colour;
    const char *start;
};

struct DeleteCase {
    const char *name;
    std::vector<const char *> files; // made on the server before the run, relative to its root
    std::vector<const char *> folders;
    const char *startFolder;
    QList<TransferItem> selection;
    std::vector<Line> lines;
    std::vector<const char *> gone; // server paths that the run removed
    std::vector<const char *> kept; // server paths that must survive it
    int reconnects; // one per folder handled, one at the end
};

const Line Ok { Colour::Green, "Deleted." };
const Line Failed { Colour::Red, "Deletion failed." };

const DeleteCase deleteCases[] = {
    { "FilesFirstThenFoldersDeepestFirst", { "a/f", "a/b/g", "keep.txt" }, {}, "/", { folder("a") },
        { { Colour::Black, "Deleting /a/f" }, Ok, { Colour::Black, "Deleting /a/b/g" }, Ok,
            { Colour::Black, "Deleting /a/b/" }, Ok, { Colour::Black, "Deleting /a/" }, Ok },
        { "a" }, { "keep.txt" }, 3 },
    { "FilesOfASubfolderByTheirFullPath", { "pub/docs/x.txt", "pub/y.txt" }, {}, "/pub",
        { file("y.txt"), folder("docs") },
        { { Colour::Black, "Deleting /pub/y.txt" }, Ok, { Colour::Black, "Deleting /pub/docs/x.txt" }, Ok,
            { Colour::Black, "Deleting /pub/docs/" }, Ok },
        { "pub/docs", "pub/y.txt" }, { "pub" }, 2 },
    { "ParentRowAloneDeletesNothingButReconnects", { "f" }, {}, "/", { folder("..") }, {}, {}, { "f" }, 1 },
    { "NothingSelectedStillReconnects", { "f" }, {}, "/", {}, {}, {}, { "f" }, 1 },
    { "EqualLengthsGoInSelectionOrder", {}, { "yy", "xx" }, "/", { folder("yy"), folder("xx") },
        { { Colour::Black, "Deleting /yy/" }, Ok, { Colour::Black, "Deleting /xx/" }, Ok }, { "yy", "xx" }, {}, 3 },
    { "NameWithTwoDotsIsNeverDeleted", { "a..b", "c" }, {}, "/", { file("a..b"), file("c") },
        { { Colour::Black, "Deleting /c" }, Ok }, { "c" }, { "a..b" }, 1 },
    // The folder went behind the pane's back: its listing must not be the root's, or the root's
    // f would be deleted as /gone/f.
    { "FolderThatCannotBeEnteredLeavesTheRootAlone", { "f" }, {}, "/", { folder("gone") },
        { { Colour::Red, "Could not open the server folder /gone/" }, { Colour::Black, "Deleting /gone/" }, Failed },
        {}, { "f" }, 2 },
};

void PrintTo(const DeleteCase &c, std::ostream *out)
{
    *out << c.name;
}

class DeleteTest : public TransferTest {
protected:
    // Each recorded line against the expected ones, with every line in the message on a mismatch.
    void expectLines(const std::vector<Line> &expected) const
    {
        const QString all = lineTexts().join(u'\n');
        ASSERT_EQ(m_history.lines().size(), qsizetype(expected.size())) << qPrintable(all);
        for (size_t i = 0; i < expected.size(); ++i) {
            const auto &line = m_history.lines()[qsizetype(i)];
            EXPECT_EQ(line.colour, expected[i].colour) << qPrintable(all);
            EXPECT_TRUE(line.text.startsWith(QString::fromUtf8(expected[i].start))) << qPrintable(all);
            EXPECT_TRUE(line.text.endsWith(QStringLiteral("\r\n")));
        }
    }

    DeleteEngine m_engine { m_services, m_host };
};

class DeleteEngineTest : public DeleteTest, public ::testing::WithParamInterface<DeleteCase> { };

TEST_P(DeleteEngineTest, DeletesTheSelection)
{
    const DeleteCase &c = GetParam();
    ASSERT_TRUE(m_server.start());
    m_started = true;
    for (const char *path : c.files)
        ASSERT_TRUE(m_server.writeFile(QString::fromUtf8(path), "x"));
    for (const char *path : c.folders)
        ASSERT_TRUE(m_server.makeFolder(QString::fromUtf8(path)));
    connectTo(QString::fromUtf8(c.startFolder));

    m_engine.DeleteSelection(c.selection);

    expectLines(c.lines);
    for (const char *path : c.gone)
        EXPECT_FALSE(m_server.exists(QString::fromUtf8(path))) << path;
    for (const char *path : c.kept)
        EXPECT_TRUE(m_server.exists(QString::fromUtf8(path))) << path;
    EXPECT_EQ(m_host.reconnects, c.reconnects);
    EXPECT_EQ(serverDirectory(), QString::fromUtf8(c.startFolder));
}

INSTANTIATE_TEST_SUITE_P(Cases, DeleteEngineTest, ::testing::ValuesIn(deleteCases),
    [](const ::testing::TestParamInfo<DeleteCase> &info) { return std::string(info.param.name); });

TEST_F(TransferTest, DeleteShowsProgressOverTheWholeListAndHidesItAtTheEnd)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("t/1"), "1"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("t/2"), "2"));
    connectTo();
    DeleteEngine engine(m_services, m_host);

    engine.DeleteSelection({ folder("t") });

    // The folder and its two files.
    EXPECT_EQ(m_progress.ranges, (QList<QPair<int, int>> { { 0, 3 } }));
    EXPECT_EQ(m_progress.values, (QList<int> { 0, 1, 2 }));
    EXPECT_EQ(m_progress.shownCalls, (QList<bool> { true, false }));
    EXPECT_EQ(engine.folderList(), QStringList { QStringLiteral("/t/") });
}

// The start folder went during the run: the server ends in the deepest of its parents that is
// left, and the log says it could not go back.
TEST_F(TransferTest, DeleteWhoseStartFolderWentEndsInItsParent)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    if (m_server.isExternal())
        GTEST_SKIP() << "removes a folder behind the server's back";
    ASSERT_TRUE(m_server.makeFolder(QStringLiteral("p/q")));
    connectTo(QStringLiteral("/p/q"));
    // Another client goes elsewhere first: pyftpdlib itself stands in the folder a client is in.
    FtpConnection other;
    ASSERT_TRUE(other.connectToHost(m_server.host(), m_server.port(), m_server.user(), m_server.password(), true));
    ASSERT_TRUE(other.setCurrentDirectory(QStringLiteral("/")));
    ASSERT_TRUE(QDir(m_server.rootPath() + QStringLiteral("/p/q")).removeRecursively());
    DeleteEngine engine(m_services, m_host);

    engine.DeleteSelection({});

    EXPECT_EQ(serverDirectory(), QStringLiteral("/p"));
    EXPECT_EQ(linesOf(Colour::Red), QStringList { QStringLiteral("Could not open the server folder /p/q") });
}

// A link goes as a link, whatever kind of entry the server shows for it (pyftpdlib's MLSD a
// folder, vsftpd's LIST an "l" line, proftpd's MLSD OS.unix=symlink), and nothing it points to
// is listed or deleted. The servers list in their own order, so the lines are compared as a set.
struct LinkCase {
    const char *name;
    TransferTest::Links links;
    QList<TransferItem> selection;
    QStringList deleted; // the "Deleting" lines, each followed by "Deleted."
    std::vector<const char *> gone;
};

const LinkCase linkCases[] = {
    { "LinkToAFolderGoesAsALink", { { "sel/link", "../real" } }, { folder("sel") },
        { "Deleting /sel/link", "Deleting /sel/" }, { "sel" } },
    { "LoopsGoAsLinks", { { "sel/loop", "." }, { "sel/up", ".." } }, { folder("sel") },
        { "Deleting /sel/loop", "Deleting /sel/up", "Deleting /sel/" }, { "sel" } },
    { "SelectedLinkGoesAsALink", { { "top", "real" } }, { folder("top") }, { "Deleting /top" }, { "top" } },
    { "LinkToAFileGoesAsALink", { { "sel/f", "../real/keep1.txt" } }, { folder("sel") },
        { "Deleting /sel/f", "Deleting /sel/" }, { "sel" } },
};

void PrintTo(const LinkCase &c, std::ostream *out)
{
    *out << c.name;
}

class DeleteLinkTest : public DeleteTest, public ::testing::WithParamInterface<LinkCase> { };

TEST_P(DeleteLinkTest, RemovesLinksButNeverWhatTheyPointTo)
{
    if (!startWhereLinksCanBeMade())
        GTEST_SKIP() << "needs FERROLINK_TEST_FTP_ROOT to make links on this server";
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("real/keep1.txt"), "1"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("real/sub/keep2.txt"), "2"));
    ASSERT_TRUE(m_server.makeFolder(QStringLiteral("sel")));
    makeLinks(GetParam().links);
    connectTo();

    m_engine.DeleteSelection(GetParam().selection);

    EXPECT_TRUE(linesOf(Colour::Red).isEmpty()) << qPrintable(lineTexts().join(u'\n'));
    QStringList starts = linesOf(Colour::Black);
    starts.sort();
    QStringList expected = GetParam().deleted;
    expected.sort();
    EXPECT_EQ(starts, expected);
    EXPECT_EQ(linesOf(Colour::Green).size(), expected.size());
    for (const char *path : GetParam().gone)
        EXPECT_FALSE(m_server.exists(QString::fromUtf8(path))) << path;
    EXPECT_EQ(m_server.readFile(QStringLiteral("real/keep1.txt")), "1");
    EXPECT_EQ(m_server.readFile(QStringLiteral("real/sub/keep2.txt")), "2");
}

INSTANTIATE_TEST_SUITE_P(Cases, DeleteLinkTest, ::testing::ValuesIn(linkCases),
    [](const ::testing::TestParamInfo<LinkCase> &info) { return std::string(info.param.name); });

} // namespace
