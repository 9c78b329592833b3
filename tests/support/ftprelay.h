#pragma once
// A loopback relay in front of an FTP server that a test can make misbehave. It forwards the
// control connection and every data connection (PASV/EPSV replies and PORT/EPRT commands are
// rewritten to its own ports) and, on the test's command, drops every connection, refuses new
// ones, stalls, delays the server's replies or cuts a data connection after so many bytes. It
// runs in the test's own event loop, so it moves exactly when the client under test waits.
//
// Once the server accepts AUTH TLS (234), or when the client opens with a TLS handshake
// (implicit TLS), the control connection is ciphertext: the relay forwards it untouched and
// neither rewrites nor records it. For TLS sessions, setPassivePorts() makes the relay listen at
// 127.0.0.2 on the server's own passive ports, which a client reaches without any reply being
// rewritten, as it connects its data connections to the control connection's peer.

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

class QTcpServer;
class QTcpSocket;

class FtpRelay : public QObject {
    Q_OBJECT
public:
    FtpRelay(const QString &serverHost, quint16 serverPort, QObject *parent = nullptr);
    ~FtpRelay() override;

    // Before listen(): the server's passive ports. The relay then listens at 127.0.0.2 for the
    // control connection and on each of these ports, forwarding each to the server's same port.
    // Active mode through the relay works only while the control connection is plain.
    void setPassivePorts(quint16 first, quint16 last);
    // Listens on a free loopback port, and on the passive ports if there are any.
    bool listen();
    QString host() const { return m_address.toString(); }
    quint16 port() const { return m_port; }

    // Aborts every connection under way, control and data alike.
    void dropAll();
    // While refusing, a connection attempt to the relay's port is refused by the system.
    void setRefusing(bool refusing);
    // The server crashed or its machine went away: every connection drops, new ones are refused.
    void goAway();
    // While stalled nothing is forwarded in either direction; bytes wait until the stall ends.
    void setStalled(bool stalled);
    // The server's control connection bytes reach the client only after this delay.
    void setReplyDelay(int milliseconds) { m_replyDelayMs = milliseconds; }
    // Every data connection opened from now on is cut after this many bytes (-1: never).
    void setDataLimit(qint64 bytes) { m_dataLimit = bytes; }
    // Every data connection opened from now on forwards this many bytes, then holds the rest
    // and emits dataHeld() (-1: never): a transfer surely under way, however fast the machine.
    void setDataHold(qint64 bytes) { m_dataHold = bytes; }
    void releaseData();

    // Command lines the client sent, in order, as the relay saw them: none after AUTH TLS.
    QStringList commands() const { return m_commands; }
    // The bytes the client sent over its data connections, in order (ciphertext over TLS).
    QByteArray clientData() const { return m_clientData; }

signals:
    void dataHeld();

private:
    struct Link;

    // How accept() links a connection to the far side.
    enum class Kind { Control, Data, PassiveData };
    void accept(QTcpServer *listener, Kind kind, const QString &targetHost, quint16 targetPort, bool listenerIsUpstream);
    void forward(Link *link, QTcpSocket *from);
    void forwardControl(Link *link, bool fromClient, QByteArray bytes);
    void forwardAll();
    void onClosed(Link *link, QTcpSocket *from);
    QByteArray rewriteReply(const Link &link, const QByteArray &line);
    QByteArray rewriteCommand(const QByteArray &line);
    // A listener for one data connection: accepted connections are forwarded to target.
    quint16 openDataListener(const QString &target, quint16 targetPort, bool listenerIsUpstream);

    QString m_serverHost;
    quint16 m_serverPort;
    QHostAddress m_address;
    QTcpServer *m_listener;
    quint16 m_port = 0;
    quint16 m_passiveFirst = 0; // 0: PASV and EPSV replies are rewritten
    quint16 m_passiveLast = 0;
    QList<QTcpServer *> m_dataListeners; // one connection each
    QList<QTcpServer *> m_passiveListeners; // on the server's passive ports, for good
    std::vector<std::unique_ptr<Link>> m_links;
    bool m_stalled = false;
    int m_replyDelayMs = 0;
    qint64 m_dataLimit = -1;
    qint64 m_dataHold = -1;
    QByteArray m_clientData;
    QStringList m_commands;
};
