#pragma once
// What the download and upload engines share: the window's services, the host, and the way a
// run writes its lines and notices a Stop.

#include "app/historylog.h"
#include "transfer/transferitem.h"

#include <QString>

#include <optional>
#include <vector>

class FtpConnection;
class TransferHost;
struct AppServices;

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

    // Moves the server into folder ("/a/b/") unless it is there already.
    bool enterFolder(const QString &folder);
    // Enters folder and appends its files and subfolders to list; returns the subfolders.
    // nullopt, after a red line, when the folder cannot be entered or listed: a listing of
    // whatever folder the server happens to be in must never pass for this one's, and a folder
    // whose contents are silently missing would pass for done.
    std::optional<std::vector<QString>> listFolderInto(const QString &folder, std::vector<TransferEntry> &list);

    const AppServices &m_services;
    TransferHost &m_host;
    QString m_serverFolder; // where the server is, as far as this run moved it

private:
    bool m_reconnectFailed = false;
};
