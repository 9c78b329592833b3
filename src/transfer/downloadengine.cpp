#include "transfer/downloadengine.h"

#include "core/backgroundwork.h"
#include "core/appservices.h"
#include "core/fileattributes.h"
#include "core/paths.h"
#include "core/progresssink.h"
#include "core/textcatalogue.h"
#include "server/serverlisting.h"
#include "session/ftpconnection.h"
#include "session/ftperrortext.h"
#include "session/listingparser.h"
#include "transfer/serverfolderwalk.h"
#include "transfer/temporaryname.h"
#include "transfer/transferhost.h"
#include "transfer/transferstatus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace {

const QString FileMarker = QStringLiteral("*");

// Each name the server listed may only ever become one local path component: "..", a slash or a
// NUL would put the file outside the target folder.
bool isSafeRelativeFolder(const QString &relative)
{
    const QStringList parts = relative.split(u'/');
    return std::all_of(parts.cbegin(), parts.cend(), ListingParser::isAcceptableName);
}

bool isWritable(const QString &path)
{
    constexpr QFile::Permissions anyWrite = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0 && (QFile::permissions(path) & anyWrite);
}

// The file's bytes are on the disk before the rename makes them the target: after a crash the
// target is the old file or the whole new one. Empty when that worked, else the reason.
QString syncToDisk(const QString &path)
{
    const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0 || ::fsync(descriptor) != 0) {
        const int error = errno;
        if (descriptor >= 0)
            ::close(descriptor);
        return QString::fromLocal8Bit(std::strerror(error));
    }
    // Some file systems (NFS) report a failed write only here.
    if (::close(descriptor) != 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

} // namespace

void DownloadEngine::DownloadSelection(const QList<TransferItem> &selection, const QString &targetFolder)
{
    ProgressSink &progress = m_services.progress;
    const QString target = withClosingSlash(targetFolder);
    m_downloadList.clear();
    forgetServerFolder();

    const QString current = GetServerDirectory(connection());
    const QString base = withClosingSlash(current);
    for (const TransferItem &item : selection) {
        if (item.name == QLatin1String(".."))
            continue;
        if (item.isFolder)
            m_downloadList.push_back({ QString(), base + item.name + u'/', FileAttribute::Directory, -1 });
        else
            m_downloadList.push_back({ item.name, FileMarker, FileAttribute::Normal, item.size });
    }
    // The bar starts over at every run, also one that has nothing to fetch or nothing to fetch from.
    progress.setValue(1);
    if (!connection())
        return;
    if (m_downloadList.empty()) {
        m_host.showLocalFolder(target);
        return;
    }
    // Without knowing where the server is, no entry's server path would be true.
    if (current.isEmpty()) {
        writeFailure("FRMSERVER_CDFAILED", describe(connection()->error()));
        return;
    }
    setServerFolder(base);

    ServerFolderWalk walk(*this);
    for (const ServerFolder &folder : walk.selectedFolders(selection, base)) {
        if (isCancelled() || hasLostServer())
            break;
        pumpEvents();
        walk.walk(folder, m_downloadList, false, [this](const ServerFolder &) { return reconnect(); });
    }

    const int count = int(m_downloadList.size());
    progress.setRange(1, count);
    int filesTotal = 0;
    for (const TransferEntry &entry : m_downloadList)
        filesTotal += entry.isFolder() ? 0 : 1;
    {
        TransferStatus status(m_host, filesTotal);
        // What the unreadable lines of a folder held is missing from the list.
        status.addFailures(int(walk.foldersReadInPart().size()));
        // A listing the server cut short may have left no connection to fetch anything with.
        regainServer();
        int left = count; // the entries without a line of their own when the server is lost

        // Pass 1: the files selected directly, from the folder the pane shows.
        for (int i = 0; i < count && !isCancelled() && !hasLostServer(); ++i) {
            progress.setValue(i + 1);
            pumpEvents();
            const TransferEntry &entry = m_downloadList[size_t(i)];
            if (entry.path != FileMarker)
                continue;
            writeLine(text("MDOWN_DOWNSTART") + u' ' + entry.name);
            if (!ListingParser::isAcceptableName(entry.name)) {
                writeFailure("TRANSFER_BADNAME", entry.name);
                continue;
            }
            if (!fetchInto(target + entry.name, base, current, entry, status) && !regainServer())
                left = entriesLeft(i + 1, Pass::SelectedFiles);
        }

        // Pass 2: each folder, created before the files inside it arrive.
        for (int i = 0; i < count && !isCancelled() && !hasLostServer(); ++i) {
            progress.setValue(i + 1);
            pumpEvents();
            const TransferEntry entry = m_downloadList[size_t(i)];
            if (entry.path == FileMarker)
                continue;
            QString relative = entry.path.mid(base.size());
            relative.chop(1);
            if (!isSafeRelativeFolder(relative)) {
                writeFailure("TRANSFER_BADNAME", entry.path + entry.name);
                continue;
            }
            const QString localFolder = target + relative;
            if (!QFileInfo::exists(localFolder)) {
                writeLine(text("MDOWN_FOLDNEW") + u' ' + localFolder + text("MDOWN_AN"));
                if (QDir().mkdir(localFolder))
                    writeLine(text("MDOWN_CREATEOK"), HistoryLog::Colour::Green);
                else
                    writeLine(text("MDOWN_CREATEFAILED"), HistoryLog::Colour::Red);
            }
            if (entry.isFolder())
                continue;
            writeLine(text("MDOWN_DOWNSTART") + u' ' + entry.path + entry.name);
            if (!ListingParser::isAcceptableName(entry.name)) {
                writeFailure("TRANSFER_BADNAME", entry.name);
                continue;
            }
            if (!fetchInto(localFolder + u'/' + entry.name, entry.path, entry.path, entry, status) && !regainServer())
                left = entriesLeft(i + 1, Pass::Trees);
        }
        writeSummary(status);
        writeServerLost(left);
    }

    // Every entry used to return to the start folder; once at the end leaves the same place.
    if (!isCancelled() && !hasLostServer() && !enterFolder(base))
        writeFailure("FRMSERVER_CDFAILED", current);
    m_host.showLocalFolder(target);
    progress.setValue(1);
}

int DownloadEngine::entriesLeft(int index, Pass pass) const
{
    int left = 0;
    for (int i = 0; i < int(m_downloadList.size()); ++i) {
        const bool selectedFile = m_downloadList[size_t(i)].path == FileMarker;
        // The second pass comes whole after the first, whose own entries from index on are left.
        if (selectedFile ? pass == Pass::SelectedFiles && i >= index : pass == Pass::SelectedFiles || i >= index)
            ++left;
    }
    return left;
}

bool DownloadEngine::fetchInto(const QString &localPath, const QString &folder, const QString &folderText,
    const TransferEntry &entry, TransferStatus &status)
{
    if (!enterFolder(folder)) {
        writeFailure("FRMSERVER_CDFAILED", folderText);
        return false;
    }
    return downloadAndReport(localPath, entry, status);
}

bool DownloadEngine::downloadAndReport(const QString &localPath, const TransferEntry &entry, TransferStatus &status)
{
    status.startFile(entry.name, entry.size);
    const bool done = DownloadFile(localPath, entry.name, entry.size, &status);
    pumpEvents();
    status.finishFile(done);
    if (done)
        writeLine(text("MDOWN_DOWNOK"), HistoryLog::Colour::Green);
    else if (!isCancelled()) // the Stop's own line says what happened
        writeFailure("MDOWN_DOWNFAILED", m_lastError);
    return done;
}

bool DownloadEngine::DownloadFile(
    const QString &localPath, const QString &remoteName, qint64 expectedSize, TransferStatus *status)
{
    m_lastError.clear();
    const QPointer<FtpConnection> ftp = connection();
    if (!ftp) {
        m_lastError = text("FRMSERVER_NOCONNECTION");
        return false;
    }
    // A link is written through: the file it points to gets the new bytes and the link stays.
    const QFileInfo given(localPath);
    QString path = localPath;
    if (given.isSymLink())
        path = given.exists() ? given.canonicalFilePath() : given.symLinkTarget();
    const QFileInfo target(path);
    // rename(2) needs only the folder's permission: it would replace a file the user may not
    // write, or a write-protected one even for root.
    if (target.exists() && !isWritable(path)) {
        m_lastError = text("TRANSFER_NOTWRITABLE") + u' ' + localPath;
        return false;
    }
    const QString temporary = target.absolutePath() + u'/' + temporaryName(target.fileName(), QStringLiteral("."));
    qint64 announced = -1;
    ftp->setProgressCallback([&](qint64 done, qint64 total) {
        announced = total;
        if (status)
            status->setFileProgress(done, total);
    });
    const bool received = ftp->getFile(remoteName, temporary, expectedSize);
    if (ftp)
        ftp->setProgressCallback({});
    const auto fail = [&](const QString &reason) {
        m_lastError = reason;
        QFile::remove(temporary);
        return false;
    };
    if (!received)
        return fail(ftp ? describe(ftp->error()) : QString());

    // What the server announced (the size in its reply to RETR, or its SIZE answer where the
    // listing gave none) describes the file as it is now; the listing's size counts otherwise.
    const qint64 expected = announced >= 0 ? announced : expectedSize;
    const qint64 size = QFileInfo(temporary).size();
    if (expected >= 0 && size != expected)
        return fail(text("TRANSFER_SIZEMISMATCH").arg(size).arg(expected));
    // Writing back half a gigabyte takes longer than the window may wait.
    const QString unsynced = runAwayFromWindow([temporary] { return syncToDisk(temporary); });
    if (!unsynced.isEmpty())
        return fail(unsynced);
    if (target.exists())
        QFile::setPermissions(temporary, QFile::permissions(path));
    // rename(2) replaces the target in one step: it is never half old, half new.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    return true;
}
