#include "local/uservolumes.h"

#include <QFile>
#include <QSet>

namespace {

// Shares and user-space mounts whose source is no device file: what a user reaches over the
// network or through the desktop's own mounts.
bool isShareType(const QByteArray &type)
{
    static const QSet<QByteArray> types { "nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs", "fuse.gvfsd-fuse",
        "fuse.rclone", "fuse.davfs", "davfs", "9p", "afs", "ceph", "glusterfs", "fuse.glusterfs" };
    return types.contains(type);
}

// Places the system keeps to itself even when a disk is mounted there.
bool isSystemPlace(const QString &root)
{
    static const QStringList places { QStringLiteral("/proc"), QStringLiteral("/sys"), QStringLiteral("/dev"),
        QStringLiteral("/run"), QStringLiteral("/boot"), QStringLiteral("/snap"), QStringLiteral("/efi"),
        QStringLiteral("/var/lib"), QStringLiteral("/var/snap") };
    if (root.startsWith(QLatin1String("/run/media/")))
        return false;
    for (const QString &place : places) {
        if (root == place || root.startsWith(place + u'/'))
            return true;
    }
    return false;
}

// mountinfo writes blanks, tabs, newlines and backslashes in paths as octal escapes ("\040").
QString unescaped(const QByteArray &field)
{
    const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
    QByteArray path;
    path.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && isOctal(field[i + 1]) && isOctal(field[i + 2])
            && isOctal(field[i + 3])) {
            path.append(char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
        } else {
            path.append(field[i]);
        }
    }
    return QFile::decodeName(path);
}

} // namespace

QStringList UserVolumeRoots(const QByteArray &mountInfo)
{
    QStringList roots;
    for (const QByteArray &line : mountInfo.split('\n')) {
        // "36 35 98:0 /sub /mnt/point rw,noatime master:1 - ext4 /dev/sda2 rw": the optional
        // fields before the lone "-" vary in number.
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype separator = fields.indexOf("-");
        if (fields.size() < 5 || separator < 6 || separator + 2 >= fields.size())
            continue;
        const QString root = unescaped(fields[4]);
        const QByteArray &type = fields[separator + 1];
        const QByteArray &source = fields[separator + 2];
        if (root == u'/' || roots.contains(root))
            continue;
        if (isShareType(type) || (source.startsWith("/dev/") && !isSystemPlace(root)))
            roots.append(root);
    }
    return roots;
}

QStringList UserVolumeRoots()
{
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    // A file of the proc file system has no size: it is read to its end.
    if (!table.open(QIODevice::ReadOnly))
        return {};
    return UserVolumeRoots(table.readAll());
}
