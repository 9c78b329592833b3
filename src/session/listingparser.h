#pragma once
// Turns the lines of a LIST or MLSD reply into folder entries.

#include "session/remoteentry.h"

#include <QDateTime>
#include <QString>

#include <optional>

namespace ListingParser {

// One line of a LIST reply (Unix `ls -l` variants or DOS/IIS); nullopt for "total" lines, blank or
// unparsable lines, and entries that must not reach the program (".", "..", names containing "/"
// or NUL). now decides the year of Unix lines that give a time of day instead of a year.
// refusedName, when given, receives the name of an entry refused for its name other than "." and
// ".." (and is left alone otherwise), so that the caller can say what it left out.
std::optional<RemoteEntry> parseListLine(
    const QString &line, const QDateTime &now = QDateTime::currentDateTimeUtc(), QString *refusedName = nullptr);

// One line of an MLSD reply ("type=file;size=12;modify=20040307090500; name with blanks"); an entry
// without a size fact has size -1. refusedName as for parseListLine().
std::optional<RemoteEntry> parseMlsdLine(const QString &line, QString *refusedName = nullptr);

// False for names that could leave the listed folder or mean the folder itself.
bool isAcceptableName(const QString &name);

} // namespace ListingParser
