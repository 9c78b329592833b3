#include "transfer/serverfolderwalk.h"

#include "core/fileattributes.h"
#include "core/paths.h"
#include "server/serverlisting.h"
#include "session/ftpconnection.h"
#include "session/ftperrortext.h"
#include "transfer/serverengine.h"

#include <QCryptographicHash>
#include <QDir>

namespace {

// The folder a link in folder ("/a/") leads to, as an absolute path with a closing slash; empty
// when the server did not say.
QString linkFolder(const QString &folder, const QString &target)
{
    if (target.isEmpty())
        return {};
    const QString path = target.startsWith(u'/') ? target : folder + target;
    return withClosingSlash(QDir::cleanPath(path));
}

// Names, kinds, sizes and times of a listing, in its order.
QByteArray listingFingerprint(const QList<RemoteEntry> &listing)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const RemoteEntry &entry : listing) {
        hash.addData(entry.name.toUtf8());
        hash.addData(QByteArray::number(entry.size) + (entry.isFolder ? "/" : "") + '\n'
            + QByteArray::number(entry.lastWrite.toMSecsSinceEpoch()) + '\0');
    }
    return hash.result();
}

} // namespace

ServerFolderWalk::ServerFolderWalk(ServerEngine &engine)
    : m_engine(engine)
{
}

std::vector<ServerFolder> ServerFolderWalk::selectedFolders(const QList<TransferItem> &selection, const QString &base)
{
    std::vector<ServerFolder> folders;
    for (const TransferItem &item : selection) {
        if (item.isFolder && item.name != QLatin1String(".."))
            folders.push_back({ base + item.name + u'/', {}, false, {}, 0 });
    }
    if (folders.empty() || !m_engine.enterFolder(base))
        return folders;
    // Without the listing the walk still has its other guards; it only learns a loop one level
    // later.
    const std::optional<QList<RemoteEntry>> listing = m_engine.connection()->list();
    if (!listing)
        return folders;
    for (ServerFolder &folder : folders) {
        const QString name = folder.path.mid(base.size()).chopped(1);
        for (const RemoteEntry &entry : *listing) {
            if (entry.name == name) {
                folder.unique = entry.unique;
                folder.isLink = entry.isLink;
                folder.linkTarget = linkFolder(base, entry.linkTarget);
            }
        }
    }
    return folders;
}

void ServerFolderWalk::walk(const ServerFolder &folder, std::vector<TransferEntry> &list, bool linksAsFiles,
    const std::function<bool(const ServerFolder &)> &mayList)
{
    if (!mayList(folder))
        return;
    const std::optional<std::vector<ServerFolder>> subfolders = listFolderInto(folder, list, linksAsFiles);
    if (!subfolders)
        return;
    for (const ServerFolder &subfolder : *subfolders) {
        m_engine.pumpEvents();
        if (m_engine.isCancelled())
            return;
        walk(subfolder, list, linksAsFiles, mayList);
    }
}

bool ServerFolderWalk::mayEnter(const ServerFolder &folder)
{
    // No real tree is this deep; a chain of links the other guards cannot see may be.
    if (folder.depth > maxDepth) {
        m_engine.writeFailure("TRANSFER_TOODEEP", folder.path);
        return false;
    }
    // RFC 3659, 7.5.2: the same unique fact is the same object, under whatever name.
    const bool seen = !folder.unique.isEmpty() && m_walkedUniques.contains(folder.unique);
    const bool circle = !folder.linkTarget.isEmpty()
        && (folder.path.startsWith(folder.linkTarget) || m_walkedPaths.contains(folder.linkTarget));
    if (seen || circle) {
        m_engine.writeFailure("TRANSFER_LOOP", folder.path);
        return false;
    }
    return true;
}

bool ServerFolderWalk::isNewPlace(const ServerFolder &folder, bool linksAsFiles)
{
    // vsftpd and proftpd answer PWD with the folder a link leads to, not the link's path.
    const QString place = withClosingSlash(GetServerDirectory(m_engine.connection()));
    if (!place.startsWith(u'/') || place == folder.path) {
        m_walkedPaths.insert(folder.path);
        return true;
    }
    if (linksAsFiles) {
        m_engine.writeFailure("TRANSFER_THROUGHLINK", folder.path);
        return false;
    }
    if (folder.path.startsWith(place) || m_walkedPaths.contains(place)) {
        m_engine.writeFailure("TRANSFER_LOOP", folder.path);
        return false;
    }
    m_walkedPaths.insert(folder.path);
    m_walkedPaths.insert(place);
    return true;
}

std::optional<std::vector<ServerFolder>> ServerFolderWalk::listFolderInto(
    const ServerFolder &folder, std::vector<TransferEntry> &list, bool linksAsFiles)
{
    const QString path = withClosingSlash(folder.path);
    if (!mayEnter(folder))
        return std::nullopt;
    if (!m_engine.enterFolder(path)) {
        if (!m_engine.isCancelled())
            m_engine.writeFailure("FRMSERVER_CDFAILED", path);
        return std::nullopt;
    }
    if (!isNewPlace(folder, linksAsFiles))
        return std::nullopt;
    ListingProblems problems;
    const std::optional<QList<RemoteEntry>> listing = m_engine.connection()->list(&problems);
    if (!listing) {
        if (!m_engine.isCancelled())
            m_engine.writeFailure("FRMSERVER_LISTFAILED", path + u' ' + describe(m_engine.connection()->error()));
        return std::nullopt;
    }
    if (!folder.unique.isEmpty())
        m_walkedUniques.insert(folder.unique);
    // The last guard where the server names no link, no unique fact and no real path: a folder
    // listed exactly like one of its ancestors is that ancestor, reached through a link. Only
    // for two entries or more: a single link back grows the walk by one folder a level, which
    // the depth limit ends, while a real chain of single folders made in the same minute
    // ("mkdir -p a/a/a") lists alike at every level.
    if (listing->size() >= 2) {
        const QByteArray fingerprint = listingFingerprint(*listing);
        for (QString ancestor = path; ancestor.size() > 1;) {
            ancestor = ancestor.left(ancestor.lastIndexOf(u'/', -2) + 1);
            if (m_listingFingerprints.value(ancestor) == fingerprint) {
                m_engine.writeFailure("TRANSFER_LOOP", path);
                return std::nullopt;
            }
        }
        m_listingFingerprints.insert(path, fingerprint);
    }
    for (const QString &name : std::as_const(problems.refusedNames))
        m_engine.writeFailure("TRANSFER_REFUSEDNAME", path + name);
    if (problems.unreadableLines > 0) {
        m_engine.writeLine(describeUnreadableLines(problems), HistoryLog::Colour::Red);
        m_foldersReadInPart.insert(path);
    }
    std::vector<ServerFolder> subfolders;
    for (const RemoteEntry &entry : *listing) {
        if (entry.name == QLatin1String(".") || entry.name == QLatin1String(".."))
            continue;
        // vsftpd and proftpd list a link without saying what it leads to: it is a folder when the
        // server lets the walk enter it, as a double-click finds out.
        const bool isFolder
            = entry.isFolder || (entry.isLink && !linksAsFiles && m_engine.enterFolder(path + entry.name + u'/'));
        if (!isFolder || (entry.isLink && linksAsFiles)) {
            // A link's listed size is the link's own, not its target's.
            list.push_back({ entry.name, path, entry.attributes, entry.isFolder || entry.isLink ? -1 : entry.size });
            continue;
        }
        const ServerFolder subfolder = { path + entry.name + u'/', entry.unique, entry.isLink,
            linkFolder(path, entry.linkTarget), folder.depth + 1 };
        // Refused here, a loop leaves no empty local folder behind. A delete tries each folder
        // as a link first, so its refusal waits until the folder is to be entered.
        if (!linksAsFiles && !mayEnter(subfolder))
            continue;
        list.push_back({ QString(), subfolder.path, FileAttribute::Directory, -1 });
        subfolders.push_back(subfolder);
    }
    return subfolders;
}
