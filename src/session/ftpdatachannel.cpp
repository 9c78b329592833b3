#include "session/ftpdatachannel.h"

#include "app/textcatalogue.h"
#include "session/ftpfailure.h"

#include <QIODevice>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

// Received data reaches the disk in blocks of this size: few, large writes keep a download near
// the speed of the network even on loopback.
constexpr qsizetype sinkBlockSize = 1024 * 1024;
// A generous kernel buffer lets the sender keep streaming while we write to the disk.
constexpr int socketBufferSize = 4 * 1024 * 1024;

} // namespace

FtpDataChannel::FtpDataChannel(QObject *parent)
    : QObject(parent)
{
    m_buffer.reserve(sinkBlockSize);
}

FtpDataChannel::~FtpDataChannel()
{
    if (m_socket)
        m_socket->disconnect(this);
}

void FtpDataChannel::connectToHost(const QHostAddress &address, quint16 port)
{
    auto *socket = new QTcpSocket(this);
    socket->setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, socketBufferSize);
    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, socketBufferSize);
    attach(socket);
    connect(socket, &QTcpSocket::connected, this, &FtpDataChannel::activity);
    socket->connectToHost(address, port);
}

bool FtpDataChannel::listen(const QHostAddress &address, const QHostAddress &expectedPeer)
{
    m_expectedPeer = expectedPeer;
    m_server = new QTcpServer(this);
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
            m_server->close();
            // Data may already wait in the socket; nothing else would announce it.
            readAvailable();
            emit activity();
        }
    });
    if (m_server->listen(address, 0))
        return true;
    m_errorString = m_server->errorString();
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
        // The peer closing is how a download ends (stream mode), not a failure; during an
        // upload it means the server or the link went away.
        if (error != QAbstractSocket::RemoteHostClosedError || m_writing)
            fail(FtpFailure::socketError(*m_socket));
    });
}

void FtpDataChannel::setSink(QIODevice *device)
{
    m_sink = device;
    flushToSink();
}

QByteArray FtpDataChannel::takeReceived()
{
    return std::exchange(m_buffer, QByteArray());
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
    if (m_sink->write(m_buffer) != m_buffer.size()) {
        fail(m_sink->errorString());
        return false;
    }
    m_buffer.resize(0);
    return true;
}

void FtpDataChannel::onDisconnected()
{
    if (m_writing) {
        fail(text("FTP_DATACLOSED"));
        return;
    }
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
    return m_socket ? m_socket->bytesToWrite() : 0;
}

void FtpDataChannel::finishWriting()
{
    m_writing = false;
    if (!m_socket || m_socket->state() == QAbstractSocket::UnconnectedState) {
        m_finished = true;
        emit activity();
        return;
    }
    m_socket->disconnectFromHost();
}

void FtpDataChannel::abort()
{
    m_sink = nullptr;
    if (m_server)
        m_server->close();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
}

void FtpDataChannel::fail(const QString &reason)
{
    if (m_errorString.isEmpty())
        m_errorString = reason.isEmpty() ? text("FTP_DATAFAILED") : reason;
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket->abort();
    }
    emit activity();
}
