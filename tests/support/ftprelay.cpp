#include "support/ftprelay.h"

#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <cstdio>

namespace {

// Where the listeners of single data connections wait, and the relay itself without passive ports.
const QHostAddress relayAddress = QHostAddress(QHostAddress::LocalHost);
// With passive ports: another loopback address, so its ports cannot clash with the server's.
const QHostAddress passiveRelayAddress = QHostAddress(QStringLiteral("127.0.0.2"));

// "h1,h2,h3,h4,p1,p2" of PASV replies and PORT commands (RFC 959, 4.1.2).
const QRegularExpression hostPort(QStringLiteral("(\\d+),(\\d+),(\\d+),(\\d+),(\\d+),(\\d+)"));

QByteArray hostPortText(quint16 port)
{
    return QByteArrayLiteral("127,0,0,1,") + QByteArray::number(port >> 8) + ',' + QByteArray::number(port & 0xff);
}

} // namespace

// One relayed connection: down is the client's side, up the server's.
struct FtpRelay::Link {
    bool isControl = false;
    bool encrypted = false; // control only: TLS, forwarded as it comes
    QTcpSocket *down = nullptr;
    QTcpSocket *up = nullptr;
    QByteArray partialCommand; // control only: a command line still without its CR LF
    QByteArray partialReply;
    qint64 moved = 0;
    qint64 limit = -1;
    qint64 hold = -1;
    QByteArray held; // bytes past the hold, kept until releaseData()
    QTcpSocket *heldTo = nullptr;
    bool downClosed = false;
    bool upClosed = false;
};

FtpRelay::FtpRelay(const QString &serverHost, quint16 serverPort, QObject *parent)
    : QObject(parent)
    , m_serverHost(serverHost)
    , m_serverPort(serverPort)
    , m_address(relayAddress)
    , m_listener(new QTcpServer(this))
{
}

FtpRelay::~FtpRelay()
{
    // The sockets are children of this object; no signal may reach a half-destroyed relay.
    for (const auto &link : m_links) {
        for (QTcpSocket *socket : { link->down, link->up }) {
            if (socket)
                socket->disconnect(this);
        }
    }
}

void FtpRelay::setPassivePorts(quint16 first, quint16 last)
{
    m_passiveFirst = first;
    m_passiveLast = last;
    m_address = passiveRelayAddress;
}

bool FtpRelay::listen()
{
    // The fixed passive ports first: a control port the kernel chose beforehand could be one of them.
    for (int port = m_passiveFirst; m_passiveFirst != 0 && port <= m_passiveLast; ++port) {
        auto *listener = new QTcpServer(this);
        connect(listener, &QTcpServer::newConnection, this,
            [this, listener, port] { accept(listener, Kind::PassiveData, m_serverHost, quint16(port), false); });
        if (!listener->listen(m_address, quint16(port))) {
            std::fprintf(stderr, "FtpRelay: cannot listen on passive port %d: %s\n", port,
                qPrintable(listener->errorString()));
            return false;
        }
        m_passiveListeners.append(listener);
    }
    connect(m_listener, &QTcpServer::newConnection, this,
        [this] { accept(m_listener, Kind::Control, m_serverHost, m_serverPort, false); });
    if (!m_listener->listen(m_address, m_port))
        return false;
    m_port = m_listener->serverPort();
    return true;
}

void FtpRelay::dropAll()
{
    for (const auto &link : m_links) {
        link->downClosed = link->upClosed = true;
        for (QTcpSocket *socket : { link->down, link->up })
            socket->abort();
    }
}

void FtpRelay::setRefusing(bool refusing)
{
    if (refusing) {
        m_listener->close();
        for (QTcpServer *listener : std::as_const(m_dataListeners))
            listener->close();
        for (QTcpServer *listener : std::as_const(m_passiveListeners))
            listener->close();
    } else if (!m_listener->isListening()) {
        m_listener->listen(m_address, m_port);
        for (qsizetype i = 0; i < m_passiveListeners.size(); ++i)
            m_passiveListeners.at(i)->listen(m_address, quint16(m_passiveFirst + i));
    }
}

void FtpRelay::goAway()
{
    setRefusing(true);
    dropAll();
}

void FtpRelay::setStalled(bool stalled)
{
    m_stalled = stalled;
    if (!stalled)
        forwardAll();
}

void FtpRelay::accept(
    QTcpServer *listener, Kind kind, const QString &targetHost, quint16 targetPort, bool listenerIsUpstream)
{
    const bool isControl = kind == Kind::Control;
    while (QTcpSocket *accepted = listener->nextPendingConnection()) {
        auto link = std::make_unique<Link>();
        Link *l = link.get();
        l->isControl = isControl;
        l->limit = isControl ? -1 : m_dataLimit;
        l->hold = isControl ? -1 : m_dataHold;
        auto *other = new QTcpSocket(this);
        accepted->setParent(this);
        (listenerIsUpstream ? l->up : l->down) = accepted;
        (listenerIsUpstream ? l->down : l->up) = other;
        for (QTcpSocket *socket : { l->down, l->up }) {
            connect(socket, &QTcpSocket::readyRead, this, [this, l, socket] { forward(l, socket); });
            connect(socket, &QTcpSocket::disconnected, this, [this, l, socket] { onClosed(l, socket); });
            connect(socket, &QTcpSocket::errorOccurred, this, [this, l, socket](QAbstractSocket::SocketError) {
                if (socket->state() == QAbstractSocket::UnconnectedState)
                    onClosed(l, socket);
            });
        }
        m_links.push_back(std::move(link));
        // An active data connection comes from the relay's address: a client takes data
        // connections only from its control connection's peer.
        if (listenerIsUpstream)
            other->bind(m_address);
        // Bytes written before the far side is connected wait in its socket's buffer.
        other->connectToHost(targetHost, targetPort);
        if (kind == Kind::Data) {
            // One data connection per listener, as an FTP server accepts it.
            listener->close();
        }
    }
}

void FtpRelay::forward(Link *link, QTcpSocket *from)
{
    if (m_stalled)
        return;
    const bool fromClient = from == link->down;
    QTcpSocket *to = fromClient ? link->up : link->down;
    if ((fromClient ? link->upClosed : link->downClosed) && to->state() == QAbstractSocket::UnconnectedState)
        return;
    QByteArray bytes = from->readAll();
    if (bytes.isEmpty())
        return;

    if (!link->isControl) {
        if (link->limit >= 0 && link->moved + bytes.size() > link->limit) {
            to->write(bytes.left(link->limit - link->moved));
            to->flush();
            link->downClosed = link->upClosed = true;
            link->down->abort();
            link->up->abort();
            return;
        }
        if (fromClient)
            m_clientData += bytes;
        bool nowHolding = false;
        if (link->hold >= 0) {
            const bool wasHolding = !link->held.isEmpty();
            link->held += bytes;
            link->heldTo = to;
            bytes = link->held.left(std::max<qint64>(0, link->hold - link->moved));
            link->held.remove(0, bytes.size());
            nowHolding = !wasHolding && !link->held.isEmpty();
        }
        link->moved += bytes.size();
        to->write(bytes);
        // Last: the test's reaction may drop this very connection.
        if (nowHolding)
            emit dataHeld();
        return;
    }

    forwardControl(link, fromClient, bytes);
}

void FtpRelay::forwardControl(Link *link, bool fromClient, QByteArray bytes)
{
    QTcpSocket *to = fromClient ? link->up : link->down;
    QByteArray &partial = fromClient ? link->partialCommand : link->partialReply;
    // No command line starts with a TLS handshake record: the client speaks implicit TLS.
    if (fromClient && !link->encrypted && partial.isEmpty() && bytes.startsWith('\x16'))
        link->encrypted = true;
    QByteArray out;
    if (link->encrypted) {
        out = std::exchange(partial, {}) + bytes;
    } else {
        // Plain, the control connection travels line by line, so each command and reply can be
        // rewritten.
        partial += bytes;
        qsizetype end;
        while (!link->encrypted && (end = partial.indexOf('\n')) >= 0) {
            const QByteArray line = partial.left(end + 1);
            partial.remove(0, end + 1);
            out += fromClient ? rewriteCommand(line) : rewriteReply(*link, line);
            // AUTH accepted (RFC 2228): the TLS handshake follows.
            link->encrypted = !fromClient && line.startsWith("234 ");
        }
        if (link->encrypted)
            out += std::exchange(partial, {});
    }
    if (out.isEmpty())
        return;
    if (!fromClient && m_replyDelayMs > 0) {
        QTimer::singleShot(m_replyDelayMs, to, [to, out] { to->write(out); });
        return;
    }
    to->write(out);
}

void FtpRelay::releaseData()
{
    m_dataHold = -1;
    for (const auto &link : m_links) {
        link->hold = -1;
        if (link->heldTo)
            link->heldTo->write(std::exchange(link->held, {}));
    }
    forwardAll();
}

void FtpRelay::forwardAll()
{
    for (const auto &link : m_links) {
        for (QTcpSocket *socket : { link->down, link->up }) {
            forward(link.get(), socket);
            if (socket->state() == QAbstractSocket::UnconnectedState)
                onClosed(link.get(), socket);
        }
    }
}

void FtpRelay::onClosed(Link *link, QTcpSocket *from)
{
    // The close travels after the bytes still stalled or held; forwardAll() brings it later.
    if (m_stalled || !link->held.isEmpty())
        return;
    const bool fromClient = from == link->down;
    bool &closed = fromClient ? link->downClosed : link->upClosed;
    if (closed)
        return;
    closed = true;
    forward(link, from);
    QTcpSocket *to = fromClient ? link->up : link->down;
    // Stream mode ends a file with the close (RFC 959, 3.4): the far side must see it after every byte.
    if (!fromClient && link->isControl && m_replyDelayMs > 0)
        QTimer::singleShot(m_replyDelayMs, to, [to] { to->disconnectFromHost(); });
    else
        to->disconnectFromHost();
}

QByteArray FtpRelay::rewriteCommand(const QByteArray &line)
{
    const QString text = QString::fromUtf8(line).trimmed();
    const QString verb = text.section(QLatin1Char(' '), 0, 0).toUpper();
    m_commands.append(verb == u"PASS" ? QStringLiteral("PASS ****") : text);
    // Active mode: the server connects to the relay, which connects on to the client.
    if (verb == u"PORT") {
        const QRegularExpressionMatch match = hostPort.match(text);
        if (!match.hasMatch())
            return line;
        const QString client = QStringLiteral("%1.%2.%3.%4")
                                   .arg(match.captured(1), match.captured(2), match.captured(3), match.captured(4));
        const quint16 clientPort = quint16(match.captured(5).toUInt() * 256 + match.captured(6).toUInt());
        return "PORT " + hostPortText(openDataListener(client, clientPort, true)) + "\r\n";
    }
    if (verb == u"EPRT") {
        // RFC 2428: EPRT |af|address|port|
        const QStringList fields = text.mid(5).split(text.mid(5, 1));
        if (fields.size() < 4)
            return line;
        const quint16 relayPort = openDataListener(fields.at(2), quint16(fields.at(3).toUInt()), true);
        return "EPRT |1|127.0.0.1|" + QByteArray::number(relayPort) + "|\r\n";
    }
    return line;
}

QByteArray FtpRelay::rewriteReply(const Link &link, const QByteArray &line)
{
    // The relay listens on every passive port already.
    if (m_passiveFirst != 0)
        return line;
    // Passive mode: the client connects to the relay, which connects on to the server's port
    // at the address the control connection reaches.
    const QString server = link.up->peerAddress().toString();
    if (line.startsWith("227 ")) {
        const QRegularExpressionMatch match = hostPort.match(QString::fromLatin1(line));
        if (!match.hasMatch())
            return line;
        const quint16 serverPort = quint16(match.captured(5).toUInt() * 256 + match.captured(6).toUInt());
        QByteArray rewritten = line;
        rewritten.replace(
            match.capturedStart(), match.capturedLength(), hostPortText(openDataListener(server, serverPort, false)));
        return rewritten;
    }
    if (line.startsWith("229 ")) {
        // RFC 2428: "229 Entering Extended Passive Mode (|||6446|)"
        static const QRegularExpression epsv(QStringLiteral("\\(([!-~])\\1\\1(\\d+)\\1\\)"));
        const QRegularExpressionMatch match = epsv.match(QString::fromLatin1(line));
        if (!match.hasMatch())
            return line;
        QByteArray rewritten = line;
        const quint16 relayPort = openDataListener(server, quint16(match.captured(2).toUInt()), false);
        rewritten.replace(match.capturedStart(2), match.capturedLength(2), QByteArray::number(relayPort));
        return rewritten;
    }
    return line;
}

quint16 FtpRelay::openDataListener(const QString &target, quint16 targetPort, bool listenerIsUpstream)
{
    auto *listener = new QTcpServer(this);
    connect(listener, &QTcpServer::newConnection, this, [this, listener, target, targetPort, listenerIsUpstream] {
        accept(listener, Kind::Data, target, targetPort, listenerIsUpstream);
    });
    listener->listen(relayAddress, 0);
    m_dataListeners.append(listener);
    return listener->serverPort();
}
