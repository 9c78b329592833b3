#pragma once
// The program's FTP session: the one connection in use and the values every command shares.

#include "session/certificatetrust.h"
#include "session/ftpconnection.h"
#include "session/runcancellation.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

class FtpServerMemory;

class Session : public QObject {
    Q_OBJECT
public:
    explicit Session(QObject *parent = nullptr);
    ~Session() override;

    // The connection every FTP operation uses; nullptr when not connected.
    FtpConnection *connection() const { return m_connection.get(); }
    bool isConnected() const;
    // The certificates trusted for this run, shared by every connection the session makes.
    CertificateTrust &certificateTrust() const { return *m_trust; }

    // A new connection that already honours this session's Stop and trust and shares what the
    // run's earlier logins learnt, for a connect still to be made.
    std::unique_ptr<FtpConnection> createConnection() const;
    // Takes over a fresh connection (it honours the Stop from now on), closing the one before.
    void setConnection(std::unique_ptr<FtpConnection> connection);
    void closeConnection();

    // A host and port that spoke TLS once in this run of the program: its later connections
    // require TLS, so someone in the path who cuts the link and refuses AUTH TLS is sent no
    // password in clear.
    void noteTlsServer(const QString &host, quint16 port);
    bool isTlsServer(const QString &host, quint16 port) const;

    // The connection served a run that was stopped, and has not answered since: a server that
    // ends its session after a cut data connection left the user no lost connection to ask about.
    bool isConnectionStopped() const { return m_connectionStopped; }
    // The connection answered after the Stop: a later loss is a real one.
    void clearConnectionStopped() { m_connectionStopped = false; }

    bool isPassive() const { return m_passive; }
    void setPassive(bool passive) { m_passive = passive; }

    FtpConnection::TransferType transferType() const { return m_transferType; }
    void setTransferType(FtpConnection::TransferType type) { m_transferType = type; }
    // The mode box shows "automatic": every upload picks its type by the file's extension.
    bool isAutomaticMode() const { return m_automaticMode; }
    void setAutomaticMode(bool automatic) { m_automaticMode = automatic; }

    // A command or transfer that uses the connection is running; the window refuses others.
    bool isBusy() const { return m_busy; }
    void setBusy(bool busy);

    // Stop: the run under way is cancelled. The call running on any of the session's connections
    // (a connect in the making included) returns false at once, and so does every later call
    // until the run ends. Does nothing when no run is under way.
    void cancelRun();
    // From cancelRun() until the outermost Run ends; engines check it between their steps.
    bool isRunCancelled() const { return m_cancellation.isCancelled(); }

    // Whether the window shows the busy pointer while a run is under way: every run does, except
    // the F5 key's listing.
    enum class Pointer { Busy, Unchanged };
    bool showsBusyPointer() const { return m_busyPointer; }

    // Marks the session busy for as long as it lives (one command or transfer run). Runs nest:
    // the outermost one starts and ends the run, each time with no cancellation left over.
    class Run {
    public:
        explicit Run(Session &session, Pointer pointer = Pointer::Busy)
            : m_session(session)
            , m_outermost(!session.isBusy())
        {
            if (m_outermost) {
                session.m_busyPointer = pointer == Pointer::Busy;
                session.setRunning(true);
            }
        }
        ~Run()
        {
            if (m_outermost)
                m_session.setRunning(false);
        }
        Run(const Run &) = delete;
        Run &operator=(const Run &) = delete;

    private:
        Session &m_session;
        bool m_outermost;
    };

signals:
    void busyChanged(bool busy);

private:
    void setRunning(bool running);

    RunCancellation m_cancellation;
    std::shared_ptr<CertificateTrust> m_trust = std::make_shared<CertificateTrust>();
    std::shared_ptr<FtpServerMemory> m_serverMemory;
    std::unique_ptr<FtpConnection> m_connection;
    QSet<QString> m_tlsServers; // "host:port", the host in lower case
    bool m_connectionStopped = false;
    bool m_passive = false;
    FtpConnection::TransferType m_transferType = FtpConnection::TransferType::Binary;
    bool m_automaticMode = true;
    bool m_busy = false;
    bool m_busyPointer = true;
};
