#pragma once
// Type names by file name from the desktop's MIME database. QtCore only, so listings in the
// core layer can name types; the icons live in filetypes.h.

#include <QString>

// The text after the last "."; the whole name when it has no dot ("README"), empty when it
// ends with a dot.
QString GetExtension(const QString &name);

// The desktop's type name for fileName ("Plain text document"), or empty when the name says
// nothing about its type.
QString GetFileTypeName(const QString &fileName);
