#pragma once
// What a drag carries between the panes: server rows under their own type with the server folder
// they were listed in, local files as file: URLs, which the desktop's file managers drop too.

#include "transfer/transferitem.h"

#include <QList>
#include <QString>

#include <optional>

class QMimeData;
class QModelIndex;

namespace TransferDrag {

// The rows of the dragged cells, each once and in order; a report view drags every column.
QList<int> rowsOf(const QList<QModelIndex> &indexes);

// The type of dragged server rows; no other program offers it.
QString serverEntriesType();

// New drag data of server rows; the caller owns it.
QMimeData *serverEntriesData(const TransferSelection &rows);
// The server rows a drag carries; nullopt when it carries none.
std::optional<TransferSelection> serverEntries(const QMimeData &data);

// New drag data of local files as file: URLs; the caller owns it.
QMimeData *localFilesData(const TransferSelection &files);
// The local files and folders a drag names, by the folder they are in, in the drag's order; URLs
// of other schemes are left out.
QList<TransferSelection> localFiles(const QMimeData &data);

} // namespace TransferDrag
