#include "session/ftpcontrolchannel.h"

#include <QSslSocket>

FtpControlChannel::FtpControlChannel(QObject *parent)
    : QObject(parent)
    , m_socket(new QSslSocket(this))
{
    connect(m_socket, &QSslSocket::encrypted, this, &FtpControlChannel::activity);
    connect(m_socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError> &errors) {
        m_handshakeErrors = errors;
        m_socket->ignoreSslErrors();
    });
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        // Commands are short lines that wait for an answer; Nagle would only delay them.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        emit activity();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        m_reader.addData(m_socket->readAll());
        if (m_reader.error() != FtpReplyReader::Error::None) {
            // Nothing after an unreadable reply can be matched to a command any more.
            fail(FtpError::unreadableReply(m_reader.error()));
            m_socket->abort();
        } else if (m_reader.hasReply()) {
            emit activity();
        }
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this,
        [this](QAbstractSocket::SocketError) { fail(FtpError::fromSocket(*m_socket)); });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] { fail(FtpError(FtpError::Kind::ClosedByServer)); });
}

FtpControlChannel::~FtpControlChannel()
{
    // No signal may reach a half-destroyed owner while the socket goes down.
    m_socket->disconnect(this);
}

void FtpControlChannel::connectToHost(const QString &host, quint16 port, bool implicitTls, const QByteArray &tlsSession)
{
    m_socket->abort();
    m_reader.clear();
    m_failed = false;
    m_error = {};
    m_handshakeErrors.clear();
    m_implicitTls = implicitTls;
    // Taken afresh for every connection, so certificates added to the defaults since count. Data
    // connections resume this session (vsftpd and proftpd insist on it).
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.setSslOption(QSsl::SslOptionDisableSessionPersistence, false);
    // A resumed handshake skips the certificate and the key exchange: a round trip less for
    // TLS 1.2, and less work on both sides. A server that forgot the session does a full one.
    if (!tlsSession.isEmpty())
        configuration.setSessionTicket(tlsSession);
    m_socket->setSslConfiguration(configuration);
    if (implicitTls)
        m_socket->connectToHostEncrypted(host, port);
    else
        m_socket->connectToHost(host, port);
}

bool FtpControlChannel::isConnected() const
{
    return !m_failed && m_socket->state() == QAbstractSocket::ConnectedState
        && (!m_implicitTls || m_socket->isEncrypted());
}

void FtpControlChannel::startEncryption()
{
    // RFC 4217, 4: after the 234 every byte is TLS. Clear text the server (or someone in the
    // path) sent after its 234 would otherwise be joined to the first encrypted reply.
    m_socket->readAll();
    m_reader.clear();
    m_handshakeErrors.clear();
    m_socket->startClientEncryption();
}

bool FtpControlChannel::isEncrypted() const
{
    return m_socket->isEncrypted();
}

QSslCertificate FtpControlChannel::peerCertificate() const
{
    return m_socket->peerCertificate();
}

QString FtpControlChannel::protocolName() const
{
    switch (m_socket->sessionProtocol()) {
    case QSsl::TlsV1_3:
        return QStringLiteral("TLS 1.3");
    case QSsl::TlsV1_2:
        return QStringLiteral("TLS 1.2");
    default:
        return QStringLiteral("TLS");
    }
}

QSslConfiguration FtpControlChannel::sessionConfiguration() const
{
    return m_socket->sslConfiguration();
}

void FtpControlChannel::sendCommand(const QByteArray &command)
{
    // RFC 959, 4.1: commands end with Telnet's CR LF.
    m_socket->write(command + "\r\n");
    m_socket->flush();
}

QHostAddress FtpControlChannel::localAddress() const
{
    return m_socket->localAddress();
}

QHostAddress FtpControlChannel::peerAddress() const
{
    return m_socket->peerAddress();
}

void FtpControlChannel::quit()
{
    if (isConnected()) {
        sendCommand("QUIT");
        m_socket->disconnectFromHost();
    } else {
        m_socket->abort();
    }
    m_failed = true;
}

void FtpControlChannel::drop()
{
    m_socket->abort();
    m_reader.clear();
    m_failed = true;
}

void FtpControlChannel::fail(const FtpError &error)
{
    // The first reason is the real one; a disconnect after an error adds nothing.
    if (!m_failed) {
        m_failed = true;
        m_error = error;
    }
    emit activity();
}
