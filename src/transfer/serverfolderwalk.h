#pragma once
// A download's or a delete's walk down the server's folders, with the guards that keep it from
// going round in circles through links: the unique facts of the folders it entered, the places
// it has been, the listings of each folder's ancestors and a depth no real tree reaches.

#include "transfer/transferitem.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class ServerEngine;

// A server folder a walk may enter, as the listing of its parent gave it.
struct ServerFolder {
    QString path; // "/a/b/"
    QString unique; // RFC 3659 unique fact; empty when the server gave none
    bool isLink = false;
    QString linkTarget; // the link's target as an absolute folder ("/real/"); empty when unknown
    int depth = 0; // levels below the selected folder
};

// One walk of one run: it enters folders, lists them and writes its red lines through the engine
// that walks.
class ServerFolderWalk {
public:
    // Deeper than any tree a person makes; only a chain of links gets there.
    static constexpr int maxDepth = 100;

    explicit ServerFolderWalk(ServerEngine &engine);

    // The selected folders of the server folder base ("/a/"), with what base's listing says of
    // each (its unique fact, whether it is a link): the selection itself does not know. One
    // listing per run, and only when a folder is selected.
    std::vector<ServerFolder> selectedFolders(const QList<TransferItem> &selection, const QString &base);
    // Appends the entries of folder and of every folder below it to list, depth first, each
    // folder before its contents. A folder is listed only when mayList(folder) agrees, and the
    // walk ends at a Stop. A subfolder that is a link is appended as a file when linksAsFiles is
    // set (a delete removes the link, never what it points to), and it is not entered.
    void walk(const ServerFolder &folder, std::vector<TransferEntry> &list, bool linksAsFiles,
        const std::function<bool(const ServerFolder &)> &mayList);
    // The folders ("/a/b/") whose listing had lines the parser could not read: what those lines
    // held is missing from the list, so the run cannot have done all of such a folder.
    const QSet<QString> &foldersReadInPart() const { return m_foldersReadInPart; }

private:
    // Enters folder and appends its files and subfolders to list; returns the subfolders.
    // nullopt, after a red line, when the folder cannot be entered or listed: a listing of
    // whatever folder the server happens to be in must never pass for this one's, and a folder
    // whose contents are silently missing would pass for done. Also nullopt, after a red line,
    // when entering folder would walk in a circle: a folder this walk has entered, one of its own
    // ancestors, or deeper than any real tree goes.
    std::optional<std::vector<ServerFolder>> listFolderInto(
        const ServerFolder &folder, std::vector<TransferEntry> &list, bool linksAsFiles);
    // The guards before a folder is entered; false after its red line.
    bool mayEnter(const ServerFolder &folder);
    // The guard after it was entered: where the server says it is now.
    bool isNewPlace(const ServerFolder &folder, bool linksAsFiles);

    ServerEngine &m_engine;
    QSet<QString> m_walkedUniques;
    QSet<QString> m_walkedPaths; // as walked and as the server's PWD gave them
    QHash<QString, QByteArray> m_listingFingerprints; // by folder path
    QSet<QString> m_foldersReadInPart;
};
