#include "server/serverentries.h"

#include "core/backgroundwork.h"
#include "core/fileattributes.h"
#include "local/filetypename.h"

#include "server/serverlisting.h"
#include "session/ftpconnection.h"

#include <QHash>

std::vector<ServerEntry> BuildServerEntries(const QList<RemoteEntry> &entries, const TypeNameLookup &typeNameOf)
{
    const QHash<QString, QString> &ownIconKinds = OwnIconTypes();
    QHash<QString, QString> typeCache;
    int ownIconCount = 0;
    std::vector<ServerEntry> result;
    result.reserve(size_t(entries.size()));
    for (const RemoteEntry &entry : entries) {
        // Folders take the same path as files for their key: "x.exe" as a folder still counts.
        QString key = QLatin1Char('z') + GetExtension(entry.name).toLower();
        QString typeName;
        if (const auto own = ownIconKinds.constFind(key); own != ownIconKinds.cend()) {
            typeName = own.value();
            key += QString::number(ownIconCount++);
        } else if (const auto cached = typeCache.constFind(key); cached != typeCache.cend()) {
            typeName = cached.value();
        } else if (entry.attributes == FileAttribute::Directory) {
            // A folder row shows its own type text, and folder names rarely share an extension:
            // asking for every one would cost a type question per folder in a folder of folders.
        } else {
            typeName = typeNameOf(entry.name);
            if (typeName.isEmpty())
                typeName = key.mid(1).toUpper() + QStringLiteral("-Datei");
            typeCache.insert(key, typeName);
        }
        // An MLSD entry without a size fact has none to show (-1), which is not 0 bytes.
        const QString size = entry.size < 0 ? QString() : FormatServerSize(entry.size);
        result.push_back({ entry.name, size, typeName, FormatServerTime(entry.lastWrite),
            QString::number(entry.attributes), key, entry.size, entry.isLink });
    }
    return result;
}

std::optional<std::vector<ServerEntry>> ReadServerEntries(
    FtpConnection *connection, const TypeNameLookup &typeNameOf, ListingProblems *problems)
{
    if (!connection)
        return std::nullopt;
    if (GetServerDirectory(connection).isEmpty())
        SetServerDirectory(connection, QStringLiteral("/"));
    const auto listing = connection->list(problems);
    if (!listing)
        return std::nullopt;
    // Type names and column texts of 20,000 entries take longer than the window may wait.
    return runAwayFromWindow([&] { return BuildServerEntries(*listing, typeNameOf); });
}
