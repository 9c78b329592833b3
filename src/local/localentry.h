#pragma once
// One entry of a local folder listing, as plain data that crosses from the listing to the
// views and to the commands on the selection.

#include <QDateTime>
#include <QString>

struct LocalEntry {
    // Attribute bits of an entry, derived from the POSIX file status.
    enum Attribute : quint32 {
        ReadOnly = 0x1, // the user has no write permission
        Hidden = 0x2, // the name starts with "."
        System = 0x4,
        Directory = 0x10,
        Archive = 0x20,
        Normal = 0x80, // no other bit is set
        Temporary = 0x100,
        Compressed = 0x800,
    };

    QString name; // as the file system spells it
    bool isFolder = false;
    qint64 size = 0; // bytes; 0 for folders
    QDateTime lastWrite; // in UTC
    quint32 attributes = 0;
    QString typeName; // "Dateiordner" for folders, else the type name of the extension
    QString imageKey; // "Folder", or "z" + lower-case extension (+ running number)
};
