#pragma once
// What every engine that works on the server shares: the window's services, the host, the
// reconnect, the way a run writes its lines and notices a Stop, where the server is, and the
// pace at which the window's events run in between.

#include "core/eventpump.h"
#include "core/historylog.h"

#include <QPointer>
#include <QString>

class FtpConnection;
class TransferHost;
struct AppServices;

class ServerEngine {
public:
    ServerEngine(const AppServices &services, TransferHost &host);
    virtual ~ServerEngine() = default;
    ServerEngine(const ServerEngine &) = delete;
    ServerEngine &operator=(const ServerEngine &) = delete;

    // The connection went and this run's reconnect could not bring it back: the run has ended,
    // and nothing more is to be asked of the server.
    bool hasLostServer() const;

protected:
    // The session's connection as it is now: a reconnect may replace it.
    FtpConnection *connection() const;
    // The host's reconnect, tried once more after it failed in this run: the user has been told,
    // and a dead server would otherwise ask again for every entry that is left.
    bool reconnect();
    // After a step failed: true while the connection is still there, or once a reconnect brought
    // it back (the next folder is then entered by its absolute path); false when the server is
    // lost or the user stopped.
    bool regainServer();
    // The one red line of a run that lost its server, with the number of entries that got no
    // line of their own; nothing after a Stop, whose own line says what happened.
    void writeServerLost(int entriesLeft);
    // The user pressed Stop: the run ends at its next step.
    bool isCancelled() const;
    // Appends text and a line end at the end of the log.
    void writeLine(const QString &text, HistoryLog::Colour colour = HistoryLog::Colour::Black);
    // The red result line of key, followed by the reason when there is one.
    void writeFailure(const char *key, const QString &reason);
    // Moves the server into folder ("/a/b/") unless it is there already, in one command where it
    // can (see MoveServerPath).
    bool enterFolder(const QString &folder);
    // The server is in folder ("/a/b/") now, on the session's connection as it is.
    void setServerFolder(const QString &folder);
    // Where the server is is not known: the next folder is entered by its absolute path.
    void forgetServerFolder();
    // Lets the window's events run, a few times a second at most: a big tree must not spend its
    // time repainting after every line.
    void pumpEvents() { m_pump.pump(); }

    const AppServices &m_services;
    TransferHost &m_host;

private:
    // The walk enters folders, writes its lines and stops as the engine that walks.
    friend class ServerFolderWalk;

    bool m_reconnectFailed = false;
    EventPump m_pump;
    QString m_serverFolder; // where the server is, as far as this run moved it
    // The connection m_serverFolder holds for: a new login starts wherever it starts.
    QPointer<FtpConnection> m_folderConnection;
};
