// Column texts of the server list and the private scratch folder.
#include "server/serverlisting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <string>

namespace {

struct SizeCase {
    qint64 bytes;
    const char *text;
};

class FormatServerSizeTest : public ::testing::TestWithParam<SizeCase> { };

TEST_P(FormatServerSizeTest, RoundsHalfToEvenAndNeverShowsZero)
{
    EXPECT_EQ(FormatServerSize(GetParam().bytes), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Sizes, FormatServerSizeTest,
    ::testing::Values(SizeCase { 0, "1 KB" }, SizeCase { 512, "1 KB" }, SizeCase { 1536, "2 KB" },
        SizeCase { 2560, "2 KB" }, SizeCase { 3584, "4 KB" }, SizeCase { 10000, "10 KB" },
        // Beyond 32 bits: no negative or wrapped numbers.
        SizeCase { 5LL * 1024 * 1024 * 1024, "5242880 KB" }, SizeCase { 2147483648LL, "2097152 KB" }),
    // Named by the byte count: ctest runs each case by name, and the default name would print
    // the struct's padding bytes, which differ from run to run.
    [](const ::testing::TestParamInfo<SizeCase> &info) { return "Bytes" + std::to_string(info.param.bytes); });

TEST(FormatServerTime, DayMonthYearHourMinuteOfTheServersTime)
{
    EXPECT_EQ(
        FormatServerTime(QDateTime(QDate(2004, 3, 7), QTime(9, 5, 59), Qt::UTC)), QStringLiteral("07.03.2004 09:05"));
    EXPECT_EQ(
        FormatServerTime(QDateTime(QDate(2021, 12, 31), QTime(23, 59), Qt::UTC)), QStringLiteral("31.12.2021 23:59"));
    // The same instant given in another zone still shows the server's (UTC) clock.
    EXPECT_EQ(FormatServerTime(QDateTime(QDate(2004, 3, 7), QTime(10, 5), QTimeZone(3600))),
        QStringLiteral("07.03.2004 09:05"));
    EXPECT_EQ(FormatServerTime(QDateTime()), QString());
}

TEST(FormatServerAttributes, LettersInTheServerListsOrder)
{
    const struct {
        quint32 word;
        const char *letters;
    } cases[] = { { 0x80, "N" }, { 0x10, "D" }, { 0x21, "RA" }, { 0x11, "RD" }, { 0x9B7, "TRHSDNCA" }, { 0, "" } };
    for (const auto &c : cases)
        EXPECT_EQ(FormatServerAttributes(c.word), QString::fromLatin1(c.letters)) << c.word;
}

TEST(MakeScratchFile, MakesAnEmptyFileInAPrivateFolderAndKeepsAnExistingOne)
{
    QStandardPaths::setTestModeEnabled(true);
    const QString folder
        = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/tempvantc");
    QDir(folder).removeRecursively();

    const QString path = MakeScratchFile(QStringLiteral("a b.txt"));
    ASSERT_EQ(path, folder + QStringLiteral("/a b.txt"));
    EXPECT_EQ(QFileInfo(path).size(), 0);
    const QFile::Permissions permissions = QFileInfo(folder).permissions();
    EXPECT_TRUE(permissions.testFlags(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    EXPECT_FALSE(permissions
        & (QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther
            | QFile::ExeOther));

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("kept");
    file.close();
    EXPECT_EQ(MakeScratchFile(QStringLiteral("a b.txt")), path);
    EXPECT_EQ(QFileInfo(path).size(), 4);

    // Server names that would leave the folder or name a folder get no file.
    for (const char *name : { "", ".", "..", "../escape.txt", "sub/file.txt" })
        EXPECT_EQ(MakeScratchFile(QString::fromLatin1(name)), QString()) << name;
    EXPECT_FALSE(QFileInfo::exists(folder + QStringLiteral("/../escape.txt")));
    QDir(folder).removeRecursively();
}

} // namespace
