#pragma once
// What the download and upload engines share: the window's services, the host, and the way a
// run writes its lines and notices a Stop.

#include "core/historylog.h"
#include "transfer/transferitem.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <optional>
#include <vector>

class FtpConnection;
class TransferHost;
class TransferStatus;
struct AppServices;

// A server folder a download or delete walk may enter, as the listing of its parent gave it.
struct ServerFolder {
    QString path; // "/a/b/"
    QString unique; // RFC 3659 unique fact; empty when the server gave none
    bool isLink = false;
    QString linkTarget; // the link's target as an absolute folder ("/real/"); empty when unknown
    int depth = 0; // levels below the selected folder
};

class TransferEngine
{
public:
    TransferEngine(const AppServices &services, TransferHost &host);
    virtual ~TransferEngine() = default;
    TransferEngine(const TransferEngine &) = delete;
    TransferEngine &operator=(const TransferEngine &) = delete;

protected:
    // The session's connection as it is now: every reconnect replaces it.
    FtpConnection *connection() const;
    // The host's reconnect, tried once more after it failed in this run: the user has been told,
    // and a dead server would otherwise ask again for every entry that is left.
    bool reconnect();
    // The user pressed Stop: the run ends at its next step.
    bool isCancelled() const;
    // Appends text and a line end at the end of the log.
    void writeLine(const QString &text, HistoryLog::Colour colour = HistoryLog::Colour::Black);
    // The red result line of key, followed by the reason when there is one.
    void writeFailure(const char *key, const QString &reason);
    // The run's summary as its last line, in black: each file's own line already says in colour
    // how it went.
    void writeSummary(const TransferStatus &status);

    // Moves the server into folder ("/a/b/") unless it is there already.
    bool enterFolder(const QString &folder);
    // A walk of server folders begins: no folder has been entered yet.
    void startWalk();
    // The selected folders of the server folder base ("/a/"), with what base's listing says of
    // each (its unique fact, whether it is a link): the selection itself does not know. One
    // listing per run, and only when a folder is selected.
    std::vector<ServerFolder> selectedFolders(const QList<TransferItem> &selection, const QString &base);
    // Enters folder and appends its files and subfolders to list; returns the subfolders.
    // nullopt, after a red line, when the folder cannot be entered or listed: a listing of
    // whatever folder the server happens to be in must never pass for this one's, and a folder
    // whose contents are silently missing would pass for done. Also nullopt, after a red line,
    // when entering folder would walk in a circle: a folder this walk has entered, one of its own
    // ancestors, or deeper than any real tree goes. A subfolder that is a link is appended as a
    // file when linksAsFiles is set (a delete removes the link, never what it points to), and it
    // is not returned.
    std::optional<std::vector<ServerFolder>> listFolderInto(
        const ServerFolder &folder, std::vector<TransferEntry> &list, bool linksAsFiles = false);

    const AppServices &m_services;
    TransferHost &m_host;
    QString m_serverFolder; // where the server is, as far as this run moved it

private:
    // The guards before a folder is entered; false after its red line.
    bool mayEnter(const ServerFolder &folder);
    // The guard after it was entered: where the server says it is now.
    bool isNewPlace(const ServerFolder &folder, bool linksAsFiles);

    bool m_reconnectFailed = false;
    QSet<QString> m_walkedUniques;
    QSet<QString> m_walkedPaths; // as walked and as the server's PWD gave them
    QHash<QString, QByteArray> m_listingFingerprints; // by folder path
};
