#pragma once
// Type names by file name from the desktop's MIME database. QtCore only, so listings in the
// core layer can name types; the icons live in filetypes.h.

#include <QHash>
#include <QString>

// The text after the last "."; the whole name when it has no dot ("README"), empty when it
// ends with a dot.
QString GetExtension(const QString &name);

// The desktop's type name for fileName ("Plain text document"), or empty when the name says
// nothing about its type.
QString GetFileTypeName(const QString &fileName);

// The kinds whose files each carry a picture of their own ("zexe" → "Anwendung"): every such
// entry gets its own image key, and its type name comes from here, not from the desktop.
const QHash<QString, QString> &OwnIconTypes();
