#pragma once
// The entries of one local listing as a table with the five columns of lsvDirFile, shared by
// the report view and the icon/list view. Texts are formatted only for rows that are shown.

#include "local/listingvariant.h"
#include "local/localentry.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QStringList>

#include <vector>

class LocalEntryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, TypeColumn, ChangedColumn, AttributeColumn, ColumnCount };

    explicit LocalEntryModel(QObject *parent = nullptr);

    // Replaces the rows by a whole listing in one reset; icons are looked up once per image key.
    void setEntries(std::vector<LocalEntry> entries, ListingVariant variant = ListingVariant::Pane);
    void clear();

    const LocalEntry &entry(int row) const { return m_entries[size_t(row)]; }
    // The icon of an image key in the current listing; null when no row uses the key.
    QIcon icon(const QString &imageKey) const { return m_icons.value(imageKey); }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString displayText(const LocalEntry &entry, int column) const;

    std::vector<LocalEntry> m_entries;
    ListingVariant m_variant = ListingVariant::Pane;
    // The listing's image lists: one icon per image key, rebuilt with every listing.
    QHash<QString, QIcon> m_icons;
    QString m_folderText;
    QStringList m_headers;
};
