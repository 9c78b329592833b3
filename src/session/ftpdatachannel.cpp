#include "session/ftpdatachannel.h"

#include <QIODevice>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>

#include <sys/socket.h>
#include <unistd.h>

namespace {

// Received data reaches the disk in blocks of this size: few, large writes keep a download near
// the speed of the network even on loopback.
constexpr qsizetype sinkBlockSize = 1024 * 1024;
// A generous kernel buffer lets the sender keep streaming while we write to the disk.
constexpr int socketBufferSize = 4 * 1024 * 1024;

// Active mode: the server's connection arrives as a TLS-capable socket when the data is protected.
class DataServer : public QTcpServer
{
public:
    DataServer(bool encrypted, QObject *parent) : QTcpServer(parent), m_encrypted(encrypted) {}

protected:
    void incomingConnection(qintptr descriptor) override
    {
        QTcpSocket *socket = m_encrypted ? new QSslSocket(this) : new QTcpSocket(this);
        if (socket->setSocketDescriptor(descriptor))
            addPendingConnection(socket);
        else
            delete socket;
    }

private:
    bool m_encrypted;
};

} // namespace

FtpDataChannel::FtpDataChannel(QObject *parent)
    : QObject(parent)
{
    m_buffer.reserve(sinkBlockSize);
    ++s_liveCount;
}

FtpDataChannel::~FtpDataChannel()
{
    --s_liveCount;
    if (m_socket)
        m_socket->disconnect(this);
    releaseHeldDescriptor();
}

void FtpDataChannel::releaseHeldDescriptor()
{
    if (m_heldDescriptor >= 0)
        ::close(std::exchange(m_heldDescriptor, -1));
}

void FtpDataChannel::setEncryption(const QSslConfiguration &configuration, const QSslCertificate &expectedCertificate)
{
    m_encryption = configuration;
    // The control connection has verified the server; here the peer must only be that server.
    m_encryption->setPeerVerifyMode(QSslSocket::VerifyNone);
    m_expectedCertificate = expectedCertificate;
}

void FtpDataChannel::connectToHost(const QHostAddress &address, quint16 port)
{
    QTcpSocket *socket = m_encryption ? new QSslSocket(this) : new QTcpSocket(this);
    socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, socketBufferSize);
    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, socketBufferSize);
    attach(socket);
    connect(socket, &QTcpSocket::connected, this, [this] {
        if (m_handshakeWanted)
            beginHandshake();
        emit activity();
    });
    socket->connectToHost(address, port);
}

bool FtpDataChannel::listen(const QHostAddress &address, const QHostAddress &expectedPeer)
{
    m_expectedPeer = expectedPeer;
    m_server = new DataServer(m_encryption.has_value(), this);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *socket = m_server->nextPendingConnection()) {
            // Only the server we talk to may deliver or fetch our data (RFC 2577, 5: a third
            // party could otherwise slip its own bytes into a download).
            if (m_socket || !socket->peerAddress().isEqual(m_expectedPeer, QHostAddress::ConvertV4MappedToIPv4)) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            socket->setParent(this);
            socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, socketBufferSize);
            socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, socketBufferSize);
            attach(socket);
            if (m_handshakeWanted)
                beginHandshake();
            m_server->close();
            // Data may already wait in the socket; nothing else would announce it.
            readAvailable();
            emit activity();
        }
    });
    if (m_server->listen(address, 0))
        return true;
    m_error = FtpError(FtpError::Kind::SocketFailed, m_server->errorString());
    return false;
}

quint16 FtpDataChannel::listenPort() const
{
    return m_server ? m_server->serverPort() : 0;
}

bool FtpDataChannel::isConnected() const
{
    return m_socket && m_socket->state() == QAbstractSocket::ConnectedState;
}

void FtpDataChannel::attach(QTcpSocket *socket)
{
    m_socket = socket;
    connect(socket, &QTcpSocket::readyRead, this, &FtpDataChannel::readAvailable);
    connect(socket, &QTcpSocket::bytesWritten, this, [this](qint64 bytes) {
        m_transferred += bytes;
        emit activity();
    });
    connect(socket, &QTcpSocket::disconnected, this, &FtpDataChannel::onDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // The peer closing is how a download ends (stream mode), not a failure. An upload ends
        // only with our own close: a server that closes or resets before it, even after our last
        // write, did not take every byte.
        if (error != QAbstractSocket::RemoteHostClosedError)
            fail(FtpError::fromSocket(*m_socket));
        else if (m_writing)
            fail(FtpError(FtpError::Kind::DataClosed));
        else if (m_encryption)
            onPeerClosed();
    });
}

void FtpDataChannel::startEncryption()
{
    if (!m_encryption || m_handshakeWanted)
        return;
    m_handshakeWanted = true;
    if (isConnected())
        beginHandshake();
}

void FtpDataChannel::beginHandshake()
{
    auto *socket = static_cast<QSslSocket *>(m_socket);
    socket->setSslConfiguration(*m_encryption);
    // bytesWritten tells of bytes encrypted; an upload waiting for the socket to drain needs to
    // hear of those that left.
    connect(socket, &QSslSocket::encryptedBytesWritten, this, &FtpDataChannel::activity);
    connect(socket, &QSslSocket::encrypted, this, [this, socket] {
        // A data connection that shows another certificate is not our server's.
        if (socket->peerCertificate() != m_expectedCertificate)
            fail(FtpError(FtpError::Kind::DataPeerMismatch));
        else if (m_finishPending)
            finishWriting();
    });
    socket->startClientEncryption();
}

void FtpDataChannel::onPeerClosed()
{
    // Over TLS the end of the stream is the server's close_notify, and the TCP connection may stay
    // open until we close our side too; some servers send their 226 only then.
    if (m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->disconnectFromHost();
}

void FtpDataChannel::setSink(QIODevice *device)
{
    m_sink = device;
    flushToSink();
}

void FtpDataChannel::readAvailable()
{
    if (!m_socket || hasFailed())
        return;
    qint64 received = 0;
    for (;;) {
        const qint64 available = m_socket->bytesAvailable();
        if (available <= 0)
            break;
        // Reads go straight into the block buffer; it is written out whenever it is full.
        const qsizetype used = m_buffer.size();
        if (m_buffer.capacity() - used < sinkBlockSize / 4)
            m_buffer.reserve(used + sinkBlockSize);
        const qsizetype room = m_buffer.capacity() - used;
        m_buffer.resize(used + room);
        const qint64 read = m_socket->read(m_buffer.data() + used, room);
        m_buffer.resize(used + std::max<qint64>(read, 0));
        if (read <= 0)
            break;
        received += read;
        if (m_sink && m_buffer.size() >= sinkBlockSize && !flushToSink())
            return;
    }
    if (received > 0) {
        m_transferred += received;
        emit activity();
    }
}

bool FtpDataChannel::flushToSink()
{
    if (!m_sink || m_buffer.isEmpty())
        return true;
    // A write that fills the disk comes back short without an error; only the next one names the
    // reason (ENOSPC, EDQUOT, EIO), so the rest is written again until it fails.
    qsizetype written = 0;
    while (written < m_buffer.size()) {
        const qint64 step = m_sink->write(m_buffer.constData() + written, m_buffer.size() - written);
        if (step <= 0) {
            fail(FtpError(FtpError::Kind::LocalFile, m_sink->errorString()));
            return false;
        }
        written += step;
    }
    m_buffer.resize(0);
    return true;
}

void FtpDataChannel::onDisconnected()
{
    // Every byte of the upload, our close_notify last, is with the kernel now: the server learns
    // the end from the FIN.
    if (m_heldDescriptor >= 0)
        ::shutdown(m_heldDescriptor, SHUT_WR);
    if (m_writing && !m_closing) {
        fail(FtpError(FtpError::Kind::DataClosed));
        return;
    }
    m_writing = false;
    readAvailable();
    if (hasFailed() || !flushToSink())
        return;
    m_finished = true;
    emit activity();
}

void FtpDataChannel::write(const QByteArray &block)
{
    if (!m_socket)
        return;
    m_writing = true;
    m_socket->write(block);
    // Hands the block to the kernel now instead of at the next turn of the event loop.
    m_socket->flush();
}

qint64 FtpDataChannel::bytesToWrite() const
{
    if (!m_socket)
        return 0;
    // A TLS socket counts the bytes not yet encrypted; the encrypted ones wait below it.
    if (m_encryption)
        return m_socket->bytesToWrite() + static_cast<QSslSocket *>(m_socket)->encryptedBytesToWrite();
    return m_socket->bytesToWrite();
}

void FtpDataChannel::finishWriting()
{
    m_closing = true;
    m_finishPending = false;
    if (!m_socket || m_socket->state() == QAbstractSocket::UnconnectedState) {
        if (m_writing) {
            fail(FtpError(FtpError::Kind::DataClosed));
            return;
        }
        m_finished = true;
        emit activity();
        return;
    }
    // A TLS upload ends with our close_notify, which can only follow a finished handshake (an
    // empty file is closed before it is done).
    if (m_encryption && !static_cast<QSslSocket *>(m_socket)->isEncrypted()) {
        m_finishPending = true;
        return;
    }
    // A TLS 1.3 server sends session tickets on the data connection that an upload never reads.
    // Closing a socket with unread bytes makes the kernel reset the connection, and the server
    // then discards whatever it had not read yet: the file would be cut short. A second handle
    // keeps the socket open when Qt closes its own, so only a half-close ends the stream; the
    // socket goes when the transfer is over.
    if (m_encryption)
        m_heldDescriptor = ::dup(int(m_socket->socketDescriptor()));
    m_socket->disconnectFromHost();
}

void FtpDataChannel::drop()
{
    releaseHeldDescriptor();
    m_sink = nullptr;
    if (m_server)
        m_server->close();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

void FtpDataChannel::fail(const FtpError &error)
{
    // Qt's words or the sink's may be empty; the failure still needs a reason.
    const bool saysNothing = (error.kind() == FtpError::Kind::SocketFailed || error.kind() == FtpError::Kind::LocalFile)
        && error.detail().isEmpty();
    if (!m_error.isError())
        m_error = saysNothing ? FtpError(FtpError::Kind::DataFailed) : error;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    emit activity();
}
