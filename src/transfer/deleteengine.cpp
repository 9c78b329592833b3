#include "transfer/deleteengine.h"

#include "core/appservices.h"
#include "core/fileattributes.h"
#include "core/paths.h"
#include "core/progresssink.h"
#include "core/textcatalogue.h"
#include "server/serverlisting.h"
#include "session/ftpconnection.h"
#include "session/ftperrortext.h"
#include "transfer/serverfolderwalk.h"
#include "transfer/serverpath.h"

#include <algorithm>

namespace {

// "/a/b/" is shown as "/a/b", like the full path of a file; "/" stays "/".
QString shownFolder(const QString &path)
{
    return path.size() > 1 && path.endsWith(u'/') ? path.chopped(1) : path;
}

} // namespace

void DeleteEngine::DeleteSelection(const QList<TransferItem> &selection)
{
    ProgressSink &progress = m_services.progress;
    m_deleteList.clear();
    m_folderList.clear();
    m_removedAsLinks.clear();
    forgetServerFolder();

    const QString start = GetServerDirectory(connection());
    const QString base = withClosingSlash(start);
    // Only with a known start folder is any entry's server path true.
    if (!start.isEmpty()) {
        for (const TransferItem &item : selection) {
            // The ".." row, and with it every name holding two dots in a row, is never deleted.
            if (item.name.contains(QLatin1String("..")))
                continue;
            if (item.isFolder)
                m_deleteList.push_back({ QString(), base + item.name + u'/', FileAttribute::Directory, -1 });
            else
                m_deleteList.push_back({ item.name, base, FileAttribute::Normal, item.size });
        }
    } else if (connection() && !selection.isEmpty()) {
        writeFailure("FRMSERVER_CDFAILED", describe(connection()->error()));
    }

    if (connection() && !m_deleteList.empty()) {
        setServerFolder(base);
        ServerFolderWalk walk(*this);
        QList<TransferItem> folders;
        for (const TransferItem &item : selection) {
            if (item.isFolder && !item.name.contains(QLatin1String("..")))
                folders.append(item);
        }
        for (const ServerFolder &folder : walk.selectedFolders(folders, base)) {
            if (isCancelled() || hasLostServer())
                break;
            // Links come back as files: they are removed as links, and their targets are never
            // listed.
            walk.walk(folder, m_deleteList, true, [this](const ServerFolder &found) { return !removedAsLink(found); });
        }
        const int count = int(m_deleteList.size());
        progress.setRange(0, count);
        progress.setShown(true);
        // A listing the server cut short may have left no connection to delete anything with.
        if (!regainServer())
            writeServerLost(count);
        // Pass A: every file, wherever it is; the folders are noted in list order.
        for (int i = 0; i < count && !isCancelled() && !hasLostServer(); ++i) {
            progress.setValue(i);
            const TransferEntry &entry = m_deleteList[size_t(i)];
            if (!entry.isFolder()) {
                // The entries after this one, and the folders noted so far.
                if (!deleteFile(entry))
                    writeServerLost(count - i - 1 + int(m_folderList.size()));
            } else if (!m_removedAsLinks.contains(entry.path)) {
                m_folderList.append(entry.path);
            }
            pumpEvents();
        }
        // Pass B: a folder's path is longer than its parent's, so longest first removes every
        // folder before its parent; the stable sort keeps equal lengths in selection order.
        std::stable_sort(m_folderList.begin(), m_folderList.end(),
            [](const QString &a, const QString &b) { return a.size() > b.size(); });
        for (int i = 0; i < int(m_folderList.size()) && !isCancelled() && !hasLostServer(); ++i) {
            // Its unreadable lines may be entries this run never saw, let alone deleted.
            if (walk.foldersReadInPart().contains(m_folderList[i])) {
                writeLine(text("MDEL_DELFILE") + u' ' + m_folderList[i]);
                writeFailure("MDEL_DELFAILED", text("MDEL_READINPART"));
                continue;
            }
            removeFolder(m_folderList[i]);
            // Every removed folder gets a reconnect.
            if (!reconnect())
                writeServerLost(int(m_folderList.size()) - i - 1);
            pumpEvents();
        }
        progress.setShown(false);
    }

    reconnect();
    forgetServerFolder();
    // A start folder that went with the selection leaves the server in its deepest parent that
    // is left: MoveServerPath then walks from the root and stops at the first name it cannot
    // enter.
    if (!start.isEmpty() && connection() && !isCancelled() && !enterFolder(base))
        writeFailure("FRMSERVER_CDFAILED", start);
}

bool DeleteEngine::removedAsLink(const ServerFolder &folder)
{
    const QString parent = folder.path.left(folder.path.lastIndexOf(u'/', -2) + 1);
    const QString name = folder.path.mid(parent.size()).chopped(1);
    if (folder.isLink) {
        writeLine(text("MDEL_DELFILE") + u' ' + shownFolder(folder.path));
        if (!enterFolder(parent))
            writeFailure("MDEL_DELFAILED", text("FRMSERVER_CDFAILED") + u' ' + shownFolder(parent));
        else
            writeResult(DeleteServerFile(connection(), name));
        m_removedAsLinks.insert(folder.path);
        return true;
    }
    // Some servers list a link to a folder as a plain folder (pyftpdlib's MLSD says type=dir).
    // DELE removes a link and is refused for a real folder on every server, so a folder entry
    // that DELE removes was a link, and its target was never entered.
    if (!enterFolder(parent) || !DeleteServerFile(connection(), name))
        return false;
    writeLine(text("MDEL_DELFILE") + u' ' + shownFolder(folder.path));
    writeResult(true);
    m_removedAsLinks.insert(folder.path);
    return true;
}

bool DeleteEngine::deleteFile(const TransferEntry &entry)
{
    writeLine(text("MDEL_DELFILE") + u' ' + entry.path + entry.name);
    if (!enterFolder(entry.path))
        writeFailure("MDEL_DELFAILED", text("FRMSERVER_CDFAILED") + u' ' + shownFolder(entry.path));
    else
        writeResult(DeleteServerFile(connection(), entry.name));
    // A failure may have been the end of the connection.
    return regainServer();
}

void DeleteEngine::removeFolder(const QString &path)
{
    // A folder's line names it as the run stored it, closing slash and all: that tells it apart
    // from a file of the same name.
    writeLine(text("MDEL_DELFILE") + u' ' + path);
    QStringList names = SplitServerPath(path);
    const QString name = names.takeLast();
    const QString parent = QStringLiteral("/") + names.join(u'/');
    if (!enterFolder(parent)) {
        writeFailure("MDEL_DELFAILED", text("FRMSERVER_CDFAILED") + u' ' + parent);
        return;
    }
    writeResult(RemoveServerFolder(connection(), name));
}

void DeleteEngine::writeResult(bool deleted)
{
    if (deleted)
        writeLine(text("MDEL_DELOK"), HistoryLog::Colour::Green);
    else if (!isCancelled()) // the Stop's own line says what happened
        writeFailure("MDEL_DELFAILED", connection() ? describe(connection()->error()) : QString());
}
