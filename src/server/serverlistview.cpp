#include "server/serverlistview.h"

#include "server/serverlistmodel.h"
#include "widgets/listviewhelpers.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QTreeView>

#include <algorithm>

namespace {

// Widths of the report columns in pixels: name, size, type, changed, attributes.
constexpr int columnWidths[] = { 140, 50, 130, 120, 60 };

} // namespace

ServerListView::ServerListView(QAbstractItemModel *model, QWidget *parent)
    : QStackedWidget(parent)
    , m_details(new QTreeView(this))
    , m_icons(new QListView(this))
{
    setObjectName(QStringLiteral("lsvServer"));

    m_details->setModel(model);
    m_details->setRootIsDecorated(false);
    m_details->setItemsExpandable(false);
    m_details->setAllColumnsShowFocus(true);
    // Big folders: without uniform heights the view measures every row.
    m_details->setUniformRowHeights(true);
    m_details->header()->setStretchLastSection(false);
    for (int column = 0; column < int(std::size(columnWidths)); ++column)
        m_details->header()->resizeSection(column, columnWidths[column]);
    // No column is sorted until the user clicks one: the listing's own order comes first.
    m_details->header()->setSortIndicator(-1, Qt::AscendingOrder);
    m_details->setSortingEnabled(true);
    fitColumnsToEveryListing(m_details, ServerListModel::NameColumn);

    m_icons->setModel(model);
    m_icons->setSelectionModel(m_details->selectionModel());
    // Each name gets the width it needs in the list views (a uniform size is the first row's).
    m_icons->setUniformItemSizes(false);
    // Lays out a big folder in steps between events instead of all at once.
    m_icons->setLayoutMode(QListView::Batched);
    m_icons->setMovement(QListView::Static);
    m_icons->setResizeMode(QListView::Adjust);
    m_icons->setWrapping(true);

    setUpItemView(m_details);
    setUpItemView(m_icons);
    addWidget(m_details);
    addWidget(m_icons);
    setCurrentWidget(m_details);
}

ServerListView::~ServerListView() = default;

void ServerListView::setUpItemView(QAbstractItemView *view)
{
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    view->installEventFilter(this);
    showFullTextWhereElided(view);
    enableCopyDragAndDrop(view);
    connect(view, &QAbstractItemView::doubleClicked, this,
        [this](const QModelIndex &index) { emit rowDoubleClicked(index.row()); });
    connect(view, &QWidget::customContextMenuRequested, this,
        [this, view](const QPoint &position) { emit contextMenuRequested(view->viewport()->mapToGlobal(position)); });
}

void ServerListView::setView(View view)
{
    m_view = view;
    if (view == View::Details) {
        setCurrentWidget(m_details);
        return;
    }
    const bool large = view == View::LargeIcons;
    m_icons->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    m_icons->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
    // Small icons run across and wrap into rows; the list runs down and wraps into columns.
    m_icons->setFlow(view == View::List ? QListView::TopToBottom : QListView::LeftToRight);
    m_icons->setWrapping(true);
    m_icons->setGridSize(large ? QSize(96, 64) : QSize());
    m_icons->setWordWrap(large);
    enableCopyDragAndDrop(m_icons);
    setCurrentWidget(m_icons);
}

QAbstractItemView *ServerListView::currentItemView() const
{
    return m_view == View::Details ? static_cast<QAbstractItemView *>(m_details) : m_icons;
}

QItemSelectionModel *ServerListView::selectionModel() const
{
    return m_details->selectionModel();
}

int ServerListView::selectedRow() const
{
    const QModelIndex current = selectionModel()->currentIndex();
    if (!current.isValid() || !selectionModel()->isSelected(current.siblingAtColumn(0)))
        return -1;
    return current.row();
}

QList<int> ServerListView::selectedRows() const
{
    // Ranges rather than indexes: a selection of a whole big folder has five indexes per row.
    QList<int> rows;
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.append(row);
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

bool ServerListView::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Delete) {
            emit deletePressed();
            return true;
        }
        if (key == Qt::Key_F5) {
            emit refreshPressed();
            return true;
        }
        // Enter does what a double-click does; Backspace what a double-click on ".." does.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (selectedRow() >= 0)
                emit rowDoubleClicked(selectedRow());
            return true;
        }
        if (key == Qt::Key_Backspace) {
            if (m_details->model()->rowCount() > 0)
                emit rowDoubleClicked(0);
            return true;
        }
    }
    return QStackedWidget::eventFilter(watched, event);
}
