#include "widgets/listviewhelpers.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QHelpEvent>
#include <QListView>
#include <QPointer>
#include <QToolTip>
#include <QTreeView>

#include <memory>

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

} // namespace

void showFullTextWhereElided(QAbstractItemView *view)
{
    view->viewport()->installEventFilter(new ElidedTextTips(view));
}

void fitColumnsOnFirstListing(QTreeView *view)
{
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(view->model(), &QAbstractItemModel::modelReset, view, [view, connection] {
        if (view->model()->rowCount() == 0)
            return;
        QObject::disconnect(*connection);
        QHeaderView *header = view->header();
        for (int column = 0; column < header->count(); ++column) {
            const int designed = header->sectionSize(column);
            view->resizeColumnToContents(column);
            if (header->sectionSize(column) < designed)
                header->resizeSection(column, designed);
        }
    });
}
