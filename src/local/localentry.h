#pragma once
// One entry of a local folder listing, as plain data that crosses from the listing to the
// views and to the commands on the selection.

#include "core/fileattributes.h"

#include <QDateTime>
#include <QString>

struct LocalEntry {
    QString name; // as the file system spells it
    bool isFolder = false;
    qint64 size = 0; // bytes; 0 for folders
    QDateTime lastWrite; // in UTC
    quint32 attributes = 0; // FileAttribute bits, derived from the POSIX file status
    QString typeName; // "Dateiordner" for folders, else the type name of the extension
    QString imageKey; // "Folder", or "z" + lower-case extension (+ running number)
};
