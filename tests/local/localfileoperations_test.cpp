#include "local/localfileoperations.h"
#include "support/localfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {


class LocalFileOperationsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + u'/';
        ASSERT_TRUE(writeFile(m_folder + QStringLiteral("old.txt"), "old"));
        ASSERT_TRUE(writeFile(m_folder + QStringLiteral("other.txt"), "other"));
        ASSERT_TRUE(QDir().mkpath(m_folder + QStringLiteral("folder/inner")));
        ASSERT_TRUE(writeFile(m_folder + QStringLiteral("folder/inner/f.txt"), "f"));
    }

    QTemporaryDir m_dir;
    QString m_folder;
};

TEST_F(LocalFileOperationsTest, RenamesFilesAndFoldersInPlace)
{
    ASSERT_TRUE(renameLocalEntry(m_folder, QStringLiteral("old.txt"), QStringLiteral("new name.txt")));
    EXPECT_FALSE(QFile::exists(m_folder + QStringLiteral("old.txt")));
    EXPECT_EQ(contents(m_folder + QStringLiteral("new name.txt")), "old");

    // A folder keeps its whole content and its identity: it is moved, not copied.
    const QString innerBefore = QFileInfo(m_folder + QStringLiteral("folder/inner")).canonicalFilePath();
    ASSERT_FALSE(innerBefore.isEmpty());
    ASSERT_TRUE(renameLocalEntry(m_folder, QStringLiteral("folder"), QStringLiteral("Renamed")));
    EXPECT_FALSE(QFileInfo::exists(m_folder + QStringLiteral("folder")));
    EXPECT_EQ(contents(m_folder + QStringLiteral("Renamed/inner/f.txt")), "f");
}

TEST_F(LocalFileOperationsTest, RefusesAnExistingTargetAndKeepsBothUnchanged)
{
    struct Case {
        const char *from;
        const char *to;
    } const cases[]
        = { { "old.txt", "other.txt" }, { "old.txt", "folder" }, { "folder", "other.txt" }, { "old.txt", "old.txt" } };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.from) + " -> " + c.to);
        EXPECT_FALSE(renameLocalEntry(m_folder, QString::fromUtf8(c.from), QString::fromUtf8(c.to)));
        EXPECT_EQ(contents(m_folder + QStringLiteral("old.txt")), "old");
        EXPECT_EQ(contents(m_folder + QStringLiteral("other.txt")), "other");
        EXPECT_EQ(contents(m_folder + QStringLiteral("folder/inner/f.txt")), "f");
    }
    QDir().mkpath(m_folder + QStringLiteral("empty"));
    EXPECT_FALSE(renameLocalEntry(m_folder, QStringLiteral("empty"), QStringLiteral("folder")));
    EXPECT_TRUE(QFileInfo::exists(m_folder + QStringLiteral("folder/inner/f.txt")));
}

TEST_F(LocalFileOperationsTest, NamesThatLeaveTheFolderAreRefused)
{
    for (const QString &bad : { QString(), QStringLiteral("."), QStringLiteral(".."), QStringLiteral("../x"),
             QStringLiteral("folder/moved.txt") }) {
        SCOPED_TRACE(bad.toStdString());
        EXPECT_FALSE(isPlainEntryName(bad));
        EXPECT_FALSE(renameLocalEntry(m_folder, QStringLiteral("old.txt"), bad));
        EXPECT_FALSE(createLocalFolder(m_folder, bad));
    }
    EXPECT_EQ(contents(m_folder + QStringLiteral("old.txt")), "old");
    EXPECT_TRUE(isPlainEntryName(QStringLiteral(" blanks kept ")));
}

TEST_F(LocalFileOperationsTest, NewFolderRefusesAnyExistingName)
{
    EXPECT_FALSE(createLocalFolder(m_folder, QStringLiteral("old.txt")));
    EXPECT_EQ(contents(m_folder + QStringLiteral("old.txt")), "old");
    EXPECT_FALSE(createLocalFolder(m_folder, QStringLiteral("folder")));
    EXPECT_TRUE(createLocalFolder(m_folder, QStringLiteral("Neu mit Blank")));
    EXPECT_TRUE(QFileInfo(m_folder + QStringLiteral("Neu mit Blank")).isDir());
}

} // namespace
