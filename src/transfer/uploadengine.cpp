#include "transfer/uploadengine.h"

#include "app/appservices.h"
#include "app/eventpump.h"
#include "app/prompts.h"
#include "app/progresssink.h"
#include "app/textcatalogue.h"
#include "server/serverlisting.h"
#include "session/asciilist.h"
#include "session/ftpconnection.h"
#include "session/session.h"
#include "transfer/transferhost.h"
#include "transfer/transferstatus.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

namespace {

// Measured fastest against local servers: big enough to keep the socket full, small enough for
// the cache.
constexpr qint64 blockSize = 256 * 1024;
constexpr qint64 pumpIntervalMs = 50;

QString withClosingSlash(const QString &path)
{
    return path.endsWith(u'/') ? path : path + u'/';
}

// Pauses the connection watch while a file is sent and always switches it on again.
class WatchPause
{
public:
    explicit WatchPause(TransferHost &host) : m_host(host) { m_host.setConnectionWatchEnabled(false); }
    ~WatchPause() { m_host.setConnectionWatchEnabled(true); }
    WatchPause(const WatchPause &) = delete;
    WatchPause &operator=(const WatchPause &) = delete;

private:
    TransferHost &m_host;
};

} // namespace

void UploadEngine::UploadSelection(const QList<TransferItem> &selection, const QString &sourceFolder, Variant variant)
{
    ProgressSink &progress = m_services.progress;
    const QString source = withClosingSlash(sourceFolder);
    m_uploadList.clear();
    m_visitedLocalFolders.clear();
    m_knownServerFolders.clear();
    for (const TransferItem &item : selection) {
        if (item.isFolder)
            m_uploadList.push_back({ QString(), source + item.name + u'/', RemoteEntry::Folder, -1 });
        else
            m_uploadList.push_back({ item.name, source, RemoteEntry::Normal, item.size });
    }
    if (!connection()) {
        m_services.prompts.message(
            text(variant == Variant::Selection ? "FRMSERVER_NOCONNECTION" : "FRMPULOC_NOCONN"), Prompts::Icon::Information);
        return;
    }
    const size_t selected = m_uploadList.size();
    for (size_t i = 0; i < selected && !isCancelled(); ++i) {
        if (m_uploadList[i].isFolder()) {
            const QString path = m_uploadList[i].path;
            CollectLocalFolder(path.chopped(1));
        }
    }
    if (m_uploadList.empty())
        return;

    const QString start = GetServerDirectory(connection());
    if (start.isEmpty()) {
        writeFailure("FRMSERVER_CDFAILED", connection()->lastError());
        return;
    }
    const int count = int(m_uploadList.size());
    if (variant == Variant::Selection) {
        progress.setRange(0, count - 1);
    } else {
        progress.setRange(0, count);
        progress.setShown(true);
    }
    int filesTotal = 0;
    for (const TransferEntry &entry : m_uploadList)
        filesTotal += entry.isFolder() ? 0 : 1;
    {
        TransferStatus status(m_host, filesTotal);
        for (int i = 0; i < count && !isCancelled(); ++i) {
            progress.setValue(i);
            const TransferEntry entry = m_uploadList[size_t(i)];
            // Every entry runs on a fresh connection, back in the start folder.
            if (!reconnect()) {
                if (!entry.isFolder() && !isCancelled())
                    writeFailure("MPUB_UPFAILED", withClosingSlash(entry.path) + entry.name);
                continue;
            }
            if (!SetServerDirectory(connection(), start)) {
                writeFailure("FRMSERVER_CDFAILED", start);
                continue;
            }
            const QString relative = entry.path.mid(source.size());
            // "a/b/" names a, b and an empty last name, which creates nothing.
            const QStringList names = relative.isEmpty() ? QStringList() : relative.split(u'/');
            if (!enterEntryFolder(names, start, variant))
                continue;
            if (!entry.isFolder()) {
                const QString localPath = withClosingSlash(entry.path) + entry.name;
                writeLine(text("FRMPULOC_BEGUP") + u' ' + localPath);
                status.startFile(entry.name, entry.size);
                UploadFile(localPath, entry.name, &status);
                status.finishFile();
            }
            processPendingEvents();
        }
    }

    if (variant == Variant::Selection)
        progress.setValue(0);
    else
        progress.setShown(false);
    if (!isCancelled())
        SetServerDirectory(connection(), start);
    m_host.refreshServerList();
}

bool UploadEngine::enterEntryFolder(const QStringList &names, const QString &start, Variant variant)
{
    QString relative;
    for (const QString &name : names) {
        if (variant == Variant::ContextMenu)
            writeLine(text("FRMPULOC_NEWDIR1") + u' ' + name + text("FRMPULOC_NEWDIR2"));
        if (name.isEmpty())
            continue;
        relative += name + u'/';
        // A folder this run has made or entered exists: asking the server to create it again
        // would only be refused.
        if (!m_knownServerFolders.contains(relative) && CreateServerFolder(connection(), name)) {
            if (variant == Variant::Selection) {
                writeLine(text("FRMPUSERVER_DIRNEW1") + u' ' + name + u' ' + text("FRMPUSERVER_DIRNEW2"));
                writeLine(text("FRMPUSERVER_DIROK"), HistoryLog::Colour::Green);
            } else {
                writeLine(text("FRMPULOC_GENOK"), HistoryLog::Colour::Green);
            }
        }
        // Never on in another folder: the files would land where they do not belong.
        if (!SetServerDirectory(connection(), name)) {
            if (!isCancelled())
                writeFailure("FRMSERVER_CDFAILED", withClosingSlash(start) + relative);
            return false;
        }
        m_knownServerFolders.insert(relative);
    }
    return true;
}

void UploadEngine::CollectLocalFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (m_visitedLocalFolders.contains(info.canonicalFilePath()))
        return;
    m_visitedLocalFolders.insert(info.canonicalFilePath());
    const QDir dir(folder);
    if (!dir.isReadable()) {
        // Skipping it silently would pass for a complete upload.
        writeFailure("MPUB_UPFAILED", folder);
        return;
    }
    const QFileInfoList entries
        = dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    std::vector<QString> subfolders;
    for (const QFileInfo &entry : entries) {
        if (entry.isDir()) {
            m_uploadList.push_back({ QString(), folder + u'/' + entry.fileName() + u'/', RemoteEntry::Folder, -1 });
            subfolders.push_back(folder + u'/' + entry.fileName());
        } else {
            m_uploadList.push_back({ entry.fileName(), folder, RemoteEntry::Normal, entry.size() });
        }
    }
    for (const QString &subfolder : subfolders)
        CollectLocalFolder(subfolder);
}

bool UploadEngine::UploadFile(const QString &localPath, const QString &remoteName, TransferStatus *status)
{
    if (localPath.isEmpty() || remoteName.isEmpty())
        return false;
    const WatchPause pause(m_host);
    QFile file(localPath);
    // A pipe or device would block the read or never end; only plain files are sent.
    if (!QFileInfo(localPath).isFile()) {
        writeFailure("MPUB_UPFAILED", localPath);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        writeFailure("MPUB_UPFAILED", file.errorString());
        return false;
    }
    return sendFile(file, remoteName, status);
}

bool UploadEngine::sendFile(QFile &file, const QString &remoteName, TransferStatus *status)
{
    Session &session = m_services.session;
    const FtpConnection::TransferType type = session.isAutomaticMode()
        ? (AsciiList::standard().IsAsciiFile(remoteName) ? FtpConnection::TransferType::Ascii
                                                         : FtpConnection::TransferType::Binary)
        : session.transferType();
    const QPointer<FtpConnection> ftp = connection();
    const auto fail = [&](const QString &reason) {
        if (!isCancelled())
            writeFailure("MPUB_UPFAILED", reason);
        return false;
    };
    if (!ftp)
        return fail(text("FRMSERVER_NOCONNECTION"));
    if (!ftp->openFileForWriting(remoteName, type))
        return fail(ftp->lastError());

    const qint64 size = file.size();
    qint64 sent = 0;
    QElapsedTimer pumpClock;
    pumpClock.start();
    while (!file.atEnd()) {
        const QByteArray block = file.read(blockSize);
        if (block.isEmpty() && file.error() != QFileDevice::NoError) {
            // What arrived stays on the server, but it is no complete file.
            const QString reason = file.errorString();
            if (ftp)
                ftp->closeFile();
            return fail(reason);
        }
        if (!ftp || !ftp->writeFile(block))
            return fail(ftp ? ftp->lastError() : QString());
        sent += block.size();
        if (status)
            status->setFileProgress(sent, size);
        if (pumpClock.elapsed() >= pumpIntervalMs) {
            processPendingEvents();
            pumpClock.restart();
        }
    }
    if (!ftp || !ftp->closeFile())
        return fail(ftp ? ftp->lastError() : QString());
    if (sent != size)
        return fail(text("TRANSFER_SIZEMISMATCH").arg(sent).arg(size));
    writeLine(text("MPUB_UPOK"), HistoryLog::Colour::Green);
    return true;
}
