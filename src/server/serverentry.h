#pragma once
// One entry of the server's current folder as the server pane shows it: the texts of its columns.

#include "core/fileattributes.h"
#include "session/remoteentry.h"

#include <QString>

struct ServerEntry {
    QString name; // exactly as the server delivered it
    QString sizeText; // FormatServerSize of the size
    QString typeName; // the type name found for imageKey
    QString changedText; // FormatServerTime of the last-write time
    QString attributesText; // the attribute word in decimal ("16" folder, "128" plain file)
    QString imageKey; // key of the entry's picture in the icon cache
    qint64 size = -1; // bytes as listed; -1 when not known
    bool isLink = false; // shown with the link emblem; may lead to a folder even on a file row

    quint32 attributes() const { return attributesText.toUInt(); }
    // Only the plain folder word makes a folder row; a folder with further bits (read-only 0x11)
    // is listed like a file.
    bool isFolderRow() const { return attributes() == FileAttribute::Directory; }
};
