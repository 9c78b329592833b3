#pragma once
// Reading a local folder into sorted LocalEntry values, and the texts the list shows for them.
// Core layer: no widgets, no icons (the model picks one icon per image key).

#include "local/listingvariant.h"
#include "local/localentry.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// Type name of every folder entry, compared without regard to case by the views.
inline constexpr char16_t FolderTypeName[] = u"Dateiordner";
// Image key of every folder entry.
inline constexpr char16_t FolderImageKey[] = u"Folder";

// All entries of folder (every name, hidden ones too), folders first and each group in name
// order; nullopt when the folder cannot be read. An empty folder gives an empty vector.
std::optional<std::vector<LocalEntry>> ListFolderEntries(
    const QString &folder, ListingVariant variant = ListingVariant::Pane);

// The same, read on a pool thread while the window's events run: a folder of 100,000 entries
// takes half a second. The caller must expect clicks handled meanwhile.
std::optional<std::vector<LocalEntry>> ListFolderEntriesInBackground(
    const QString &folder, ListingVariant variant = ListingVariant::Pane);

// The names of the subfolders of folder (folders and links to folders, nothing else) in name
// order; empty when it cannot be read.
QStringList ListSubfolderNames(const QString &folder);

// Moves the folders to the front and orders each group by name as the variant sorts.
void SortFoldersFirst(std::vector<LocalEntry> &entries, ListingVariant variant = ListingVariant::Pane);

// Orders names as the pane's tree and list do: by the user's locale, without regard to case.
void SortNames(QStringList &names, ListingVariant variant = ListingVariant::Pane);

// "07.03.2004 09:05:00" of a UTC time; empty when the time is unknown.
QString FormatFileTime(const QDateTime &utc);

// The attribute letters of the word in the variant's letter order ("RHD", "N").
QString FormatAttributes(quint32 attributes, ListingVariant variant = ListingVariant::Pane);

// The size column: whole KiB plus one, " KB" ("1 KB" for an empty file).
QString FormatSize(qint64 size);
