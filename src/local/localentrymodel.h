#pragma once
// The entries of one local listing as a table with the five columns of lsvDirFile, shared by
// the report view and the icon/list view. Texts are formatted only for rows that are shown.

#include "local/listingvariant.h"
#include "local/localentry.h"
#include "transfer/transferitem.h"

#include <QAbstractTableModel>
#include <QCollator>
#include <QHash>
#include <QIcon>
#include <QStringList>

#include <vector>

// How both lists order names and texts when the user sorts: in the user's locale, ignoring
// case, numbers compared as numbers (file2 before file10).
QCollator NameCollator();

class LocalEntryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, TypeColumn, ChangedColumn, AttributeColumn, ColumnCount };

    explicit LocalEntryModel(QObject *parent = nullptr);

    // Replaces the rows by a whole listing in one reset; icons are looked up once per image key.
    // The rows keep the sort order the user chose last.
    void setEntries(std::vector<LocalEntry> entries, ListingVariant variant = ListingVariant::Pane);
    void clear();

    // The folder the rows are listed from, with a closing "/", as dragged rows name it.
    QString folder() const { return m_folder; }
    void setFolder(const QString &folder) { m_folder = folder; }

    // The row as the transfer engines take it.
    static TransferItem transferItem(const LocalEntry &entry);

    const LocalEntry &entry(int row) const { return m_entries[size_t(m_rows[size_t(row)])]; }
    // The icon of an image key in the current listing; null when no row uses the key.
    QIcon icon(const QString &imageKey) const { return m_icons.value(imageKey); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // A header click: folders stay before files, each group ordered by column (names in the
    // user's locale with numbers compared as numbers). Column -1 is the listing's own order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Rows are dragged as file: URLs; server rows dropped on a folder row go into that folder,
    // dropped anywhere else into the listed one.
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool dropMimeData(
        const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent) override;

signals:
    // Server rows were dropped; folderRow is the folder row they were dropped on, or -1.
    void serverEntriesDropped(const TransferSelection &entries, int folderRow);

private:
    QString displayText(const LocalEntry &entry, int column) const;
    std::vector<int> sortedRows() const;

    // In the listing's order; m_rows maps each shown row to its entry.
    std::vector<LocalEntry> m_entries;
    std::vector<int> m_rows;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    ListingVariant m_variant = ListingVariant::Pane;
    // The listing's image lists: one icon per image key, rebuilt with every listing.
    QHash<QString, QIcon> m_icons;
    QString m_folderText;
    QString m_folder;
    QStringList m_headers;
};
