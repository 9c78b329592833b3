#include "server/serverlistmodel.h"

#include "core/textcatalogue.h"
#include "local/filetypes.h"
#include "local/localentrymodel.h"
#include "server/serverlisting.h"
#include "transfer/transferdrag.h"

#include <QDateTime>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

namespace {

const QString folderImageKey = QStringLiteral("zdirectoryx");
const QString parentRowName = QStringLiteral("..");

QString imageKeyOf(const ServerEntry &entry)
{
    return entry.isFolderRow() ? folderImageKey : entry.imageKey;
}

// Image keys start with "z": the linked pictures cannot meet them.
QString linkImageKey(const QString &imageKey)
{
    return QStringLiteral("link:") + imageKey;
}

// The picture with the theme's link emblem over its lower left quarter, at every size it has.
QIcon withLinkEmblem(const QIcon &icon)
{
    const QIcon emblem = QIcon::fromTheme(QStringLiteral("emblem-symbolic-link"));
    if (emblem.isNull() || icon.isNull())
        return icon;
    QList<QSize> sizes = icon.availableSizes();
    if (sizes.isEmpty())
        sizes = { QSize(16, 16), QSize(32, 32) };
    QIcon linked;
    for (const QSize &size : std::as_const(sizes)) {
        QPixmap pixmap = icon.pixmap(size);
        QPainter painter(&pixmap);
        const QSize emblemSize = size / 2;
        painter.drawPixmap(QPoint(0, size.height() - emblemSize.height()), emblem.pixmap(emblemSize));
        painter.end();
        linked.addPixmap(pixmap);
    }
    return linked;
}

template <typename T> int compareValues(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// The listing keeps only the time's text ("07.03.2004 09:05"); read back, it orders as a time.
QDateTime changedTime(const ServerEntry &entry)
{
    return QDateTime::fromString(entry.changedText, QStringLiteral("dd.MM.yyyy HH:mm"));
}

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
    m_order = sortedOrder();
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
        // One linked picture per image key, however many links share it.
        if (entry.isLink && !m_icons.contains(linkImageKey(imageKeyOf(entry))))
            m_icons.insert(linkImageKey(imageKeyOf(entry)), withLinkEmblem(m_icons.value(imageKeyOf(entry))));
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

QList<TransferItem> ServerListModel::transferItems(const QList<int> &rows) const
{
    QList<TransferItem> items;
    for (const int row : rows) {
        const ServerEntry *entry = entryAt(row);
        // A link's listed size is the link's own, not its target's.
        items.append({ rowName(row), hasEmptySize(row), entry && !entry->isLink ? entry->size : -1 });
    }
    return items;
}

Qt::ItemFlags ServerListModel::flags(const QModelIndex &index) const
{
    // The space around the rows takes drops for the listed folder.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.row() == 0)
        return flags;
    flags |= Qt::ItemIsDragEnabled;
    if (hasEmptySize(index.row()))
        flags |= Qt::ItemIsDropEnabled;
    return flags;
}

QStringList ServerListModel::mimeTypes() const
{
    return { QStringLiteral("text/uri-list") };
}

QMimeData *ServerListModel::mimeData(const QModelIndexList &indexes) const
{
    // The ".." row is no entry to carry.
    QList<int> rows = TransferDrag::rowsOf(indexes);
    rows.removeOne(0);
    if (rows.isEmpty())
        return nullptr;
    return TransferDrag::serverEntriesData({ m_folder, transferItems(rows) });
}

bool ServerListModel::dropMimeData(
    const QMimeData *data, Qt::DropAction action, int /*row*/, int /*column*/, const QModelIndex &parent)
{
    // Server rows dropped back onto their own list carry no local files.
    if (!data || action != Qt::CopyAction)
        return false;
    const QList<TransferSelection> files = TransferDrag::localFiles(*data);
    if (files.isEmpty())
        return false;
    const bool onFolder = parent.isValid() && parent.row() > 0 && hasEmptySize(parent.row());
    emit localFilesDropped(files, onFolder ? parent.row() : -1);
    return true;
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
        return iconFor(!entry ? folderImageKey : entry->isLink ? linkImageKey(imageKeyOf(*entry)) : imageKeyOf(*entry));
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
        // A first click on a column sorts it ascending.
        if (role == Qt::InitialSortOrderRole)
            return Qt::AscendingOrder;
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

void ServerListModel::sort(int column, Qt::SortOrder order)
{
    m_sortColumn = column >= 0 && column < ColumnCount ? column : -1;
    m_sortOrder = order;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> sorted = sortedOrder();
    // The selection follows its entries to their new rows; ".." keeps row 0.
    std::vector<int> newRowOfEntry(m_entries.size());
    for (size_t i = 0; i < sorted.size(); ++i)
        newRowOfEntry[size_t(sorted[i])] = int(i) + 1;
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before) {
        const int row = index.row() == 0 ? 0 : newRowOfEntry[size_t(m_order[size_t(index.row() - 1)])];
        after.append(this->index(row, index.column()));
    }
    m_order = std::move(sorted);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::vector<int> ServerListModel::sortedOrder() const
{
    std::vector<int> order;
    order.reserve(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].isFolderRow())
            order.push_back(int(i));
    }
    const auto folders = order.size();
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (!m_entries[i].isFolderRow())
            order.push_back(int(i));
    }
    if (m_sortColumn < 0)
        return order;

    const QCollator collator = NameCollator();
    // Sort keys and times once per entry, not once per comparison: comparing keys is several
    // times faster than comparing texts.
    const bool byText = m_sortColumn == TypeColumn || m_sortColumn == AttributesColumn;
    std::vector<QCollatorSortKey> nameKeys;
    std::vector<QCollatorSortKey> textKeys;
    std::vector<QDateTime> times;
    nameKeys.reserve(m_entries.size());
    for (const ServerEntry &entry : m_entries) {
        nameKeys.push_back(collator.sortKey(entry.name));
        if (m_sortColumn == TypeColumn)
            textKeys.push_back(collator.sortKey(entry.isFolderRow() ? m_folderTypeName : entry.typeName));
        else if (m_sortColumn == AttributesColumn)
            textKeys.push_back(collator.sortKey(FormatServerAttributes(entry.attributes())));
        else if (m_sortColumn == ChangedColumn)
            times.push_back(changedTime(entry));
    }
    const auto compare = [&](size_t left, size_t right) {
        if (byText)
            return textKeys[left].compare(textKeys[right]);
        if (m_sortColumn == ChangedColumn)
            return compareValues(times[left], times[right]);
        if (m_sortColumn == SizeColumn)
            return compareValues(m_entries[left].size, m_entries[right].size);
        return 0;
    };
    const auto less = [&](int left, int right) {
        int result = compare(size_t(left), size_t(right));
        if (result == 0)
            result = nameKeys[size_t(left)].compare(nameKeys[size_t(right)]);
        return m_sortOrder == Qt::AscendingOrder ? result < 0 : result > 0;
    };
    const auto firstFile = order.begin() + std::ptrdiff_t(folders);
    std::stable_sort(order.begin(), firstFile, less);
    std::stable_sort(firstFile, order.end(), less);
    return order;
}
