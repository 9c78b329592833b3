#include "transfer/asciilist.h"
#include "support/localfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class AsciiListTest : public ::testing::Test {
protected:
    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    // A list whose shipped default holds content and whose user's copy does not exist yet.
    AsciiList listWithDefault(const QByteArray &content) const
    {
        EXPECT_TRUE(writeFile(path("default.dat"), content));
        return AsciiList(path("config/ascii.dat"), path("default.dat"));
    }

    QTemporaryDir m_dir;
};

TEST_F(AsciiListTest, ReadsItemsAtLineEndsAndCommas)
{
    const struct {
        const char *content; // UTF-8
        QStringList items;
    } cases[] = {
        { "TXT\r\nHTM\r\n", { "TXT", "HTM" } },
        { "TXT\nHTM", { "TXT", "HTM" } },
        { "TXT\rHTM\r", { "TXT", "HTM" } },
        { "TXT,HTM\r\nCSS", { "TXT", "HTM", "CSS" } },
        { "  TXT , HTM \r\n", { "TXT", "HTM" } },
        { "\"TXT\"\r\n\"A,B\", \" X \"\r\n", { "TXT", "A,B", " X " } },
        { "\"TXT\" rest,HTM", { "TXT", "HTM" } },
        { "\"OPEN,END\r\nCSS", { "OPEN,END", "CSS" } },
        { "\r\n\r\nTXT\r\n,,\r\n \r\n\"\"\r\n", { "TXT" } },
        { "\xEF\xBB\xBFTXT\r\n", { "TXT" } },
        { "ÄÖÜ\r\n", { QStringLiteral("ÄÖÜ") } },
        { "", {} },
    };
    for (const auto &testCase : cases) {
        SCOPED_TRACE(testCase.content);
        ASSERT_TRUE(writeFile(path("list.dat"), testCase.content));
        EXPECT_EQ(AsciiList::read(path("list.dat")), testCase.items);
    }
}

TEST_F(AsciiListTest, MissingOrUnreadableListIsEmpty)
{
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder")));
    for (const char *name : { "missing.dat", "folder" }) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(AsciiList::read(path(name)).isEmpty());
        const AsciiList list(path(name), path(name));
        EXPECT_TRUE(list.items().isEmpty());
        EXPECT_FALSE(list.IsAsciiFile(QStringLiteral("notes.txt")));
    }
}

// The name's last extension counts, not any ".TXT" inside it.
TEST_F(AsciiListTest, IsAsciiFileComparesTheLastExtension)
{
    const AsciiList list = listWithDefault("TXT\r\nhtm\r\n.CSV\r\nTAR.GZ\r\n");
    const struct {
        const char *name;
        bool ascii;
    } cases[] = {
        { "README.TXT", true },
        { "notes.txt", true },
        { "Notes.Txt", true },
        { "archive.txt.gz", false },
        { "notes.txt.bak", false },
        { "txt", false },
        { "TXT", false },
        { "", false },
        { "page.HTM", true },
        { "page.html", false },
        { "data.csv", false },
        { "data..csv", true },
        { "x.tar.gz", true },
        { "x.gz", false },
        { "my notes.txt", true },
    };
    for (const auto &testCase : cases)
        EXPECT_EQ(list.IsAsciiFile(QString::fromUtf8(testCase.name)), testCase.ascii) << testCase.name;
}

TEST_F(AsciiListTest, UserCopyReplacesTheShippedListAndCountsAtOnce)
{
    AsciiList list = listWithDefault("TXT\r\n");
    EXPECT_EQ(list.path(), path("default.dat"));
    EXPECT_TRUE(list.IsAsciiFile(QStringLiteral("a.txt")));

    ASSERT_TRUE(list.write({ QStringLiteral("HTM") }));
    EXPECT_EQ(list.path(), path("config/ascii.dat"));
    EXPECT_EQ(list.items(), QStringList { QStringLiteral("HTM") });
    EXPECT_FALSE(list.IsAsciiFile(QStringLiteral("a.txt")));
    EXPECT_TRUE(list.IsAsciiFile(QStringLiteral("a.htm")));
    EXPECT_EQ(contents(path("default.dat")), QByteArray("TXT\r\n"));

    // An empty user's list still hides the shipped one: every file goes as binary.
    ASSERT_TRUE(list.write({}));
    EXPECT_EQ(contents(path("config/ascii.dat")), QByteArray());
    EXPECT_FALSE(list.IsAsciiFile(QStringLiteral("a.txt")));
}

TEST_F(AsciiListTest, WriteGivesOneLinePerItemAndReadsBackTheSame)
{
    AsciiList list(path("deep/config/folder/ascii.dat"), path("missing.dat"));
    const QStringList items { QStringLiteral("TXT"), QStringLiteral(".CSV"), QStringLiteral("A,B"),
        QStringLiteral(" X"), QStringLiteral("ÄÖ") };
    ASSERT_TRUE(list.write(items)) << qPrintable(list.errorString());
    EXPECT_EQ(contents(path("deep/config/folder/ascii.dat")),
        QByteArray("TXT\r\n.CSV\r\n\"A,B\"\r\n\" X\"\r\n\xC3\x84\xC3\x96\r\n"));
    EXPECT_EQ(list.items(), items);
}

TEST_F(AsciiListTest, FailedWriteSaysWhy)
{
    ASSERT_TRUE(writeFile(path("plainfile")));
    AsciiList list(path("plainfile/ascii.dat"), path("missing.dat"));
    EXPECT_FALSE(list.write({ QStringLiteral("TXT") }));
    EXPECT_FALSE(list.errorString().isEmpty());
    EXPECT_EQ(contents(path("plainfile")), QByteArray("data"));
}

TEST(AsciiListStandard, UserCopyInTheConfigFolderOverTheListBesideTheProgram)
{
    QStandardPaths::setTestModeEnabled(true);
    const AsciiList list = AsciiList::standard();
    EXPECT_EQ(list.userPath(),
        QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/ascii.dat"));
    EXPECT_EQ(list.defaultPath(), QCoreApplication::applicationDirPath() + QStringLiteral("/ascii.dat"));
    // The shipped list, as the build copies it beside the program.
    const QStringList shipped = AsciiList::read(list.defaultPath());
    EXPECT_TRUE(shipped.contains(QStringLiteral("HTM")));
    EXPECT_TRUE(shipped.contains(QStringLiteral("HTML")));
    const AsciiList shippedOnly(QString(), list.defaultPath());
    EXPECT_TRUE(shippedOnly.IsAsciiFile(QStringLiteral("page.html")));
    EXPECT_TRUE(shippedOnly.IsAsciiFile(QStringLiteral("README.TXT")));
    EXPECT_FALSE(shippedOnly.IsAsciiFile(QStringLiteral("archive.txt.gz")));
}

} // namespace
