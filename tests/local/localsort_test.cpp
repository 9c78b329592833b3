// Sorting the local list by a header click, and Enter and Backspace in the local pane.

#include "core/appservices.h"
#include "core/fileattributes.h"
#include "core/textcatalogue.h"
#include "local/localentrymodel.h"
#include "local/localpane.h"
#include "session/session.h"
#include "support/englishcatalogue.h"
#include "support/recordinghistorylog.h"
#include "support/scriptedprompts.h"
#include "widgets/progressbar.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

LocalEntry entry(const char *name, qint64 size, QDate day, bool folder = false)
{
    LocalEntry result;
    result.name = QString::fromLatin1(name);
    result.isFolder = folder;
    result.size = folder ? 0 : size;
    result.lastWrite = QDateTime(day, QTime(12, 0), Qt::UTC);
    result.attributes = folder ? FileAttribute::Directory : FileAttribute::Normal;
    result.typeName = folder ? QStringLiteral("Dateiordner") : QString::fromLatin1(name).section(u'.', -1).toUpper();
    result.imageKey = folder ? QStringLiteral("Folder") : QStringLiteral("z") + result.typeName.toLower();
    return result;
}

// As the listing delivers them: folders first, each group in name order.
std::vector<LocalEntry> listing()
{
    const QDate y2023(2023, 12, 20), y2024(2024, 1, 5), y2025(2025, 6, 1);
    return { entry("alpha", 0, y2024, true), entry("dir10", 0, y2025, true), entry("Dir2", 0, y2023, true),
        entry("a.bin", 3000, y2023), entry("b.txt", 100, y2024), entry("file10.txt", 5000, y2024),
        entry("File2.txt", 100, y2025) };
}

QStringList names(const QAbstractItemModel &model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result.append(model.index(row, LocalEntryModel::NameColumn).data().toString());
    return result;
}

class LocalSortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
    }
};

TEST_F(LocalSortTest, ColumnsSortWithFoldersFirst)
{
    const struct {
        int column;
        Qt::SortOrder order;
        QStringList rows;
    } cases[] = {
        { -1, Qt::AscendingOrder, { "alpha", "dir10", "Dir2", "a.bin", "b.txt", "file10.txt", "File2.txt" } },
        { LocalEntryModel::NameColumn, Qt::AscendingOrder,
            { "alpha", "Dir2", "dir10", "a.bin", "b.txt", "File2.txt", "file10.txt" } },
        { LocalEntryModel::NameColumn, Qt::DescendingOrder,
            { "dir10", "Dir2", "alpha", "file10.txt", "File2.txt", "b.txt", "a.bin" } },
        { LocalEntryModel::SizeColumn, Qt::AscendingOrder,
            { "alpha", "Dir2", "dir10", "b.txt", "File2.txt", "a.bin", "file10.txt" } },
        { LocalEntryModel::ChangedColumn, Qt::AscendingOrder,
            { "Dir2", "alpha", "dir10", "a.bin", "b.txt", "file10.txt", "File2.txt" } },
        { LocalEntryModel::TypeColumn, Qt::DescendingOrder,
            { "dir10", "Dir2", "alpha", "file10.txt", "File2.txt", "b.txt", "a.bin" } },
    };
    LocalEntryModel model;
    model.setEntries(listing());
    for (const auto &c : cases) {
        model.sort(c.column, c.order);
        EXPECT_EQ(names(model), c.rows) << c.column << " " << c.order;
        for (int row = 0; row < model.rowCount(); ++row)
            EXPECT_EQ(model.entry(row).name, c.rows.at(row)) << "commands see the rows as shown";
    }
}

TEST_F(LocalSortTest, ChosenOrderHoldsForTheNextListingAndKeepsTheSelection)
{
    LocalEntryModel model;
    model.setEntries(listing());
    QItemSelectionModel selection(&model);
    selection.select(model.index(int(names(model).indexOf(QStringLiteral("b.txt"))), 0),
        QItemSelectionModel::Select | QItemSelectionModel::Rows);
    model.sort(LocalEntryModel::NameColumn, Qt::DescendingOrder);
    ASSERT_EQ(selection.selectedRows().size(), 1);
    EXPECT_EQ(model.entry(selection.selectedRows().first().row()).name, QStringLiteral("b.txt"));

    model.setEntries(listing());
    EXPECT_EQ(names(model).first(), QStringLiteral("dir10"));
}

class LocalPaneKeysTest : public LocalSortTest {
protected:
    void SetUp() override
    {
        LocalSortTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + u'/';
        ASSERT_TRUE(QDir(m_folder).mkpath(QStringLiteral("Sub/deeper")));
        QFile file(m_folder + QStringLiteral("a.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        m_pane = std::make_unique<LocalPane>(m_services);
        m_pane->show();
        ASSERT_TRUE(m_pane->selectFolder(m_folder));
    }

    QTreeView *report() const { return m_pane->findChild<QTreeView *>(QStringLiteral("lsvDirFileReport")); }
    void select(const QString &name)
    {
        const QStringList shown = names(*report()->model());
        report()->selectionModel()->setCurrentIndex(report()->model()->index(int(shown.indexOf(name)), 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    Session m_session;
    RecordingHistoryLog m_history;
    ScriptedPrompts m_prompts;
    ProgressBar m_progress;
    AppServices m_services { m_session, m_history, m_prompts, m_progress };
    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<LocalPane> m_pane;
};

TEST_F(LocalPaneKeysTest, EnterOpensTheSelectedFolderAndBackspaceGoesUp)
{
    select(QStringLiteral("a.txt"));
    QTest::keyClick(report(), Qt::Key_Return);
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder) << "Enter on a file does what a double-click does: nothing";

    select(QStringLiteral("Sub"));
    QTest::keyClick(report(), Qt::Key_Return);
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder + QStringLiteral("Sub/"));
    EXPECT_EQ(names(*report()->model()), QStringList({ "deeper" }));

    QTest::keyClick(report(), Qt::Key_Backspace);
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder);
    EXPECT_EQ(names(*report()->model()), QStringList({ "Sub", "a.txt" }));
}

TEST_F(LocalPaneKeysTest, BackspaceStopsAtTheVolumeRoot)
{
    ASSERT_TRUE(m_pane->selectFolder(QStringLiteral("/")));
    QTest::keyClick(report(), Qt::Key_Backspace);
    EXPECT_EQ(m_pane->TreeNodePath(), QStringLiteral("/"));
}

TEST_F(LocalPaneKeysTest, HeaderClickSortsTheShownFolder)
{
    QFile file(m_folder + QStringLiteral("B.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    m_pane->RefreshLocal();
    QHeaderView *header = report()->header();
    const QPoint nameHeader(header->sectionViewportPosition(LocalEntryModel::NameColumn) + 5, 5);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, nameHeader);
    EXPECT_EQ(names(*report()->model()), QStringList({ "Sub", "B.txt", "a.txt" }));
}

} // namespace
