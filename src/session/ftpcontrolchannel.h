#pragma once
// The control connection of an FTP session (RFC 959's protocol interpreter side): sends command
// lines and collects the server's complete replies. Knows no command sequences.

#include "session/ftpreply.h"
#include "session/ftpreplyreader.h"

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <optional>

class QTcpSocket;

class FtpControlChannel : public QObject
{
    Q_OBJECT
public:
    explicit FtpControlChannel(QObject *parent = nullptr);
    ~FtpControlChannel() override;

    void connectToHost(const QString &host, quint16 port);
    bool isConnected() const;
    // An error occurred or the server closed the connection since connectToHost().
    bool hasFailed() const { return m_failed; }
    QString errorString() const { return m_errorString; }

    // Sends one command line; the text must not contain CR or LF.
    void sendCommand(const QString &command);
    bool hasReply() const { return m_reader.hasReply(); }
    std::optional<FtpReply> takeReply() { return m_reader.takeReply(); }

    QHostAddress localAddress() const;
    QHostAddress peerAddress() const;

    // Sends QUIT without waiting for the answer and closes gracefully.
    void quit();
    // Drops the connection at once, discarding unsent commands and unread replies.
    void abort();

signals:
    // Connected, a reply was completed, the connection failed or it was closed: whoever waits should look.
    void activity();

private:
    void fail(const QString &reason);

    QTcpSocket *m_socket;
    FtpReplyReader m_reader;
    bool m_failed = false;
    QString m_errorString;
};
