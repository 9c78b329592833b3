// Building the server list from plain entries: picture keys, the type cache, and the row order.
#include "core/fileattributes.h"
#include "core/textcatalogue.h"
#include "server/serverentries.h"
#include "server/serverlistmodel.h"
#include "support/englishcatalogue.h"

#include <QIcon>

#include <gtest/gtest.h>

namespace {

RemoteEntry fileEntry(const QString &name, qint64 size = 0)
{
    RemoteEntry entry;
    entry.name = name;
    entry.size = size;
    entry.lastWrite = QDateTime(QDate(2004, 3, 7), QTime(9, 5), Qt::UTC);
    return entry;
}

RemoteEntry folderEntry(const QString &name, quint32 attributes = FileAttribute::Directory)
{
    RemoteEntry entry = fileEntry(name, 4096);
    entry.isFolder = true;
    entry.attributes = attributes;
    return entry;
}

QStringList rowTexts(const ServerListModel &model, int row)
{
    QStringList texts;
    for (int column = 0; column < ServerListModel::ColumnCount; ++column)
        texts.append(model.index(row, column).data().toString());
    return texts;
}

class ServerListModelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(useEnglishCatalogue());
    }
};

TEST_F(ServerListModelTest, KeysAndTypeNamesAskEachExtensionOnce)
{
    QStringList asked;
    const auto typeNameOf = [&asked](const QString &name) {
        asked.append(name);
        return name.endsWith(u".txt") ? QStringLiteral("Plain text") : QString();
    };
    const auto entries
        = BuildServerEntries({ fileEntry(QStringLiteral("setup.exe")), fileEntry(QStringLiteral("a.txt")),
                                 fileEntry(QStringLiteral("TOOL.EXE")), fileEntry(QStringLiteral("b.TXT")),
                                 fileEntry(QStringLiteral("archive.tar.gz")), fileEntry(QStringLiteral("Makefile")),
                                 fileEntry(QStringLiteral("data.xyz")), fileEntry(QStringLiteral("odd.")),
                                 fileEntry(QStringLiteral("x.ico")) },
            typeNameOf);

    const struct {
        const char *key;
        const char *type;
    } expected[] = { { "zexe0", "Anwendung" }, { "ztxt", "Plain text" }, { "zexe1", "Anwendung" },
        { "ztxt", "Plain text" }, { "zgz", "GZ-Datei" }, { "zmakefile", "MAKEFILE-Datei" }, { "zxyz", "XYZ-Datei" },
        { "z", "-Datei" }, { "zico2", "Symbol" } };
    ASSERT_EQ(entries.size(), std::size(expected));
    for (size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].imageKey, QLatin1String(expected[i].key)) << i;
        EXPECT_EQ(entries[i].typeName, QString::fromUtf8(expected[i].type)) << i;
    }
    // The own-icon kinds never reach the type source; two .txt files share one question.
    EXPECT_EQ(asked,
        QStringList({ QStringLiteral("a.txt"), QStringLiteral("archive.tar.gz"), QStringLiteral("Makefile"),
            QStringLiteral("data.xyz"), QStringLiteral("odd.") }));
    EXPECT_EQ(entries[0].attributesText, QStringLiteral("128"));
    EXPECT_EQ(entries[0].changedText, QStringLiteral("07.03.2004 09:05"));
}

TEST_F(ServerListModelTest, ParentRowThenFoldersThenFilesInServerOrder)
{
    ServerListModel model;
    EXPECT_EQ(model.rowCount(), 0);

    model.setEntries(
        BuildServerEntries({ fileEntry(QStringLiteral("z.txt"), 1536), folderEntry(QStringLiteral("zeta")),
                               folderEntry(QStringLiteral("locked"), FileAttribute::Directory | FileAttribute::ReadOnly),
                               folderEntry(QStringLiteral("alpha")), fileEntry(QStringLiteral("a.txt"), 0) },
            [](const QString &) { return QStringLiteral("Text"); }));

    const QString folderType = text("MPUB_FOLDER");
    const QList<QStringList> rows = {
        { "..", "", "", "", "" },
        { "zeta", "", folderType, "07.03.2004 09:05", "D" },
        { "alpha", "", folderType, "07.03.2004 09:05", "D" },
        { "z.txt", "2 KB", "Text", "07.03.2004 09:05", "N" },
        // A folder word with further bits is not a plain folder: it is shown like a file.
        { "locked", "4 KB", "Text", "07.03.2004 09:05", "RD" },
        { "a.txt", "1 KB", "Text", "07.03.2004 09:05", "N" },
    };
    ASSERT_EQ(model.rowCount(), rows.size());
    for (int row = 0; row < rows.size(); ++row) {
        EXPECT_EQ(rowTexts(model, row), rows[row]) << row;
        EXPECT_EQ(model.rowName(row), rows[row][0]);
        EXPECT_EQ(model.hasEmptySize(row), rows[row][1].isEmpty()) << row;
        EXPECT_FALSE(model.index(row, 0).data(Qt::DecorationRole).value<QIcon>().isNull()) << row;
    }
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), text("FRMSERVER_FILENAME"));

    // An empty or unreadable folder still offers the way up.
    model.setEntries({});
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.rowName(0), QStringLiteral(".."));
}

} // namespace
