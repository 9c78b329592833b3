#pragma once
// The program's FTP session: the one connection in use and the values every command shares.

#include "session/ftpconnection.h"

#include <QObject>

#include <memory>

class Session : public QObject
{
    Q_OBJECT
public:
    explicit Session(QObject *parent = nullptr);
    ~Session() override;

    // The connection every FTP operation uses; nullptr when not connected.
    FtpConnection *connection() const { return m_connection.get(); }
    bool isConnected() const;
    // Takes over a fresh connection, closing the one before.
    void setConnection(std::unique_ptr<FtpConnection> connection);
    void closeConnection();

    bool isPassive() const { return m_passive; }
    void setPassive(bool passive) { m_passive = passive; }

    FtpConnection::TransferType transferType() const { return m_transferType; }
    void setTransferType(FtpConnection::TransferType type) { m_transferType = type; }

    // A command or transfer that uses the connection is running; the window refuses others.
    bool isBusy() const { return m_busy; }
    void setBusy(bool busy);

    // Marks the session busy for as long as it lives (one command or transfer run).
    class Run
    {
    public:
        explicit Run(Session &session) : m_session(session), m_wasBusy(session.isBusy()) { session.setBusy(true); }
        ~Run() { m_session.setBusy(m_wasBusy); }
        Run(const Run &) = delete;
        Run &operator=(const Run &) = delete;

    private:
        Session &m_session;
        bool m_wasBusy;
    };

signals:
    void busyChanged(bool busy);

private:
    std::unique_ptr<FtpConnection> m_connection;
    bool m_passive = false;
    FtpConnection::TransferType m_transferType = FtpConnection::TransferType::Binary;
    bool m_busy = false;
};
