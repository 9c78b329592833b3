#include "local/localfileoperations.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool isPlainEntryName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(0));
}

bool renameLocalEntry(const QString &folder, const QString &oldName, const QString &newName)
{
    if (!isPlainEntryName(oldName) || !isPlainEntryName(newName))
        return false;
    const QDir dir(folder);
    const QByteArray from = QFile::encodeName(dir.filePath(oldName));
    const QByteArray to = QFile::encodeName(dir.filePath(newName));
    // One atomic call that refuses an existing target; QFile::rename would fall back to
    // copy-and-delete, which a rename must never do.
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // The file system cannot promise "no replace": check first, then rename in place.
    std::error_code ec;
    if (fs::symlink_status(fs::path(to.toStdString()), ec).type() != fs::file_type::not_found)
        return false;
    fs::rename(fs::path(from.toStdString()), fs::path(to.toStdString()), ec);
    return !ec;
}

bool createLocalFolder(const QString &folder, const QString &name)
{
    if (!isPlainEntryName(name))
        return false;
    // mkdir fails on any existing entry, so a file of that name is never taken for the folder.
    return QDir(folder).mkdir(name);
}
