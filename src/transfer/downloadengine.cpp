#include "transfer/downloadengine.h"

#include "app/appservices.h"
#include "app/eventpump.h"
#include "app/progresssink.h"
#include "app/textcatalogue.h"
#include "server/serverlisting.h"
#include "session/ftpconnection.h"
#include "transfer/serverpath.h"
#include "transfer/transferhost.h"
#include "transfer/transferstatus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const QString FileMarker = QStringLiteral("*");

// A name the server listed may only ever become one local path component: "..", a slash or a
// NUL would put the file outside the target folder.
bool isSafeComponent(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") && !name.contains(u'/')
        && !name.contains(QChar(0));
}

bool isSafeRelativeFolder(const QString &relative)
{
    const QStringList parts = relative.split(u'/');
    return std::all_of(parts.cbegin(), parts.cend(), isSafeComponent);
}

// Hidden, beside the target (so the final rename stays on one file system), and short enough
// for any name the target may have.
QString temporaryPathFor(const QFileInfo &target)
{
    return target.absolutePath() + QStringLiteral("/.") + target.fileName().left(160) + u'.'
        + QString::number(QRandomGenerator::global()->generate(), 16) + QStringLiteral(".part");
}

} // namespace

void DownloadEngine::DownloadSelection(const QList<TransferItem> &selection, const QString &targetFolder)
{
    ProgressSink &progress = m_services.progress;
    const QString target = withClosingSlash(targetFolder);
    m_downloadList.clear();
    m_serverFolder.clear();

    const QString current = GetServerDirectory(connection());
    const QString base = withClosingSlash(current);
    for (const TransferItem &item : selection) {
        if (item.name == QLatin1String(".."))
            continue;
        if (item.isFolder)
            m_downloadList.push_back({ QString(), base + item.name + u'/', RemoteEntry::Folder, -1 });
        else
            m_downloadList.push_back({ item.name, FileMarker, RemoteEntry::Normal, item.size });
    }
    if (!connection())
        return;
    if (m_downloadList.empty()) {
        m_host.showLocalFolder(target);
        progress.setValue(1);
        return;
    }
    // Without knowing where the server is, no entry's server path would be true.
    if (current.isEmpty()) {
        writeFailure("FRMSERVER_CDFAILED", connection()->lastError());
        return;
    }
    m_serverFolder = base;

    const size_t selected = m_downloadList.size();
    for (size_t i = 0; i < selected && !isCancelled(); ++i) {
        if (m_downloadList[i].attributes == RemoteEntry::Folder) {
            processPendingEvents();
            // The list grows behind the selected entries; take a copy of the path first.
            const QString path = m_downloadList[i].path;
            CollectServerFolder(path);
            processPendingEvents();
        }
    }

    const int count = int(m_downloadList.size());
    progress.setRange(1, count);
    int filesTotal = 0;
    for (const TransferEntry &entry : m_downloadList)
        filesTotal += entry.isFolder() ? 0 : 1;
    {
        TransferStatus status(m_host, filesTotal);

        // Pass 1: the files selected directly, from the folder the pane shows.
        for (int i = 0; i < count && !isCancelled(); ++i) {
            progress.setValue(i + 1);
            processPendingEvents();
            const TransferEntry &entry = m_downloadList[size_t(i)];
            if (entry.path != FileMarker)
                continue;
            writeLine(text("MDOWN_DOWNSTART") + u' ' + entry.name);
            if (!isSafeComponent(entry.name)) {
                writeFailure("TRANSFER_BADNAME", entry.name);
                continue;
            }
            if (!enterFolder(base)) {
                writeFailure("FRMSERVER_CDFAILED", current);
                continue;
            }
            downloadAndReport(target + entry.name, entry, status);
        }

        // Pass 2: each folder, created before the files inside it arrive.
        for (int i = 0; i < count && !isCancelled(); ++i) {
            progress.setValue(i + 1);
            processPendingEvents();
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
            if (!isSafeComponent(entry.name)) {
                writeFailure("TRANSFER_BADNAME", entry.name);
                continue;
            }
            if (!enterFolder(entry.path)) {
                writeFailure("FRMSERVER_CDFAILED", entry.path);
                continue;
            }
            downloadAndReport(localFolder + u'/' + entry.name, entry, status);
        }
    }

    // Every entry used to return to the start folder; once at the end leaves the same place.
    if (!isCancelled() && !enterFolder(base))
        writeFailure("FRMSERVER_CDFAILED", current);
    m_host.showLocalFolder(target);
    progress.setValue(1);
}

void DownloadEngine::CollectServerFolder(const QString &folder)
{
    // Every listed folder gets a fresh connection, which starts in "/".
    if (!reconnect()) {
        m_serverFolder.clear();
        return;
    }
    m_serverFolder = QStringLiteral("/");
    const std::optional<std::vector<QString>> subfolders = listFolderInto(folder, m_downloadList);
    if (!subfolders)
        return;
    for (const QString &subfolder : *subfolders) {
        processPendingEvents();
        if (isCancelled())
            return;
        CollectServerFolder(subfolder);
    }
}

void DownloadEngine::downloadAndReport(const QString &localPath, const TransferEntry &entry, TransferStatus &status)
{
    status.startFile(entry.name, entry.size);
    const bool done = DownloadFile(localPath, entry.name, entry.size, &status);
    processPendingEvents();
    status.finishFile();
    if (done)
        writeLine(text("MDOWN_DOWNOK"), HistoryLog::Colour::Green);
    else if (!isCancelled()) // the Stop's own line says what happened
        writeFailure("MDOWN_DOWNFAILED", m_lastError);
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
    const QFileInfo target(localPath);
    const QString temporary = temporaryPathFor(target);
    qint64 announced = -1;
    ftp->setProgressCallback([&](qint64 done, qint64 total) {
        announced = total;
        if (status)
            status->setFileProgress(done, total);
    });
    const bool received = ftp->getFile(remoteName, temporary);
    if (ftp)
        ftp->setProgressCallback({});
    const auto fail = [&](const QString &reason) {
        m_lastError = reason;
        QFile::remove(temporary);
        return false;
    };
    if (!received)
        return fail(ftp ? ftp->lastError() : QString());

    // The server's SIZE answer describes the file as it is now (and follows links, unlike a
    // listing's size); the listing's size counts when the server gave no answer.
    const qint64 expected = announced >= 0 ? announced : expectedSize;
    const qint64 size = QFileInfo(temporary).size();
    if (expected >= 0 && size != expected)
        return fail(text("TRANSFER_SIZEMISMATCH").arg(size).arg(expected));
    if (target.exists())
        QFile::setPermissions(temporary, QFile::permissions(localPath));
    // rename(2) replaces the target in one step: it is never half old, half new.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(localPath).constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    return true;
}
