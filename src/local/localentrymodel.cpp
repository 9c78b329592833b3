#include "local/localentrymodel.h"

#include "app/textcatalogue.h"
#include "local/filetypes.h"
#include "local/locallisting.h"

LocalEntryModel::LocalEntryModel(QObject *parent)
    : QAbstractTableModel(parent)
    // Looked up once when the window loads: the header asks for them on every paint.
    , m_headers { text("FRMLOCAL_FILENAME"), text("FRMLOCAL_SIZE"), text("FRMLOCAL_TYP"), text("FRMLOCAL_CHANGED"),
        text("FRMLOCAL_ATTRIBUTE") }
{
}

void LocalEntryModel::setEntries(std::vector<LocalEntry> entries, ListingVariant variant)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_variant = variant;
    m_icons.clear();
    for (const LocalEntry &entry : m_entries) {
        if (!m_icons.contains(entry.imageKey))
            m_icons.insert(entry.imageKey, GetFileIcon(entry.name, entry.isFolder));
    }
    m_folderText = text("FOLDER");
    endResetModel();
}

void LocalEntryModel::clear()
{
    beginResetModel();
    m_entries.clear();
    m_icons.clear();
    endResetModel();
}

int LocalEntryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_entries.size());
}

int LocalEntryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LocalEntryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || size_t(index.row()) >= m_entries.size())
        return {};
    const LocalEntry &row = m_entries[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return displayText(row, index.column());
    case Qt::DecorationRole:
        return index.column() == NameColumn ? QVariant(m_icons.value(row.imageKey)) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == SizeColumn || index.column() == AttributeColumn
            ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
            : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QString LocalEntryModel::displayText(const LocalEntry &entry, int column) const
{
    switch (column) {
    case NameColumn:
        return entry.name;
    case SizeColumn:
        return entry.isFolder ? QString() : FormatSize(entry.size);
    case TypeColumn:
        return entry.isFolder ? m_folderText : entry.typeName.trimmed();
    case ChangedColumn:
        return FormatFileTime(entry.lastWrite);
    case AttributeColumn:
        return FormatAttributes(entry.attributes, m_variant);
    default:
        return {};
    }
}

QVariant LocalEntryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return section == SizeColumn || section == AttributeColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    return m_headers.value(section);
}
