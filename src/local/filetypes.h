#pragma once
// Type names and icons by file name, from the desktop's MIME database and icon theme.
// Files never need to exist: a server entry is typed by its name alone.

#include <QIcon>
#include <QString>

// The text after the last "."; the whole name when it has no dot ("README"), empty when it
// ends with a dot.
QString GetExtension(const QString &name);

// The desktop's type name for fileName ("Plain text document"), or empty when the name says
// nothing about its type.
QString GetFileTypeName(const QString &fileName);

// The theme icon for fileName; a folder icon when isFolder. Never null: falls back to a generic
// document icon.
QIcon GetFileIcon(const QString &fileName, bool isFolder = false);
