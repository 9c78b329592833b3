#include "session/ftpdataconnection.h"

#include <QRegularExpression>

FtpDataConnection::FtpDataConnection(FtpExchange &exchange, const FtpLogin &login)
    : m_exchange(exchange)
    , m_login(login)
{
}

void FtpDataConnection::reset(bool passive)
{
    m_passive = passive;
    m_type.reset();
}

bool FtpDataConnection::ensureType(TransferType type)
{
    if (m_type == type)
        return true;
    if (!m_exchange.expectCompletion(type == TransferType::Ascii ? QStringLiteral("TYPE A") : QStringLiteral("TYPE I")))
        return false;
    m_type = type;
    return true;
}

bool FtpDataConnection::open()
{
    FtpDataChannel &channel = m_exchange.data().open();
    if (m_login.protectsData())
        channel.setEncryption(m_exchange.control().sessionConfiguration(), m_exchange.control().peerCertificate());
    const bool opened = m_passive ? openPassive() : openActive();
    // The server has a new data connection in mind now and has let go of the one set aside.
    m_exchange.data().dropSetAside();
    return opened;
}

void FtpDataConnection::setAsideUnused()
{
    if (m_login.protectsData())
        m_exchange.data().setAside();
    else
        m_exchange.data().release();
}

bool FtpDataConnection::openPassive()
{
    // The data connection always goes where the control connection goes, whatever address a PASV
    // reply names (curl does the same): a hostile server could otherwise aim it at a third host
    // (the "FTP bounce" of RFC 2577), and servers behind NAT announce addresses nobody can reach.
    const QHostAddress peer = m_exchange.control().peerAddress();
    std::optional<quint16> port;
    bool peerIsIPv4 = false;
    peer.toIPv4Address(&peerIsIPv4);
    // RFC 2428: "229 Entering Extended Passive Mode (|||6446|)" names only the port. PASV cannot
    // express an IPv6 address, so EPSV comes first there.
    if (!peerIsIPv4) {
        const std::optional<FtpReply> reply = m_exchange.command(QStringLiteral("EPSV"));
        if (!reply)
            return false;
        static const QRegularExpression epsv(QStringLiteral("\\(([!-~])\\1\\1(\\d+)\\1\\)"));
        const QRegularExpressionMatch match = epsv.match(reply->text());
        if (reply->isCompletion() && match.hasMatch()) {
            // A port past 65535 would wrap around to one the server never named.
            const uint number = match.captured(2).toUInt();
            if (number == 0 || number > 65535)
                return m_exchange.fail(FtpError::unexpectedReply(QStringLiteral("EPSV"), *reply));
            port = quint16(number);
        }
    }
    if (!port) {
        // "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)"; some servers omit the parentheses.
        const std::optional<FtpReply> reply = m_exchange.command(QStringLiteral("PASV"));
        if (!reply)
            return false;
        if (!reply->isCompletion())
            return m_exchange.failWith(*reply);
        static const QRegularExpression pasv(QStringLiteral("(\\d+),(\\d+),(\\d+),(\\d+),(\\d+),(\\d+)"));
        const QRegularExpressionMatch match = pasv.match(reply->message());
        // Each number is one byte (RFC 959, 4.1.2 PASV); "424,43" would wrap to another port.
        const auto isByte = [&](int i) { return match.captured(i).size() <= 3 && match.captured(i).toUInt() <= 255; };
        const bool bytes
            = match.hasMatch() && isByte(1) && isByte(2) && isByte(3) && isByte(4) && isByte(5) && isByte(6);
        const uint number = bytes ? match.captured(5).toUInt() * 256 + match.captured(6).toUInt() : 0;
        if (number == 0)
            return m_exchange.fail(FtpError::unexpectedReply(QStringLiteral("PASV"), *reply));
        port = quint16(number);
    }
    FtpDataChannel *channel = m_exchange.data().channel();
    channel->connectToHost(peer, *port);
    return m_exchange.waitFor([&] { return channel->isConnected(); }, m_exchange.timeouts().connectMs);
}

bool FtpDataConnection::openActive()
{
    // The server connects back to the address it already reaches us on.
    const QHostAddress local = m_exchange.control().localAddress();
    FtpDataChannel *channel = m_exchange.data().channel();
    if (!channel->listen(local, m_exchange.control().peerAddress()))
        return m_exchange.fail(channel->error());
    const quint16 port = channel->listenPort();
    bool isIPv4 = false;
    const quint32 ipv4 = local.toIPv4Address(&isIPv4);
    // RFC 959 PORT h1,h2,h3,h4,p1,p2 for IPv4; RFC 2428 EPRT |2|address|port| for IPv6.
    const QString command = isIPv4 ? QStringLiteral("PORT %1,%2,%3,%4,%5,%6")
                                         .arg(ipv4 >> 24)
                                         .arg((ipv4 >> 16) & 0xff)
                                         .arg((ipv4 >> 8) & 0xff)
                                         .arg(ipv4 & 0xff)
                                         .arg(port >> 8)
                                         .arg(port & 0xff)
                                   : QStringLiteral("EPRT |2|%1|%2|").arg(local.toString()).arg(port);
    return m_exchange.expectCompletion(command);
}

std::optional<FtpReply> FtpDataConnection::start(const QString &command)
{
    FtpDataLink &data = m_exchange.data();
    if (!m_exchange.sendCommand(command)) {
        data.release();
        return std::nullopt;
    }
    data.startTransfer();
    std::optional<FtpReply> first = m_exchange.readReply(m_exchange.timeouts().replyMs);
    if (!first)
        data.release();
    return first;
}

bool FtpDataConnection::receive(
    const QString &command, const std::function<bool(const FtpReply &)> &started, std::optional<FtpReply> *refusal)
{
    const std::optional<FtpReply> first = start(command);
    if (!first)
        return false;
    if (first->isError() || first->isIntermediate()) {
        m_exchange.failWith(*first);
        if (refusal)
            *refusal = first;
        setAsideUnused();
        return false;
    }
    FtpDataLink &data = m_exchange.data();
    data.channel()->startEncryption();
    if (started && !started(*first)) {
        data.release();
        return false;
    }
    return finish(first->isPreliminary() ? std::nullopt : first);
}

// A transfer is complete only when both the final reply and the end of the data stream have
// arrived, in either order: pyftpdlib sends 226 as soon as it wrote the last byte, vsftpd and
// pure-ftpd only after the data connection closed.
bool FtpDataConnection::finish(std::optional<FtpReply> finalReply, bool upload)
{
    FtpDataLink &data = m_exchange.data();
    // The server learns the end of an upload only from our close of the data connection (stream
    // mode): a final reply before that close is complete means it stopped taking the file.
    bool endedEarly = false;
    const bool done = m_exchange.waitFor(
        [&] {
            if (!finalReply) {
                finalReply = m_exchange.link().takeOwnFinalReply();
                endedEarly = upload && finalReply && !data.channel()->isFinished();
            }
            // 426/451/552 end the transfer whatever the data connection does.
            return finalReply && (endedEarly || finalReply->isError() || data.channel()->isFinished());
        },
        m_exchange.timeouts().dataIdleMs);
    if (!done)
        return false;
    if (!finalReply->isCompletion()) {
        data.release();
        return m_exchange.failWith(*finalReply);
    }
    if (endedEarly) {
        data.release();
        return m_exchange.fail(FtpError::fromReply(*finalReply, FtpError::Kind::UploadEnded));
    }
    data.reportProgress();
    return true;
}
