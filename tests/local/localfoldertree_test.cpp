// trwPaths on real folders: lazy reading one level ahead, case-sensitive keys, repairs.

#include "local/localfoldertree.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class LocalFolderTreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path() + u'/';
        for (const char *folder : { "a/a1/a11", "a/a2", "b", "Foo/inner", "foo" })
            ASSERT_TRUE(QDir(m_root).mkpath(QString::fromLatin1(folder)));
        m_tree.setRoot(m_root);
    }

    QStringList childTexts(const QString &key) const
    {
        QStringList texts;
        const QTreeWidgetItem *node = m_tree.node(key);
        for (int i = 0; node && i < node->childCount(); ++i)
            texts.append(node->child(i)->text(0));
        return texts;
    }

    // Lets the window's events run until the opened nodes' children have all been read.
    void waitForReads()
    {
        const QDeadlineTimer limit(30000);
        while (m_tree.hasPendingReads() && !limit.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        ASSERT_FALSE(m_tree.hasPendingReads());
    }

    QTemporaryDir m_dir;
    QString m_root;
    LocalFolderTree m_tree;
};

TEST_F(LocalFolderTreeTest, ReadsOneLevelAheadAndEachFolderOnce)
{
    waitForReads();
    // The root and, through its expansion, each of its four subfolders.
    EXPECT_EQ(m_tree.foldersRead(), 5);
    EXPECT_EQ(childTexts(m_root + "a/"), QStringList({ "a1", "a2" }));
    EXPECT_TRUE(childTexts(m_root + "a/a1/").isEmpty()) << "grandchildren wait for their parent to open";

    QTreeWidgetItem *a = m_tree.node(m_root + "a/");
    ASSERT_NE(a, nullptr);
    a->setExpanded(true);
    waitForReads();
    EXPECT_EQ(m_tree.foldersRead(), 7);
    EXPECT_EQ(childTexts(m_root + "a/a1/"), QStringList({ "a11" }));
    a->setExpanded(false);
    a->setExpanded(true);
    waitForReads();
    EXPECT_EQ(m_tree.foldersRead(), 7) << "a second expansion reads nothing again";
}

TEST_F(LocalFolderTreeTest, KeysKeepTheirCase)
{
    waitForReads();
    EXPECT_EQ(childTexts(m_root), QStringList({ "a", "b", "Foo", "foo" }));
    ASSERT_NE(m_tree.node(m_root + "Foo/"), nullptr);
    ASSERT_NE(m_tree.node(m_root + "foo/"), nullptr);
    EXPECT_NE(m_tree.node(m_root + "Foo/"), m_tree.node(m_root + "foo/"));
    EXPECT_EQ(childTexts(m_root + "Foo/"), QStringList({ "inner" }));
    EXPECT_TRUE(childTexts(m_root + "foo/").isEmpty());
}

TEST_F(LocalFolderTreeTest, RevealCreatesTheNodesDownToAFolder)
{
    QTreeWidgetItem *node = m_tree.reveal(m_root + "a/a1/a11/");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(LocalFolderTree::key(node), m_root + "a/a1/a11/");
    EXPECT_TRUE(m_tree.node(m_root + "a/a1/")->isExpanded());
    EXPECT_EQ(m_tree.reveal(m_root + "a/missing/"), nullptr);
    EXPECT_EQ(m_tree.reveal(QStringLiteral("/elsewhere/")), nullptr);
}

TEST_F(LocalFolderTreeTest, RefreshFollowsTheDisk)
{
    m_tree.reveal(m_root + "a/a1/")->setExpanded(true);
    waitForReads();
    ASSERT_TRUE(QDir(m_root).mkpath("a/a0"));
    ASSERT_TRUE(QDir(m_root + "a/a2").removeRecursively());
    m_tree.refreshNode(m_root + "a/");
    EXPECT_EQ(childTexts(m_root + "a/"), QStringList({ "a0", "a1" }));
    EXPECT_EQ(m_tree.node(m_root + "a/a2/"), nullptr);
    EXPECT_EQ(childTexts(m_root + "a/a1/"), QStringList({ "a11" })) << "kept nodes keep their subtrees";
    EXPECT_TRUE(m_tree.node(m_root + "a/a1/")->isExpanded()) << "and stay open";
    EXPECT_TRUE(LocalFolderTree::isRead(m_tree.node(m_root + "a/a0/"))) << "a new child of an open node is read";

    ASSERT_TRUE(QDir(m_root + "a").removeRecursively());
    m_tree.refreshNode(m_root);
    EXPECT_EQ(m_tree.node(m_root + "a/"), nullptr);
    EXPECT_EQ(m_tree.node(m_root + "a/a1/a11/"), nullptr);
    EXPECT_EQ(childTexts(m_root), QStringList({ "b", "Foo", "foo" }));
}

TEST_F(LocalFolderTreeTest, OpenNodesFollowFoldersMadeAndRemovedByOthers)
{
    m_tree.reveal(m_root + "a/")->setExpanded(true);
    waitForReads();
    const auto waitForChildren = [&](const QString &key, const QStringList &expected) {
        const QDeadlineTimer limit(10000);
        while (childTexts(key) != expected && !limit.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        return childTexts(key);
    };
    ASSERT_TRUE(QDir(m_root).mkpath("a/a0"));
    ASSERT_TRUE(QDir(m_root + "a/a2").removeRecursively());
    EXPECT_EQ(waitForChildren(m_root + "a/", { "a0", "a1" }), QStringList({ "a0", "a1" }));

    // A closed node is not watched; opening it again reads it again.
    m_tree.node(m_root + "a/")->setExpanded(false);
    ASSERT_TRUE(QDir(m_root).mkpath("a/a3"));
    m_tree.node(m_root + "a/")->setExpanded(true);
    EXPECT_EQ(childTexts(m_root + "a/"), QStringList({ "a0", "a1", "a3" }));
}

TEST_F(LocalFolderTreeTest, RevealFindsAFolderMadeAfterItsParentWasRead)
{
    waitForReads();
    ASSERT_TRUE(LocalFolderTree::isRead(m_tree.node(m_root + "b/")));
    ASSERT_TRUE(QDir(m_root).mkpath("b/late/later"));
    QTreeWidgetItem *node = m_tree.reveal(m_root + "b/late/later/");
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(LocalFolderTree::key(node), m_root + "b/late/later/");
}

TEST_F(LocalFolderTreeTest, OnlyFoldersAndLinksToFoldersAreFolders)
{
    const QString place = m_root + "b/";
    ASSERT_EQ(::mkfifo(QFile::encodeName(place + "fifo").constData(), 0600), 0);
    QLocalServer socket;
    socket.setSocketOptions(QLocalServer::WorldAccessOption);
    ASSERT_TRUE(socket.listen(place + "socket"));
    ASSERT_TRUE(QFile::link(m_root + "missing", place + "dangling"));
    ASSERT_TRUE(QFile::link(m_root + "a", place + "to-a"));
    QFile plain(place + "plain");
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QDir(place).mkdir("real"));
    waitForReads();
    m_tree.refreshNode(place);
    EXPECT_EQ(childTexts(place), QStringList({ "real", "to-a" }));
}

TEST_F(LocalFolderTreeTest, OpeningANodeReadsItsChildrenBetweenEvents)
{
    waitForReads();
    const QString wide = m_root + "b/";
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(QDir(wide).mkpath(QStringLiteral("f%1/inner").arg(i)));
    m_tree.refreshNode(wide);
    QTreeWidgetItem *node = m_tree.node(wide);
    ASSERT_EQ(node->childCount(), 300);
    node->setExpanded(true);
    // Opening returns at once; the children learn their own children as events run.
    EXPECT_TRUE(m_tree.hasPendingReads());
    EXPECT_FALSE(LocalFolderTree::isRead(node->child(node->childCount() - 1)));
    waitForReads();
    for (int i = 0; i < node->childCount(); ++i)
        EXPECT_EQ(node->child(i)->childCount(), 1) << i;
}

} // namespace
