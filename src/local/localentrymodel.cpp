#include "local/localentrymodel.h"

#include "core/textcatalogue.h"
#include "local/filetypes.h"
#include "local/locallisting.h"
#include "transfer/transferdrag.h"

#include <QMimeData>

#include <algorithm>
#include <numeric>

namespace {

template <typename T> int compareValues(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

QCollator NameCollator()
{
    // The C locale has no collation rules at all (no numeric mode either): order as English does.
    const QLocale locale = QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

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
    m_rows = sortedRows();
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
    m_rows.clear();
    m_icons.clear();
    m_folder.clear();
    endResetModel();
}

TransferItem LocalEntryModel::transferItem(const LocalEntry &entry)
{
    return { entry.name, entry.isFolder, entry.isFolder ? -1 : entry.size };
}

Qt::ItemFlags LocalEntryModel::flags(const QModelIndex &index) const
{
    // The space around the rows takes drops for the listed folder.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    Qt::ItemFlags flags = QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
    if (entry(index.row()).isFolder)
        flags |= Qt::ItemIsDropEnabled;
    return flags;
}

QStringList LocalEntryModel::mimeTypes() const
{
    return { TransferDrag::serverEntriesType() };
}

QMimeData *LocalEntryModel::mimeData(const QModelIndexList &indexes) const
{
    const QList<int> rows = TransferDrag::rowsOf(indexes);
    // Rows of a listing that is being replaced name no folder.
    if (rows.isEmpty() || m_folder.isEmpty())
        return nullptr;
    TransferSelection files { m_folder, {} };
    for (const int row : std::as_const(rows))
        files.items.append(transferItem(entry(row)));
    return TransferDrag::localFilesData(files);
}

bool LocalEntryModel::dropMimeData(
    const QMimeData *data, Qt::DropAction action, int /*row*/, int /*column*/, const QModelIndex &parent)
{
    // Local rows dropped back onto their own list carry no server rows.
    if (!data || action != Qt::CopyAction)
        return false;
    const std::optional<TransferSelection> entries = TransferDrag::serverEntries(*data);
    if (!entries)
        return false;
    const bool onFolder = parent.isValid() && entry(parent.row()).isFolder;
    emit serverEntriesDropped(*entries, onFolder ? parent.row() : -1);
    return true;
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
    const LocalEntry &row = entry(index.row());
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
    // A first click on a column sorts it ascending.
    if (role == Qt::InitialSortOrderRole)
        return Qt::AscendingOrder;
    if (role == Qt::TextAlignmentRole)
        return section == SizeColumn || section == AttributeColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    return m_headers.value(section);
}

void LocalEntryModel::sort(int column, Qt::SortOrder order)
{
    m_sortColumn = column >= 0 && column < ColumnCount ? column : -1;
    m_sortOrder = order;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> rows = sortedRows();
    // The selection follows its entries to their new rows.
    std::vector<int> newRowOfEntry(m_entries.size());
    for (size_t row = 0; row < rows.size(); ++row)
        newRowOfEntry[size_t(rows[row])] = int(row);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after.append(this->index(newRowOfEntry[size_t(m_rows[size_t(index.row())])], index.column()));
    m_rows = std::move(rows);
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

std::vector<int> LocalEntryModel::sortedRows() const
{
    std::vector<int> rows(m_entries.size());
    std::iota(rows.begin(), rows.end(), 0);
    if (m_sortColumn < 0)
        return rows;
    // Sort keys once per entry: comparing keys is several times faster than comparing texts.
    const QCollator collator = NameCollator();
    const bool byText = m_sortColumn == TypeColumn || m_sortColumn == AttributeColumn;
    std::vector<QCollatorSortKey> nameKeys;
    std::vector<QCollatorSortKey> textKeys;
    nameKeys.reserve(m_entries.size());
    for (const LocalEntry &entry : m_entries) {
        nameKeys.push_back(collator.sortKey(entry.name));
        if (byText)
            textKeys.push_back(collator.sortKey(displayText(entry, m_sortColumn)));
    }
    const auto compare = [&](size_t left, size_t right) {
        const LocalEntry &a = m_entries[left];
        const LocalEntry &b = m_entries[right];
        switch (m_sortColumn) {
        case SizeColumn:
            return compareValues(a.size, b.size);
        case ChangedColumn:
            return compareValues(a.lastWrite, b.lastWrite);
        case TypeColumn:
        case AttributeColumn:
            return textKeys[left].compare(textKeys[right]);
        default:
            return 0;
        }
    };
    std::stable_sort(rows.begin(), rows.end(), [&](int left, int right) {
        const LocalEntry &a = m_entries[size_t(left)];
        const LocalEntry &b = m_entries[size_t(right)];
        if (a.isFolder != b.isFolder)
            return a.isFolder;
        int order = compare(size_t(left), size_t(right));
        if (order == 0)
            order = nameKeys[size_t(left)].compare(nameKeys[size_t(right)]);
        return m_sortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
    });
    return rows;
}
