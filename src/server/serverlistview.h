#pragma once
// lsvServer: the server list in its four views (large icons, small icons, list, details). One
// model and one selection serve all four, so switching the view keeps the selection.

#include <QStackedWidget>

class QAbstractItemModel;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QTreeView;

class ServerListView : public QStackedWidget {
    Q_OBJECT
public:
    enum class View { LargeIcons, SmallIcons, List, Details };

    explicit ServerListView(QAbstractItemModel *model, QWidget *parent = nullptr);
    ~ServerListView() override;

    View view() const { return m_view; }
    void setView(View view);
    // The widget that shows the current view.
    QAbstractItemView *currentItemView() const;
    QTreeView *detailsView() const { return m_details; }
    QItemSelectionModel *selectionModel() const;

    // The focused row when it is selected; -1 otherwise.
    int selectedRow() const;
    // All selected rows, top to bottom.
    QList<int> selectedRows() const;

signals:
    void rowDoubleClicked(int row);
    void deletePressed();
    void refreshPressed();
    void contextMenuRequested(const QPoint &globalPosition);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void setUpItemView(QAbstractItemView *view);

    QTreeView *m_details;
    QListView *m_icons;
    View m_view = View::Details;
};
