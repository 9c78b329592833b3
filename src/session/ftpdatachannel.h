#pragma once
// One FTP data connection (RFC 959's data transfer process): passive (we connect to the server)
// or active (the server connects to our listening socket). Moves bytes in large blocks between
// the socket and a local device; knows nothing of commands or replies.

#include "session/ftperror.h"

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QString>

#include <optional>

class QIODevice;
class QSslSocket;
class QTcpServer;
class QTcpSocket;

class FtpDataChannel : public QObject
{
    Q_OBJECT
public:
    explicit FtpDataChannel(QObject *parent = nullptr);
    ~FtpDataChannel() override;

    // Channels that exist right now: each holds a megabyte buffer, so they must not pile up.
    static int liveCount() { return s_liveCount; }

    // Before connecting or listening: the connection is TLS (RFC 4217 PROT P), resuming the
    // control connection's session from its configuration, and its peer must show the control
    // connection's certificate.
    void setEncryption(const QSslConfiguration &configuration, const QSslCertificate &expectedCertificate);
    // Starts the TLS handshake, now or as soon as the link is up. Only after the server accepted
    // the data command: pyftpdlib drops a data connection that speaks before it, vsftpd answers it
    // only then. Bytes written before the handshake ends wait in the socket.
    void startEncryption();

    // Passive mode: connects to the address the server named in its PASV/EPSV reply.
    void connectToHost(const QHostAddress &address, quint16 port);
    // Active mode: listens on address (the control connection's local address) for the server,
    // accepting only a connection from expectedPeer. False when no port could be opened.
    bool listen(const QHostAddress &address, const QHostAddress &expectedPeer);
    quint16 listenPort() const;

    bool isConnected() const;
    // The connection closed after it was established and every received byte was delivered.
    bool isFinished() const { return m_finished; }
    bool hasFailed() const { return m_error.isError(); }
    FtpError error() const { return m_error; }

    // Received bytes go to device (opened for writing) in large blocks; without a device they are
    // kept in memory until a device is set.
    void setSink(QIODevice *device);

    // Upload side: queues a block for sending.
    void write(const QByteArray &block);
    qint64 bytesToWrite() const;
    // Ends the upload: closes our side once every queued byte went out (the server learns the end
    // of a STOR stream from the close, RFC 959, 3.4 stream mode).
    void finishWriting();

    // Bytes received or sent so far.
    qint64 bytesTransferred() const { return m_transferred; }

    // Closes at once, without a word to the peer; nothing more reaches the sink.
    void drop();

signals:
    // Connected, data moved, finished or failed: whoever waits should look.
    void activity();

private:
    QTcpSocket *createSocket();
    void attach(QTcpSocket *socket);
    void beginHandshake();
    // The peer ended the stream: over TLS with its close_notify, answered with ours.
    void onPeerClosed();
    void readAvailable();
    bool flushToSink();
    void onDisconnected();
    void fail(const FtpError &error);
    void releaseHeldDescriptor();

    std::optional<QSslConfiguration> m_encryption;
    QSslCertificate m_expectedCertificate;
    QTcpServer *m_server = nullptr;
    QTcpSocket *m_socket = nullptr;
    QHostAddress m_expectedPeer;
    QIODevice *m_sink = nullptr;
    QByteArray m_buffer; // received bytes not yet written to the sink
    qint64 m_transferred = 0;
    bool m_writing = false; // an upload is under way and our close of it is not complete
    bool m_closing = false; // finishWriting() was called
    bool m_finished = false;
    bool m_handshakeWanted = false;
    bool m_finishPending = false; // finishWriting() waits for the TLS handshake
    int m_heldDescriptor = -1; // keeps a finished TLS upload's socket open, see finishWriting()
    FtpError m_error;

    static inline int s_liveCount = 0;
};
