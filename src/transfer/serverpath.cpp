#include "transfer/serverpath.h"

#include "server/serverlisting.h"

QStringList SplitServerPath(const QString &path)
{
    if (path == QLatin1String("/"))
        return { path };
    QStringList names = path.mid(path.startsWith(u'/') ? 1 : 0).split(u'/');
    if (!names.isEmpty() && names.constLast().isEmpty())
        names.removeLast();
    return names;
}

bool EnterServerPath(FtpConnection *connection, const QStringList &names)
{
    if (!SetServerDirectory(connection, QStringLiteral("/")))
        return false;
    for (const QString &name : names) {
        if (name == QLatin1String("/"))
            continue;
        if (!SetServerDirectory(connection, name))
            return false;
    }
    return true;
}

bool MoveServerPath(FtpConnection *connection, const QString &from, const QString &to)
{
    const QString child = !from.isEmpty() && to.startsWith(from) ? to.mid(from.size()).chopped(1) : QString();
    if (!child.isEmpty() && !child.contains(u'/')) {
        if (SetServerDirectory(connection, child))
            return true;
    } else if (to.startsWith(u'/') && SetServerDirectory(connection, to.size() > 1 ? to.chopped(1) : to)) {
        return true;
    }
    return EnterServerPath(connection, SplitServerPath(to));
}
