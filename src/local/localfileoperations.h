#pragma once
// Rename and new folder on the local disk. Names are used exactly as given; a name that would
// leave the folder ("a/b", "..") is refused rather than followed.

#include <QString>

// True when name is a single entry name: not empty, not "." or "..", no "/" and no NUL.
bool isPlainEntryName(const QString &name);

// Renames folder + oldName to folder + newName in place (files and folders alike). Refuses an
// existing target, so nothing is ever overwritten; false when refused or failed.
bool renameLocalEntry(const QString &folder, const QString &oldName, const QString &newName);

// Creates folder + name; false when anything of that name exists already or creating fails.
bool createLocalFolder(const QString &folder, const QString &name);
