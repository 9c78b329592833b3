#include "transfer/uploadengine.h"

#include "core/appservices.h"
#include "core/fileattributes.h"
#include "core/paths.h"
#include "core/progresssink.h"
#include "core/prompts.h"
#include "core/textcatalogue.h"
#include "server/serverlisting.h"
#include "session/ftpconnection.h"
#include "session/ftperrortext.h"
#include "session/session.h"
#include "transfer/asciilist.h"
#include "transfer/temporaryname.h"
#include "transfer/transferhost.h"
#include "transfer/transferstatus.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

namespace {

// Measured fastest against local servers: big enough to keep the socket full, small enough for
// the cache.
constexpr qint64 blockSize = 256 * 1024;

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
    m_createdServerFolders.clear();
    for (const TransferItem &item : selection) {
        if (item.isFolder)
            m_uploadList.push_back({ QString(), source + item.name + u'/', FileAttribute::Directory, -1 });
        else
            m_uploadList.push_back({ item.name, source, FileAttribute::Normal, item.size });
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
    // Stopped before anything was sent: the Stop's own line says all there is to say.
    if (m_uploadList.empty() || isCancelled())
        return;

    const QString start = GetServerDirectory(connection());
    if (start.isEmpty()) {
        writeFailure("FRMSERVER_CDFAILED", describe(connection()->error()));
        return;
    }
    setServerFolder(start);
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
        int left = 0; // the entries without a line of their own when the server is lost
        for (int i = 0; i < count && !isCancelled(); ++i) {
            progress.setValue(i);
            const TransferEntry entry = m_uploadList[size_t(i)];
            // Every entry runs after a reconnect.
            if (!reconnect()) {
                left = count - i;
                break;
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
                status.finishFile(UploadFile(localPath, entry.name, &status,
                    !relative.isEmpty() && m_createdServerFolders.contains(withClosingSlash(relative))));
            }
            pumpEvents();
        }
        writeSummary(status);
        writeServerLost(left);
    }

    if (variant == Variant::Selection)
        progress.setValue(0);
    else
        progress.setShown(false);
    // A lost server leaves the pane as it was: a listing now could only show an empty folder.
    if (hasLostServer())
        return;
    if (!isCancelled())
        enterFolder(start);
    m_host.refreshServerList();
}

bool UploadEngine::enterEntryFolder(const QStringList &names, const QString &start, Variant variant)
{
    const QString base = withClosingSlash(start);
    // The red line names the folder that could not be entered, the start folder as PWD gave it.
    const auto enter = [&](const QString &relative) {
        if (enterFolder(base + relative))
            return true;
        if (!isCancelled())
            writeFailure("FRMSERVER_CDFAILED", relative.isEmpty() ? start : base + relative);
        return false;
    };
    QString relative;
    for (const QString &name : names) {
        if (variant == Variant::ContextMenu)
            writeLine(text("FRMPULOC_NEWDIR1") + u' ' + name + text("FRMPULOC_NEWDIR2"));
        if (name.isEmpty())
            continue;
        const QString parent = relative;
        relative += name + u'/';
        // A folder this run has made or entered exists: asking the server to create it again
        // would only be refused, and the server goes there in one step below.
        if (m_knownServerFolders.contains(relative))
            continue;
        if (!enter(parent))
            return false;
        if (CreateServerFolder(connection(), name)) {
            m_createdServerFolders.insert(relative);
            if (variant == Variant::Selection) {
                writeLine(text("FRMPUSERVER_DIRNEW1") + u' ' + name + u' ' + text("FRMPUSERVER_DIRNEW2"));
                writeLine(text("FRMPUSERVER_DIROK"), HistoryLog::Colour::Green);
            } else {
                writeLine(text("FRMPULOC_GENOK"), HistoryLog::Colour::Green);
            }
        }
        // Never on in another folder: the files would land where they do not belong.
        if (!enter(relative))
            return false;
        m_knownServerFolders.insert(relative);
    }
    return enter(relative);
}

void UploadEngine::CollectLocalFolder(const QString &folder)
{
    // A big tree takes a while to read: the window stays alive, and a Stop ends the collection.
    pumpEvents();
    if (isCancelled())
        return;
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
            m_uploadList.push_back({ QString(), folder + u'/' + entry.fileName() + u'/', FileAttribute::Directory, -1 });
            subfolders.push_back(folder + u'/' + entry.fileName());
        } else {
            m_uploadList.push_back({ entry.fileName(), folder, FileAttribute::Normal, entry.size() });
        }
    }
    for (const QString &subfolder : subfolders) {
        if (isCancelled())
            return;
        CollectLocalFolder(subfolder);
    }
}

bool UploadEngine::UploadFile(
    const QString &localPath, const QString &remoteName, TransferStatus *status, bool inNewFolder)
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
    const Session &session = m_services.session;
    const FtpConnection::TransferType type = session.isAutomaticMode()
        ? (AsciiList::standard().IsAsciiFile(remoteName) ? FtpConnection::TransferType::Ascii
                                                         : FtpConnection::TransferType::Binary)
        : session.transferType();
    // Taken now: a file that shrinks while it is sent must not pass for complete.
    const qint64 size = file.size();
    const QPointer<FtpConnection> ftp = connection();
    if (!ftp)
        return failUpload(text("FRMSERVER_NOCONNECTION"));

    // RFC 3659 SIZE answers only for a file that is there. A server's copy must survive a Stop or
    // a cut: the new bytes go to a temporary name and replace it only once they all arrived.
    const bool exists = !inNewFolder && ftp->fileSize(remoteName).has_value();
    if (exists) {
        const QString temporary = temporaryName(remoteName, QString());
        const Sent sent = sendFile(file, size, temporary, type, status);
        if (sent.outcome == Outcome::Done && putInPlace(temporary, remoteName))
            return succeed();
        if (sent.outcome == Outcome::Failed) {
            failUpload(sent.reason);
            removeLeftover(temporary);
            return false;
        }
        // Upload-only folders take no other name, or no rename: the old way is the only one.
        if (sent.outcome == Outcome::Done)
            removeLeftover(temporary);
        const FtpConnection *current = connection();
        if (!current || !current->isConnected() || isCancelled())
            return failUpload(current ? describe(current->error()) : QString());
        writeLine(text("TRANSFER_DIRECTUPLOAD") + u' ' + remoteName);
        file.seek(0);
    }
    const Sent sent = sendFile(file, size, remoteName, type, status);
    if (sent.outcome == Outcome::Done)
        return succeed();
    failUpload(sent.reason);
    // What arrived of a new file goes; an old file that the direct upload overwrote is gone.
    if (sent.outcome == Outcome::Failed) {
        if (exists)
            writeLine(text("TRANSFER_PARTIALLEFT") + u' ' + remoteName, HistoryLog::Colour::Red);
        else
            removeLeftover(remoteName);
    }
    return false;
}

bool UploadEngine::succeed()
{
    writeLine(text("MPUB_UPOK"), HistoryLog::Colour::Green);
    return true;
}

bool UploadEngine::failUpload(const QString &reason)
{
    if (!isCancelled()) // the Stop's own line says what happened
        writeFailure("MPUB_UPFAILED", reason);
    return false;
}

bool UploadEngine::putInPlace(const QString &temporary, const QString &remoteName)
{
    FtpConnection *ftp = connection();
    if (!ftp || isCancelled())
        return false;
    if (ftp->rename(temporary, remoteName))
        return true;
    // RFC 959 leaves RNTO onto an existing name to the server, and some refuse it.
    return ftp->isConnected() && !isCancelled() && ftp->deleteFile(remoteName) && ftp->rename(temporary, remoteName);
}

void UploadEngine::removeLeftover(const QString &remoteName)
{
    FtpConnection *ftp = connection();
    if (ftp && !isCancelled() && ftp->deleteFile(remoteName))
        return;
    writeLine(text("TRANSFER_PARTIALLEFT") + u' ' + remoteName, HistoryLog::Colour::Red);
}

UploadEngine::Sent UploadEngine::sendFile(
    QFile &file, qint64 size, const QString &remoteName, FtpConnection::TransferType type, TransferStatus *status)
{
    const QPointer<FtpConnection> ftp = connection();
    if (!ftp)
        return { Outcome::Failed, text("FRMSERVER_NOCONNECTION") };
    if (!ftp->openFileForWriting(remoteName, type)) {
        // Refused by a server that still answers: nothing arrived under that name.
        const bool refused = ftp && ftp->isConnected() && !isCancelled();
        return { refused ? Outcome::Refused : Outcome::Failed, ftp ? describe(ftp->error()) : QString() };
    }

    qint64 sent = 0;
    while (!file.atEnd()) {
        const QByteArray block = file.read(blockSize);
        if (block.isEmpty() && file.error() != QFileDevice::NoError)
            break;
        if (!ftp || !ftp->writeFile(block))
            return { Outcome::Failed, ftp ? describe(ftp->error()) : QString() };
        sent += block.size();
        if (status)
            status->setFileProgress(sent, size);
        pumpEvents();
    }
    if (!ftp)
        return { Outcome::Failed, QString() };
    // A read error, or a file that shrank while it was read: closing would give the server a
    // cut file that it confirms like a whole one, so the transfer is aborted instead.
    if (file.error() != QFileDevice::NoError || sent != size) {
        const QString reason = file.error() != QFileDevice::NoError ? file.errorString()
                                                                    : text("TRANSFER_SIZEMISMATCH").arg(sent).arg(size);
        ftp->abortFile();
        return { Outcome::Failed, reason };
    }
    if (!ftp->closeFile())
        return { Outcome::Failed, ftp ? describe(ftp->error()) : QString() };
    // A 226 only says the server is done; its SIZE says what it stored. In ASCII type the stored
    // size differs legitimately (RFC 959, 3.1.1.1: each side keeps its own line ends).
    if (type == FtpConnection::TransferType::Binary) {
        const std::optional<qint64> stored = ftp->fileSize(remoteName);
        if (stored && *stored != size)
            return { Outcome::Failed, text("TRANSFER_SIZEMISMATCH").arg(*stored).arg(size) };
    }
    return { Outcome::Done, QString() };
}
