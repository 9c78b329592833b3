#include "local/locallisting.h"

#include "core/backgroundwork.h"
#include "core/fileattributes.h"
#include "core/paths.h"
#include "local/filetypename.h"

#include <QCollator>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The type of an extension the desktop has no name for: "ABC-Datei" for the key "zabc".
QString fallbackTypeName(const QString &key, ListingVariant variant)
{
    QString stem;
    if (variant == ListingVariant::Pane)
        stem = key.size() >= 3 && key.size() <= 11 ? key.mid(1) : key;
    else
        stem = key.right(3);
    return stem.toUpper() + QStringLiteral("-Datei");
}

// Read-only means the permission bits deny the user writing. The bits are read rather than
// asking access(), which always says yes to root and would hide the attribute there.
bool isReadOnly(const struct stat &status)
{
    // Asked once: two system calls per entry are felt in a folder of 100,000 files.
    static const uid_t user = ::geteuid();
    static const gid_t group = ::getegid();
    if (status.st_uid == user)
        return !(status.st_mode & S_IWUSR);
    if (status.st_gid == group)
        return !(status.st_mode & S_IWGRP);
    return !(status.st_mode & S_IWOTH);
}

quint32 attributesOf(const QString &name, const struct stat &status)
{
    quint32 attributes = 0;
    if (S_ISDIR(status.st_mode))
        attributes |= FileAttribute::Directory;
    if (isReadOnly(status))
        attributes |= FileAttribute::ReadOnly;
    if (name.startsWith(u'.'))
        attributes |= FileAttribute::Hidden;
    return attributes == 0 ? quint32(FileAttribute::Normal) : attributes;
}

QCollator localeCollator()
{
    // The C locale would compare code points; an unset locale sorts as English does.
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

// The order of items by name (ties between names equal to the collator broken by code order,
// so a listing is always shown the same way); groupOf ranks whole groups before the names.
template <typename Item, typename NameOf, typename GroupOf>
void sortByName(std::vector<Item> &items, ListingVariant variant, NameOf nameOf, GroupOf groupOf)
{
    std::vector<qsizetype> order(items.size());
    std::iota(order.begin(), order.end(), 0);
    if (variant == ListingVariant::Pane) {
        // One sort key per entry: comparing keys is far cheaper than collating names anew in
        // every comparison of a 100,000-entry sort.
        const QCollator collator = localeCollator();
        std::vector<QCollatorSortKey> keys;
        keys.reserve(items.size());
        for (const Item &item : items)
            keys.push_back(collator.sortKey(nameOf(item)));
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            if (groupOf(items[a]) != groupOf(items[b]))
                return groupOf(items[a]) < groupOf(items[b]);
            const int byKey = keys[a].compare(keys[b]);
            return byKey != 0 ? byKey < 0 : nameOf(items[a]) < nameOf(items[b]);
        });
    } else {
        std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
            if (groupOf(items[a]) != groupOf(items[b]))
                return groupOf(items[a]) < groupOf(items[b]);
            return nameOf(items[a]) < nameOf(items[b]);
        });
    }
    std::vector<Item> sorted;
    sorted.reserve(items.size());
    for (qsizetype index : order)
        sorted.push_back(std::move(items[index]));
    items = std::move(sorted);
}

} // namespace

std::optional<std::vector<LocalEntry>> ListFolderEntries(const QString &folder, ListingVariant variant)
{
    const QString path = withClosingSlash(folder);
    // One readdir and one stat per entry, as the platform's find-first/find-next give: going
    // through QFileInfo costs several times as much on a folder of 100,000 files.
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(QFile::encodeName(path).constData()), ::closedir);
    if (!dir)
        return std::nullopt;

    // The type names of one listing by image key: the desktop is asked once per extension.
    QHash<QString, QString> typeCache;
    int ownIconCount = 0;
    std::vector<LocalEntry> entries;
    while (const dirent *found = ::readdir(dir.get())) {
        if (std::strcmp(found->d_name, ".") == 0 || std::strcmp(found->d_name, "..") == 0)
            continue;
        struct stat status { };
        // A dangling link is listed as the link itself.
        if (::fstatat(::dirfd(dir.get()), found->d_name, &status, 0) != 0
            && ::fstatat(::dirfd(dir.get()), found->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        LocalEntry entry;
        entry.name = QFile::decodeName(found->d_name);
        entry.isFolder = S_ISDIR(status.st_mode);
        entry.lastWrite = QDateTime::fromMSecsSinceEpoch(
            qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000, Qt::UTC);
        entry.attributes = attributesOf(entry.name, status);
        if (entry.isFolder) {
            entry.imageKey = QString::fromUtf16(FolderImageKey);
            entry.typeName = QString::fromUtf16(FolderTypeName);
        } else {
            entry.size = status.st_size;
            QString key = u'z' + GetExtension(entry.name).toLower();
            QString typeName;
            if (const auto own = OwnIconTypes().constFind(key); own != OwnIconTypes().cend()) {
                typeName = *own;
                key += QString::number(ownIconCount++);
            } else {
                auto cached = typeCache.constFind(key);
                if (cached == typeCache.cend())
                    cached = typeCache.insert(key, GetFileTypeName(path + entry.name));
                typeName = *cached;
            }
            entry.typeName = typeName.isEmpty() ? fallbackTypeName(key, variant) : typeName;
            entry.imageKey = std::move(key);
        }
        entries.push_back(std::move(entry));
    }
    SortFoldersFirst(entries, variant);
    return entries;
}

std::optional<std::vector<LocalEntry>> ListFolderEntriesInBackground(const QString &folder, ListingVariant variant)
{
    return runAwayFromWindow([folder, variant] { return ListFolderEntries(folder, variant); });
}

QStringList ListSubfolderNames(const QString &folder)
{
    QStringList names;
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(
        ::opendir(QFile::encodeName(withClosingSlash(folder)).constData()), ::closedir);
    if (!dir)
        return names;
    while (const dirent *found = ::readdir(dir.get())) {
        if (std::strcmp(found->d_name, ".") == 0 || std::strcmp(found->d_name, "..") == 0)
            continue;
        // Only folders and links to folders: FIFOs, sockets, device files and dangling links
        // cannot be entered. The entry type spares a stat for all but links and odd file systems.
        bool isFolder = found->d_type == DT_DIR;
        if (found->d_type == DT_LNK || found->d_type == DT_UNKNOWN) {
            struct stat status { };
            isFolder = ::fstatat(::dirfd(dir.get()), found->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
        }
        if (isFolder)
            names.append(QFile::decodeName(found->d_name));
    }
    // A collator costs more to set up than a handful of names cost to sort.
    if (names.size() > 1)
        SortNames(names);
    return names;
}

void SortFoldersFirst(std::vector<LocalEntry> &entries, ListingVariant variant)
{
    sortByName(
        entries, variant, [](const LocalEntry &entry) -> const QString & { return entry.name; },
        [](const LocalEntry &entry) { return entry.isFolder ? 0 : 1; });
}

void SortNames(QStringList &names, ListingVariant variant)
{
    std::vector<QString> items(names.cbegin(), names.cend());
    sortByName(
        items, variant, [](const QString &name) -> const QString & { return name; }, [](const QString &) { return 0; });
    names = QStringList(items.cbegin(), items.cend());
}

QString FormatFileTime(const QDateTime &utc)
{
    if (!utc.isValid())
        return {};
    const QDate date = utc.date();
    const QTime time = utc.time();
    return QString::asprintf("%02d.%02d.%d %02d:%02d:%02d", date.day(), date.month(), date.year(), time.hour(),
        time.minute(), time.second());
}

QString FormatAttributes(quint32 attributes, ListingVariant variant)
{
    const QStringView order = variant == ListingVariant::Pane ? u"TRHSNDCA"
        : variant == ListingVariant::AfterDelete              ? u"TRHDSNCA"
                                                              : u"TRHSNCA";
    return AttributeLetters(attributes, order);
}

QString FormatSize(qint64 size)
{
    return QString::number(size / 1024 + 1) + QStringLiteral(" KB");
}
