// trwPaths on real folders: lazy reading one level ahead, case-sensitive keys, repairs.

#include "local/localfoldertree.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

    QTemporaryDir m_dir;
    QString m_root;
    LocalFolderTree m_tree;
};

TEST_F(LocalFolderTreeTest, ReadsOneLevelAheadAndEachFolderOnce)
{
    // The root and, through its expansion, each of its four subfolders.
    EXPECT_EQ(m_tree.foldersRead(), 5);
    EXPECT_EQ(childTexts(m_root + "a/"), QStringList({ "a1", "a2" }));
    EXPECT_TRUE(childTexts(m_root + "a/a1/").isEmpty()) << "grandchildren wait for their parent to open";

    QTreeWidgetItem *a = m_tree.node(m_root + "a/");
    ASSERT_NE(a, nullptr);
    a->setExpanded(true);
    EXPECT_EQ(m_tree.foldersRead(), 7);
    EXPECT_EQ(childTexts(m_root + "a/a1/"), QStringList({ "a11" }));
    a->setExpanded(false);
    a->setExpanded(true);
    EXPECT_EQ(m_tree.foldersRead(), 7) << "a second expansion reads nothing again";
}

TEST_F(LocalFolderTreeTest, KeysKeepTheirCase)
{
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

TEST_F(LocalFolderTreeTest, RefreshAndPruneFollowTheDisk)
{
    m_tree.reveal(m_root + "a/a1/");
    ASSERT_TRUE(QDir(m_root).mkpath("a/a0"));
    ASSERT_TRUE(QDir(m_root + "a/a2").removeRecursively());
    m_tree.refreshNode(m_root + "a/");
    EXPECT_EQ(childTexts(m_root + "a/"), QStringList({ "a0", "a1" }));
    EXPECT_EQ(m_tree.node(m_root + "a/a2/"), nullptr);
    EXPECT_EQ(childTexts(m_root + "a/a1/"), QStringList({ "a11" })) << "kept nodes keep their subtrees";
    EXPECT_TRUE(LocalFolderTree::isRead(m_tree.node(m_root + "a/a0/"))) << "a new child of an open node is read";

    ASSERT_TRUE(QDir(m_root + "a").removeRecursively());
    m_tree.pruneVanished();
    EXPECT_EQ(m_tree.node(m_root + "a/"), nullptr);
    EXPECT_EQ(m_tree.node(m_root + "a/a1/a11/"), nullptr);
    EXPECT_EQ(childTexts(m_root), QStringList({ "b", "Foo", "foo" }));
}

} // namespace
