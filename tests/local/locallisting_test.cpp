// The local listing engine against real files in a temporary folder.

#include "local/locallisting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

class LocalListingTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    QString path(const QString &name) const { return m_dir.filePath(name); }

    void makeFile(const QString &name, qint64 size = 0)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        ASSERT_TRUE(file.resize(size));
    }
    void makeFolder(const QString &name) { ASSERT_TRUE(QDir(m_dir.path()).mkpath(name)); }

    std::vector<LocalEntry> list(ListingVariant variant = ListingVariant::Pane)
    {
        const auto entries = ListFolderEntries(m_dir.path(), variant);
        EXPECT_TRUE(entries.has_value());
        return entries.value_or(std::vector<LocalEntry>());
    }

    const LocalEntry *find(const std::vector<LocalEntry> &entries, const QString &name)
    {
        for (const LocalEntry &entry : entries) {
            if (entry.name == name)
                return &entry;
        }
        ADD_FAILURE() << "no entry " << name.toStdString();
        return nullptr;
    }

    static QStringList names(const std::vector<LocalEntry> &entries)
    {
        QStringList result;
        for (const LocalEntry &entry : entries)
            result.append(entry.name);
        return result;
    }

    QTemporaryDir m_dir;
};

TEST_F(LocalListingTest, EmptyFolderListsNothingAndMissingFolderFails)
{
    const auto empty = ListFolderEntries(m_dir.path());
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->empty());
    EXPECT_FALSE(ListFolderEntries(path("missing")).has_value());
    makeFile("plain");
    EXPECT_FALSE(ListFolderEntries(path("plain")).has_value()) << "a file is no folder";
}

TEST_F(LocalListingTest, FoldersComeFirstAndEachGroupIsInNameOrder)
{
    for (const char *name : { "cherry", "apple", "Banana" }) {
        makeFolder(QString::fromLatin1(name));
        makeFile(QString::fromLatin1(name) + ".dat");
    }
    EXPECT_EQ(names(list()), QStringList({ "apple", "Banana", "cherry", "apple.dat", "Banana.dat", "cherry.dat" }));
    // The copies after a delete and in the menu order by character code, folders still first.
    const QStringList byCode { "Banana", "apple", "cherry", "Banana.dat", "apple.dat", "cherry.dat" };
    EXPECT_EQ(names(list(ListingVariant::AfterDelete)), byCode);
    EXPECT_EQ(names(list(ListingVariant::Menu)), byCode);

    QStringList tree { "cherry", "Banana", "apple" };
    SortNames(tree);
    EXPECT_EQ(tree, QStringList({ "apple", "Banana", "cherry" }));
}

TEST_F(LocalListingTest, SizesAreWholeKibPlusOneAndSixtyFourBit)
{
    const struct {
        const char *name;
        qint64 size;
        const char *shown;
    } cases[] = {
        { "empty", 0, "1 KB" },
        { "onekib", 1024, "2 KB" },
        { "almosttwo", 2047, "2 KB" },
        // Sparse: no disk space is used. Beyond 2 GiB the size must not wrap negative.
        { "huge", 3LL * 1024 * 1024 * 1024, "3145729 KB" },
    };
    for (const auto &c : cases)
        makeFile(QString::fromLatin1(c.name), c.size);
    const auto entries = list();
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const LocalEntry *entry = find(entries, QString::fromLatin1(c.name));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->size, c.size);
        EXPECT_EQ(FormatSize(entry->size), QString::fromLatin1(c.shown));
    }
}

TEST_F(LocalListingTest, TypesAndImageKeysFollowTheExtension)
{
    for (const char *name : { "a.TXT", "b.txt", "x.exe", "y.exe", "README", "odd.qqqzz", "long.abcdefghijkl", "dot." })
        makeFile(QString::fromLatin1(name));
    makeFolder("sub");
    const auto entries = list();
    const LocalEntry *upper = find(entries, "a.TXT");
    const LocalEntry *lower = find(entries, "b.txt");
    ASSERT_TRUE(upper && lower);
    EXPECT_EQ(upper->imageKey, "ztxt");
    EXPECT_EQ(lower->imageKey, "ztxt");
    EXPECT_FALSE(upper->typeName.isEmpty());
    EXPECT_EQ(upper->typeName, lower->typeName);

    // Each program file keeps its own icon key; the running number restarts with each listing.
    QStringList exeKeys { find(entries, "x.exe")->imageKey, find(entries, "y.exe")->imageKey };
    exeKeys.sort();
    EXPECT_EQ(exeKeys, QStringList({ "zexe0", "zexe1" }));
    EXPECT_EQ(find(entries, "x.exe")->typeName, "Anwendung");

    EXPECT_EQ(find(entries, "README")->imageKey, "zreadme");
    EXPECT_EQ(find(entries, "sub")->imageKey, "Folder");
    EXPECT_EQ(find(entries, "sub")->typeName, "Dateiordner");

    // Unknown types: the key without its "z" when it is 3 to 11 long, else the whole key.
    EXPECT_EQ(find(entries, "odd.qqqzz")->typeName, "QQQZZ-Datei");
    EXPECT_EQ(find(entries, "long.abcdefghijkl")->typeName, "ZABCDEFGHIJKL-Datei");
    EXPECT_EQ(find(entries, "dot.")->typeName, "Z-Datei");
    // The other copies take the key's last three letters.
    EXPECT_EQ(find(list(ListingVariant::Menu), "odd.qqqzz")->typeName, "QZZ-Datei");
}

TEST_F(LocalListingTest, TimesAreShownInUtc)
{
    const QByteArray oldZone = qgetenv("TZ");
    qputenv("TZ", "Asia/Tokyo");
    ::tzset();
    makeFile("dated");
    QFile file(path("dated"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(
        file.setFileTime(QDateTime(QDate(2004, 3, 7), QTime(9, 5), Qt::UTC), QFileDevice::FileModificationTime));
    file.close();
    const LocalEntry *entry = find(list(), "dated");
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(FormatFileTime(entry->lastWrite), "07.03.2004 09:05:00");
    EXPECT_EQ(FormatFileTime(QDateTime()), "");
    qputenv("TZ", oldZone);
    ::tzset();
}

TEST_F(LocalListingTest, AttributesComeFromPosixBits)
{
    makeFile("normal");
    makeFile(".hidden");
    makeFolder("folder");
    makeFolder(".secret");
    makeFile("locked");
    // The write bits are read, not access(): root may write anything but still sees R.
    ASSERT_TRUE(QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    ASSERT_TRUE(QFile::setPermissions(path(".secret"), QFile::ReadOwner | QFile::ExeOwner));
    const auto entries = list();
    const struct {
        const char *name;
        const char *letters;
    } cases[] = { { "normal", "N" }, { ".hidden", "H" }, { "folder", "D" }, { "locked", "R" }, { ".secret", "RHD" } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const LocalEntry *entry = find(entries, QString::fromLatin1(c.name));
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(FormatAttributes(entry->attributes), QString::fromLatin1(c.letters));
    }
    QFile::setPermissions(path(".secret"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(FormatAttributes, LetterOrderFollowsTheVariant)
{
    const quint32 all = 0x1 | 0x2 | 0x4 | 0x10 | 0x20 | 0x80 | 0x100 | 0x800;
    EXPECT_EQ(FormatAttributes(all, ListingVariant::Pane), "TRHSNDCA");
    EXPECT_EQ(FormatAttributes(all, ListingVariant::AfterDelete), "TRHDSNCA");
    EXPECT_EQ(FormatAttributes(all, ListingVariant::Menu), "TRHSNCA");
    EXPECT_EQ(FormatAttributes(0x1 | 0x20), "RA");
    EXPECT_EQ(FormatAttributes(0x10 | 0x20), "DA");
    EXPECT_EQ(FormatAttributes(0), "");
}

} // namespace
