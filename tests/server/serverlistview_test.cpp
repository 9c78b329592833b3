// The server list's views as a new user meets them: columns that fit, full texts of cut cells.

#include "core/textcatalogue.h"
#include "server/serverentries.h"
#include "server/serverlistmodel.h"
#include "server/serverlistview.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QToolTip>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

const QString longName = QStringLiteral("a rather long file name that needs room.txt");

std::vector<ServerEntry> listing()
{
    RemoteEntry file;
    file.name = longName;
    file.size = 123456789;
    file.lastWrite = QDateTime(QDate(2026, 12, 8), QTime(18, 35), Qt::UTC);
    RemoteEntry shortFile = file;
    shortFile.name = QStringLiteral("a.txt");
    return BuildServerEntries(
        { file, shortFile }, [](const QString &) { return QStringLiteral("plain text document"); });
}

class ServerListViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TextCatalogue::instance().open(TextCatalogue::defaultPath()));
        TextCatalogue::instance().setLanguageTable(QStringLiteral("german"));
        m_model = std::make_unique<ServerListModel>();
        m_view = std::make_unique<ServerListView>(m_model.get());
        m_view->resize(500, 300);
        m_view->show();
    }

    QTreeView *details() const { return m_view->detailsView(); }

    // Asks the viewport for the tool tip of a cell, as hovering does.
    QString toolTipAt(int row, int column)
    {
        const QRect cell = details()->visualRect(m_model->index(row, column));
        QHelpEvent event(QEvent::ToolTip, cell.center(), details()->viewport()->mapToGlobal(cell.center()));
        QApplication::sendEvent(details()->viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    std::unique_ptr<ServerListModel> m_model;
    std::unique_ptr<ServerListView> m_view;
};

TEST_F(ServerListViewTest, EveryListingFitsTheColumnsAndTheNameTakesTheSpareWidth)
{
    QHeaderView *header = details()->header();
    const QFontMetrics metrics = details()->fontMetrics();
    const auto expectFit = [&](const char *when) {
        int total = 0;
        for (int column = 0; column < ServerListModel::ColumnCount; ++column) {
            total += header->sectionSize(column);
            const QString heading = m_model->headerData(column, Qt::Horizontal).toString();
            EXPECT_GE(header->sectionSize(column), metrics.horizontalAdvance(heading)) << when << column;
            for (int row = 0; row < m_model->rowCount(); ++row) {
                const QString cell = m_model->index(row, column).data().toString();
                EXPECT_GE(header->sectionSize(column), metrics.horizontalAdvance(cell)) << when << row << column;
            }
        }
        EXPECT_GE(total, details()->viewport()->width()) << when << ": the name column takes the spare width";
    };
    m_model->setEntries(listing());
    expectFit("first listing");

    // A later listing with wider cells widens its columns again, whatever the user did meanwhile.
    header->resizeSection(ServerListModel::NameColumn, 60);
    std::vector<ServerEntry> wider = listing();
    wider[0].name = longName + longName;
    wider[0].sizeText = QStringLiteral("123456789012 KB");
    m_model->setEntries(wider);
    expectFit("wider listing");

    m_view->resize(900, 300);
    expectFit("wider window");
}

TEST_F(ServerListViewTest, CutCellsShowTheirFullTextAsToolTip)
{
    m_model->setEntries(listing());
    details()->header()->resizeSection(ServerListModel::NameColumn, 80);
    const int longRow = 1;
    ASSERT_EQ(m_model->rowName(longRow), longName);
    // A tip once shown fades out slowly, so the cell shown whole is asked first.
    EXPECT_EQ(toolTipAt(2, ServerListModel::NameColumn), QString()) << "a name shown whole has no tool tip";
    EXPECT_EQ(toolTipAt(longRow, ServerListModel::NameColumn), longName);
}

} // namespace
