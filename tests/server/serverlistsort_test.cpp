// Sorting the server list by a header click, and the keys that stand for a double-click.

#include "core/fileattributes.h"
#include "core/textcatalogue.h"
#include "server/serverentries.h"
#include "server/serverlistmodel.h"
#include "server/serverlistview.h"
#include "support/englishcatalogue.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

RemoteEntry entry(const char *name, qint64 size, QDate day, bool folder = false)
{
    RemoteEntry result;
    result.name = QString::fromLatin1(name);
    result.size = size;
    result.lastWrite = QDateTime(day, QTime(9, 5), Qt::UTC);
    result.isFolder = folder;
    result.attributes = folder ? FileAttribute::Directory : FileAttribute::Normal;
    return result;
}

std::vector<ServerEntry> sample()
{
    const QDate y2023(2023, 12, 20), y2024(2024, 1, 5), y2025(2025, 6, 1);
    return BuildServerEntries(
        {
            entry("file10.txt", 5000, y2024),
            entry("dir10", 0, y2025, true),
            entry("File2.txt", 100, y2025),
            entry("Dir2", 0, y2023, true),
            entry("a.bin", 3000, y2023),
            entry("alpha", 0, y2024, true),
            entry("b.txt", 100, y2024),
        },
        [](const QString &name) { return name.endsWith(u".txt") ? QStringLiteral("Text") : QStringLiteral("Binary"); });
}

QStringList names(const QAbstractItemModel &model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.append(model.index(row, ServerListModel::NameColumn).data().toString());
    return result;
}

class ServerListSortTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(useEnglishCatalogue());
    }
};

TEST_F(ServerListSortTest, ColumnsSortWithParentRowAndFoldersFirst)
{
    const struct {
        int column;
        Qt::SortOrder order;
        QStringList rows;
    } cases[] = {
        // The listing's own order: folders, then files, each as the server sent them.
        { -1, Qt::AscendingOrder, { "..", "dir10", "Dir2", "alpha", "file10.txt", "File2.txt", "a.bin", "b.txt" } },
        // Names ignore case and compare numbers as numbers: 2 before 10.
        { ServerListModel::NameColumn, Qt::AscendingOrder,
            { "..", "alpha", "Dir2", "dir10", "a.bin", "b.txt", "File2.txt", "file10.txt" } },
        { ServerListModel::NameColumn, Qt::DescendingOrder,
            { "..", "dir10", "Dir2", "alpha", "file10.txt", "File2.txt", "b.txt", "a.bin" } },
        // Sizes as numbers (100 < 3000 < 5000), equal sizes by name.
        { ServerListModel::SizeColumn, Qt::AscendingOrder,
            { "..", "alpha", "Dir2", "dir10", "b.txt", "File2.txt", "a.bin", "file10.txt" } },
        // Times as times: 2023 before 2024 before 2025, whatever their text says first.
        { ServerListModel::ChangedColumn, Qt::AscendingOrder,
            { "..", "Dir2", "alpha", "dir10", "a.bin", "b.txt", "file10.txt", "File2.txt" } },
        { ServerListModel::ChangedColumn, Qt::DescendingOrder,
            { "..", "dir10", "alpha", "Dir2", "File2.txt", "file10.txt", "b.txt", "a.bin" } },
        { ServerListModel::TypeColumn, Qt::AscendingOrder,
            { "..", "alpha", "Dir2", "dir10", "a.bin", "b.txt", "File2.txt", "file10.txt" } },
    };
    ServerListModel model;
    model.setEntries(sample());
    for (const auto &c : cases) {
        model.sort(c.column, c.order);
        EXPECT_EQ(names(model), c.rows) << c.column << " " << c.order;
    }
}

TEST_F(ServerListSortTest, ChosenOrderHoldsForTheNextListingAndKeepsTheSelection)
{
    ServerListModel model;
    model.setEntries(sample());
    QItemSelectionModel selection(&model);
    const int before = int(names(model).indexOf(QStringLiteral("a.bin")));
    selection.select(model.index(before, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);

    model.sort(ServerListModel::SizeColumn, Qt::DescendingOrder);
    const QModelIndexList selected = selection.selectedRows();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(model.rowName(selected.first().row()), QStringLiteral("a.bin"));

    model.setEntries(sample());
    EXPECT_EQ(
        names(model), QStringList({ "..", "dir10", "Dir2", "alpha", "file10.txt", "a.bin", "File2.txt", "b.txt" }));
}

TEST_F(ServerListSortTest, HeaderClicksSortAndReverse)
{
    ServerListModel model;
    model.setEntries(sample());
    ServerListView view(&model);
    view.resize(700, 300);
    view.show();
    QHeaderView *header = view.detailsView()->header();
    EXPECT_EQ(names(model).at(1), QStringLiteral("dir10")) << "no column is sorted before a click";

    const QPoint nameHeader(header->sectionViewportPosition(ServerListModel::NameColumn) + 5, 5);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
    EXPECT_EQ(names(model).mid(0, 4), QStringList({ "..", "alpha", "Dir2", "dir10" }));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
    EXPECT_EQ(names(model).mid(0, 4), QStringList({ "..", "dir10", "Dir2", "alpha" }));
}

TEST_F(ServerListSortTest, EnterActsAsDoubleClickAndBackspaceAsDoubleClickOnParentRow)
{
    ServerListModel model;
    model.setEntries(sample());
    ServerListView view(&model);
    view.show();
    QList<int> doubleClicked;
    QObject::connect(&view, &ServerListView::rowDoubleClicked, [&](int row) { doubleClicked.append(row); });

    QTest::keyClick(view.detailsView(), Qt::Key_Return);
    EXPECT_TRUE(doubleClicked.isEmpty()) << "nothing selected";

    view.selectionModel()->setCurrentIndex(
        model.index(2, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    QTest::keyClick(view.detailsView(), Qt::Key_Return);
    QTest::keyClick(view.detailsView(), Qt::Key_Enter);
    QTest::keyClick(view.detailsView(), Qt::Key_Backspace);
    EXPECT_EQ(doubleClicked, QList<int>({ 2, 2, 0 }));
}

} // namespace
