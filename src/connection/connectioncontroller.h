#pragma once
// Connecting, the connection watch and reconnecting: the commands of the connection bar.

#include "connection/recentservers.h"

#include <QObject>
#include <QString>

class ConnectionBar;
class PasswordKeyring;
struct FtpLink;
class QTimer;
struct AppServices;

class ConnectionController : public QObject {
    Q_OBJECT
public:
    ConnectionController(const AppServices &services, ConnectionBar &bar, QObject *parent = nullptr);
    ~ConnectionController() override;

    // The connect command of the menu and the toolbar.
    void connectCommand();
    // Enter in the password field.
    void QuickConnect();
    // Fills the connection bar from a link and connects as the connect command does; a link that
    // names a user without a password asks for it first. False when the question was cancelled
    // or the connect failed (the user has been told).
    bool connectToLink(const FtpLink &link);
    // A connection as good as a fresh one from the connection bar's fields: the live connection
    // is kept, in the folder it is in, when it answers, is idle and was made from the fields as
    // they stand; otherwise a new login replaces it, in "/". False when that failed (the user
    // has been told) or the run was stopped (nothing is connected then).
    bool ReconnectFtp();
    // The passive check box was clicked.
    void setPassive(bool passive);

    // Takes the passive setting of the connection bar for the next connection.
    void Initialize_Internet();
    // Replaces the connection by a new one and starts the connection watch; false when it failed.
    bool OpenConnection(const QString &server, const QString &port, const QString &user, const QString &password);
    // Replaces the connection by a new one; false when it failed or the run was cancelled (then
    // there is no connection).
    bool ConnectFtp(const QString &server, const QString &port, const QString &user, const QString &password);

    // The one-second connection watch (objectName "timIsConnected").
    QTimer *watchTimer() const { return m_watch; }

    // The servers logged in to from the bar, and the passwords the user asked to keep.
    const RecentServers &recentServers() const { return m_recent; }
    PasswordKeyring *keyring() const { return m_keyring; }
    // Reads the recent servers of the last runs.
    void loadRecentServers();
    // The menu's command: forgets the recent servers and their passwords.
    void clearRecentServers();

signals:
    // The server list should be emptied (a connect attempt starts).
    void serverListCleared();
    // The connection is up and the server's folder should be listed.
    void serverListRequested();
    // ReconnectFtp() made or kept a connection, which may be in "/": whatever shows another
    // folder should go back there. Sent once the reconnect's own busy run has ended.
    void reconnected();
    // The list of recent servers changed.
    void recentServersChanged();

private:
    struct ConnectParameters {
        QString server, port, user, password;
        bool passive = false;
        bool operator==(const ConnectParameters &) const = default;
    };
    // Keeps the session's connection where it is when it answers one NOOP, is idle and was made
    // from the fields as they stand; false when a new login must replace it.
    bool keepLiveConnection();
    // After the login: enters the root folder; false (and no connection) when the run was
    // cancelled meanwhile.
    bool enterRoot();
    // True when the run was cancelled: then the connection is closed and the watch stopped.
    bool dropIfCancelled();
    // The green line that names the TLS version of an encrypted connection, or the blue one of a
    // connection in clear.
    void appendEncryption();
    // The red line that says why the last connect attempt failed, the server's words or ours.
    void appendFailureReason();
    // "Reason: ..." of the last failed attempt; empty when there is none.
    QString failureReasonLine() const;
    // A failure message box's text with the reason line under it, when the reason is known.
    QString withFailureReason(const QString &message) const;
    // The blue line that says the session's connection is not encrypted; nothing when it is.
    void appendIfInClear();
    void timIsConnected_Timer();
    void probeFinished(bool answered);
    // The watch found the connection gone.
    void connectionGone();
    // A new connection with the fields of the one a Stop cut; false when none could be made.
    bool replaceStoppedConnection();
    void offerReconnect();
    bool mayStart() const;
    // After a login from the bar: the server goes first in the recent list, its password into
    // the secret service or out of it, as the bar's check box says.
    void rememberServer();
    void setFieldsEnabled(bool enabled, bool withPort);

    const AppServices &m_services;
    ConnectionBar &m_bar;
    ConnectParameters m_connectedWith; // the fields of the session's connection
    QString m_failureReason; // of the last failed ConnectFtp()
    QTimer *m_watch = nullptr;
    RecentServers m_recent;
    PasswordKeyring *m_keyring = nullptr;
};
