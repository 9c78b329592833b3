#pragma once
// Type names and icons by file name, from the desktop's MIME database and icon theme.
// Files never need to exist: a server entry is typed by its name alone.

#include "local/filetypename.h"

#include <QIcon>
#include <QString>

// The theme icon for fileName; a folder icon when isFolder. Never null: falls back to a generic
// document icon.
QIcon GetFileIcon(const QString &fileName, bool isFolder = false);
