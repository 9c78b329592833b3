#include "widgets/listviewhelpers.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QListView>
#include <QPointer>
#include <QToolTip>
#include <QTreeView>

#include <algorithm>

namespace {

class ElidedTextTips : public QObject {
public:
    explicit ElidedTextTips(QAbstractItemView *view)
        : QObject(view)
        , m_view(view)
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return QObject::eventFilter(watched, event);
        auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = m_view->indexAt(help->pos());
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect cell = m_view->visualRect(index);
        if (!index.isValid() || text.isEmpty() || !isCut(index, cell)) {
            QToolTip::hideText();
            return true;
        }
        QToolTip::showText(help->globalPos(), text, m_view->viewport(), cell);
        return true;
    }

private:
    // The delegate's own measure of the cell (icon, margins, text) against the room it has.
    bool isCut(const QModelIndex &index, const QRect &cell) const
    {
        QStyleOptionViewItem option;
        option.initFrom(m_view);
        option.rect = cell;
        option.font = m_view->font();
        option.decorationSize = m_view->iconSize().isValid() ? m_view->iconSize() : QSize(16, 16);
        const auto *list = qobject_cast<const QListView *>(m_view);
        if (list && list->viewMode() == QListView::IconMode) {
            option.decorationPosition = QStyleOptionViewItem::Top;
            option.displayAlignment = Qt::AlignHCenter | Qt::AlignTop;
            option.features |= QStyleOptionViewItem::WrapText;
            option.rect.setHeight(QWIDGETSIZE_MAX);
            const QSize whole = m_view->itemDelegateForIndex(index)->sizeHint(option, index);
            return whole.width() > cell.width() || whole.height() > cell.height();
        }
        return m_view->itemDelegateForIndex(index)->sizeHint(option, index).width() > cell.width();
    }

    QAbstractItemView *m_view;
};

// Sizes the columns of a report view after each listing and hands the spare width to one column.
class ColumnFitter : public QObject {
public:
    ColumnFitter(QTreeView *view, int spareColumn)
        : QObject(view)
        , m_view(view)
        , m_spareColumn(spareColumn)
    {
    }

    void fitToListing()
    {
        QHeaderView *header = m_view->header();
        if (m_designed.isEmpty()) {
            for (int column = 0; column < header->count(); ++column)
                m_designed.append(header->sectionSize(column));
        }
        // The designed widths are the least a column gets: an empty folder keeps its headings.
        for (int column = 0; column < header->count(); ++column) {
            m_view->resizeColumnToContents(column);
            const int width = std::max(header->sectionSize(column), m_designed.value(column));
            header->resizeSection(column, width);
            if (column == m_spareColumn)
                m_spareColumnNeeds = width;
        }
        giveSpareWidth();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Resize && m_spareColumnNeeds > 0)
            giveSpareWidth();
        return QObject::eventFilter(watched, event);
    }

private:
    void giveSpareWidth()
    {
        QHeaderView *header = m_view->header();
        int others = 0;
        for (int column = 0; column < header->count(); ++column) {
            if (column != m_spareColumn && !header->isSectionHidden(column))
                others += header->sectionSize(column);
        }
        header->resizeSection(m_spareColumn, std::max(m_spareColumnNeeds, m_view->viewport()->width() - others));
    }

    QTreeView *m_view;
    int m_spareColumn;
    QList<int> m_designed;
    int m_spareColumnNeeds = 0; // what its header and cells need, from the last listing
};

} // namespace

void showFullTextWhereElided(QAbstractItemView *view)
{
    view->viewport()->installEventFilter(new ElidedTextTips(view));
}

void fitColumnsToEveryListing(QTreeView *view, int spareColumn)
{
    auto *fitter = new ColumnFitter(view, spareColumn);
    QObject::connect(view->model(), &QAbstractItemModel::modelReset, fitter, &ColumnFitter::fitToListing);
    view->viewport()->installEventFilter(fitter);
}

void enableCopyDragAndDrop(QAbstractItemView *view)
{
    view->setDragEnabled(true);
    view->setAcceptDrops(true);
    view->viewport()->setAcceptDrops(true);
    view->setDragDropMode(QAbstractItemView::DragDrop);
    view->setDefaultDropAction(Qt::CopyAction);
    // A drop anywhere on a folder row goes into that folder, not beside it.
    view->setDragDropOverwriteMode(true);
    view->setDropIndicatorShown(true);
}
