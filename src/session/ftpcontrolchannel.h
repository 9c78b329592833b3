#pragma once
// The control connection of an FTP session (RFC 959's protocol interpreter side): sends command
// lines and collects the server's complete replies. Knows no command sequences.

#include "session/ftperror.h"
#include "session/ftpreply.h"
#include "session/ftpreplyreader.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>
#include <QString>

#include <optional>

class QSslSocket;

class FtpControlChannel : public QObject
{
    Q_OBJECT
public:
    explicit FtpControlChannel(QObject *parent = nullptr);
    ~FtpControlChannel() override;

    // With implicitTls the handshake starts at once, and the channel counts as connected only
    // once it is encrypted. tlsSession, when given, is an earlier connection's session
    // (QSslConfiguration::sessionTicket()) for the handshake to resume.
    void connectToHost(const QString &host, quint16 port, bool implicitTls = false, const QByteArray &tlsSession = {});
    bool isConnected() const;

    // TLS (RFC 4217): the handshake after the server's 234 to AUTH TLS; whatever arrived in clear
    // text after the 234 is discarded. Certificate problems do not end it; they wait in
    // handshakeErrors() for the caller to judge before anything more is sent.
    void startEncryption();
    bool isEncrypted() const;
    QList<QSslError> handshakeErrors() const { return m_handshakeErrors; }
    QSslCertificate peerCertificate() const;
    // "TLS 1.3"
    QString protocolName() const;
    // What a data connection needs to resume this connection's TLS session.
    QSslConfiguration sessionConfiguration() const;
    // An error occurred or the server closed the connection since connectToHost().
    bool hasFailed() const { return m_failed; }
    FtpError error() const { return m_error; }

    // Sends one command line; it must not contain CR or LF.
    void sendCommand(const QByteArray &command);
    bool hasReply() const { return m_reader.hasReply(); }
    std::optional<FtpReply> takeReply() { return m_reader.takeReply(); }

    QHostAddress localAddress() const;
    QHostAddress peerAddress() const;

    // Sends QUIT without waiting for the answer and closes gracefully.
    void quit();
    // Drops the connection at once, discarding unsent commands and unread replies.
    void drop();

signals:
    // Connected, encrypted, a reply was completed, the connection failed or it was closed:
    // whoever waits should look.
    void activity();

private:
    void fail(const FtpError &error);

    QSslSocket *m_socket;
    FtpReplyReader m_reader;
    bool m_implicitTls = false;
    QList<QSslError> m_handshakeErrors;
    bool m_failed = false;
    FtpError m_error;
};
