#include "server/serverlistmodel.h"

#include "app/textcatalogue.h"
#include "local/filetypes.h"
#include "server/serverlisting.h"

namespace {

const QString folderImageKey = QStringLiteral("zdirectoryx");
const QString parentRowName = QStringLiteral("..");

QVariant columnAlignment(int column)
{
    const bool right = column == ServerListModel::SizeColumn || column == ServerListModel::AttributesColumn;
    return QVariant::fromValue(Qt::Alignment(right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
}

} // namespace

ServerListModel::ServerListModel(QObject *parent)
    : QAbstractTableModel(parent)
{
    m_folderTypeName = text("MPUB_FOLDER");
    m_headers = { text("FRMSERVER_FILENAME"), text("FRMSERVER_SIZE"), text("FRMSERVER_TYP"), text("FRMSERVER_CHANGED"),
        text("FRMSERVER_ATTRIB") };
}

ServerListModel::~ServerListModel() = default;

void ServerListModel::setEntries(std::vector<ServerEntry> entries)
{
    beginResetModel();
    m_entries = std::move(entries);
    m_order.clear();
    m_order.reserve(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].isFolderRow())
            m_order.push_back(int(i));
    }
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (!m_entries[i].isFolderRow())
            m_order.push_back(int(i));
    }
    m_listed = true;
    cacheIcons();
    endResetModel();
}

void ServerListModel::clear()
{
    beginResetModel();
    m_entries.clear();
    m_order.clear();
    m_listed = false;
    endResetModel();
}

void ServerListModel::cacheIcons()
{
    // Only the pictures of shown rows are fetched: folder rows all show the folder picture.
    if (!m_icons.contains(folderImageKey))
        m_icons.insert(folderImageKey, GetFileIcon(QString(), true));
    for (const ServerEntry &entry : m_entries) {
        if (!entry.isFolderRow() && !m_icons.contains(entry.imageKey))
            m_icons.insert(entry.imageKey, GetFileIcon(entry.name));
    }
}

const ServerEntry *ServerListModel::entryAt(int row) const
{
    if (row < 1 || row > int(m_order.size()))
        return nullptr;
    return &m_entries[size_t(m_order[size_t(row - 1)])];
}

QString ServerListModel::rowName(int row) const
{
    if (!m_listed || row < 0 || row >= rowCount())
        return {};
    if (row == 0)
        return parentRowName;
    return entryAt(row)->name;
}

bool ServerListModel::hasEmptySize(int row) const
{
    if (!m_listed || row < 0 || row >= rowCount())
        return false;
    return row == 0 || entryAt(row)->isFolderRow();
}

int ServerListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_listed)
        return 0;
    return int(m_order.size()) + 1;
}

int ServerListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QIcon ServerListModel::iconFor(const QString &imageKey) const
{
    return m_icons.value(imageKey);
}

QVariant ServerListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int column = index.column();
    if (role == Qt::TextAlignmentRole)
        return columnAlignment(column);

    const ServerEntry *entry = entryAt(index.row());
    if (role == Qt::DecorationRole && column == NameColumn)
        return iconFor(!entry || entry->isFolderRow() ? folderImageKey : entry->imageKey);
    if (role != Qt::DisplayRole)
        return {};
    if (!entry)
        return column == NameColumn ? parentRowName : QString();

    const bool folder = entry->isFolderRow();
    switch (column) {
    case NameColumn:
        return entry->name;
    case SizeColumn:
        return folder ? QString() : entry->sizeText;
    case TypeColumn:
        return folder ? m_folderTypeName : entry->typeName;
    case ChangedColumn:
        return entry->changedText;
    case AttributesColumn:
        return FormatServerAttributes(entry->attributes());
    }
    return {};
}

QVariant ServerListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < ColumnCount) {
        if (role == Qt::DisplayRole)
            return m_headers.at(section);
        if (role == Qt::TextAlignmentRole)
            return columnAlignment(section);
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}
