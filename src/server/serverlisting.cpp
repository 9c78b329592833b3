#include "server/serverlisting.h"

#include "core/fileattributes.h"

#include "session/ftpconnection.h"
#include "session/listingparser.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QString GetServerDirectory(FtpConnection *connection)
{
    if (!connection)
        return {};
    return connection->currentDirectory().value_or(QString());
}

bool SetServerDirectory(FtpConnection *connection, const QString &path)
{
    // An empty path would make CWD without an argument, which some servers take as "home".
    if (!connection || path.isEmpty())
        return false;
    return connection->setCurrentDirectory(path);
}

bool CreateServerFolder(FtpConnection *connection, const QString &name)
{
    return connection && !name.isEmpty() && connection->createDirectory(name);
}

bool RenameServerItem(FtpConnection *connection, const QString &oldName, const QString &newName)
{
    return connection && !oldName.isEmpty() && !newName.isEmpty() && connection->rename(oldName, newName);
}

bool RemoveServerFolder(FtpConnection *connection, const QString &name)
{
    return connection && !name.isEmpty() && connection->removeDirectory(name);
}

bool DeleteServerFile(FtpConnection *connection, const QString &name)
{
    return connection && !name.isEmpty() && connection->deleteFile(name);
}

QString FormatServerSize(qint64 size)
{
    // Whole numbers only: a double would lose the last KB of sizes beyond 2^53 bytes.
    qint64 kilobytes = size / 1024;
    const qint64 rest = size % 1024;
    if (rest > 512 || (rest == 512 && kilobytes % 2 != 0))
        ++kilobytes;
    if (kilobytes == 0)
        kilobytes = 1;
    return QString::number(kilobytes) + QStringLiteral(" KB");
}

QString FormatServerTime(const QDateTime &time)
{
    if (!time.isValid())
        return {};
    const QDateTime utc = time.toUTC();
    const QDate date = utc.date();
    const QTime clock = utc.time();
    // asprintf rather than QDateTime::toString: a big folder formats tens of thousands of these.
    return QString::asprintf(
        "%02d.%02d.%d %02d:%02d", date.day(), date.month(), date.year(), clock.hour(), clock.minute());
}

QString FormatServerAttributes(quint32 word)
{
    // The server pane puts "D" before "N", the local pane the other way round.
    return AttributeLetters(word, u"TRHSDNCA");
}

QString MakeScratchFile(const QString &name)
{
    // Names come from the server: one that is a path or means a folder must not leave ours.
    if (!ListingParser::isAcceptableName(name))
        return {};

    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (cache.isEmpty() || !QDir().mkpath(cache))
        return {};
    const QString folder = cache + QStringLiteral("/tempvantc");
    const QFileInfo info(folder);
    if (!info.exists()) {
        // Owner only: downloaded copies of server files wait here to be opened.
        if (!QDir().mkdir(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            return {};
    } else if (!info.isDir() || info.isSymLink()) {
        return {};
    }

    const QString path = folder + u'/' + name;
    QFile file(path);
    // ReadWrite creates a missing file and leaves an existing one as it is.
    if (!file.open(QIODevice::ReadWrite))
        return {};
    file.close();
    return path;
}
