#pragma once
// The rows of the server list: the ".." row, the folders, then the files, each group in the
// server's order. Shared by the report view and the icon and list views.

#include "server/serverentry.h"
#include "transfer/transferitem.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>

#include <vector>

class ServerListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, TypeColumn, ChangedColumn, AttributesColumn, ColumnCount };

    explicit ServerListModel(QObject *parent = nullptr);
    ~ServerListModel() override;

    // Shows a listing: the ".." row and then entries (folders first); one model reset.
    void setEntries(std::vector<ServerEntry> entries);
    // No rows at all, not even "..": nothing has been listed.
    void clear();

    // The last listing in the server's order.
    const std::vector<ServerEntry> &entries() const { return m_entries; }

    // The server folder the rows are listed from, as dragged rows name it.
    QString folder() const { return m_folder; }
    void setFolder(const QString &folder) { m_folder = folder; }

    // The row's name column ("..", a folder or file name); empty for a row that does not exist.
    QString rowName(int row) const;
    // True for folder rows and the ".." row: the rows whose size column is empty.
    bool hasEmptySize(int row) const;
    // The entry shown in row; nullptr for the ".." row and rows that do not exist.
    const ServerEntry *entryAt(int row) const;
    // The rows as the transfer engines take them; ".." comes as it is.
    QList<TransferItem> transferItems(const QList<int> &rows) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // A header click: ".." stays on top and folders before files, each group ordered by column
    // (names in the user's locale with numbers compared as numbers, sizes as numbers, times as
    // times). Column -1 is the listing's own order; later listings keep the chosen order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Rows are dragged as server entries; local files dropped on a folder row go into that
    // folder, dropped anywhere else into the listed one.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool dropMimeData(
        const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent) override;

signals:
    // Local files were dropped; folderRow is the folder row they were dropped on, or -1.
    void localFilesDropped(const QList<TransferSelection> &files, int folderRow);

private:
    QIcon iconFor(const QString &imageKey) const;
    void cacheIcons();
    std::vector<int> sortedOrder() const;

    std::vector<ServerEntry> m_entries;
    // Row order below the ".." row: folders, then everything else, as indexes into m_entries;
    // each group in the server's order until the user sorts.
    std::vector<int> m_order;
    bool m_listed = false;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    // Pictures by image key; never emptied, and the first picture stored under a key stays.
    QHash<QString, QIcon> m_icons;
    QString m_folderTypeName;
    QString m_folder;
    QStringList m_headers;
};
