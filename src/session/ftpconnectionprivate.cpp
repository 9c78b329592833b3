#include "session/ftpconnectionprivate.h"

#include "core/textcatalogue.h"
#include "session/ftpfailure.h"
#include "session/listingreader.h"

#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

namespace {

constexpr int progressIntervalMs = 50;
// An upload hands blocks to the socket without waiting until this much is queued, then lets the
// event loop drain it down to the low mark: the kernel never runs dry, memory stays bounded.
constexpr qint64 uploadHighWater = 8 * 1024 * 1024;
constexpr qint64 uploadLowWater = 2 * 1024 * 1024;
// A server that does not answer ABOR this soon is stuck; the connection is dropped instead.
constexpr int abortReplyMs = 3000;

// RFC 959, appendix II: 257 "/dir with ""quotes""" is current directory.
std::optional<QString> quotedPath(const QString &line)
{
    const qsizetype open = line.indexOf(QLatin1Char('"'));
    if (open < 0)
        return std::nullopt;
    QString path;
    for (qsizetype i = open + 1; i < line.size(); ++i) {
        if (line.at(i) != QLatin1Char('"')) {
            path += line.at(i);
        } else if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
            path += QLatin1Char('"');
            ++i;
        } else {
            return path;
        }
    }
    return std::nullopt;
}

// A line break would end the command early and smuggle the rest in as a second command.
bool hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}

// The text with every stand-alone occurrence of password masked.
QString withoutPassword(QString text, const QString &password)
{
    if (password.isEmpty())
        return text;
    const QRegularExpression occurrence(
        QStringLiteral("(?<![\\w])") + QRegularExpression::escape(password) + QStringLiteral("(?![\\w])"));
    return text.replace(occurrence, QStringLiteral("****"));
}

// RFC 3659, 4.2: "213 1234"; nullopt for any other reply, "213 lots" included: unknown, not 0.
std::optional<qint64> sizeFrom(const FtpReply &reply)
{
    bool isNumber = false;
    const qint64 size = reply.message().trimmed().toLongLong(&isNumber);
    if (reply.code() != 213 || !isNumber || size < 0)
        return std::nullopt;
    return size;
}

// ASCII type sends lines with CR LF (RFC 959, 3.1.1.1); local text files end them with LF.
QByteArray toNetworkLineEnds(const QByteArray &block, bool *endsInCr)
{
    QByteArray converted;
    converted.reserve(block.size() + block.size() / 32);
    bool previousCr = *endsInCr;
    for (const char c : block) {
        if (c == '\n' && !previousCr)
            converted += '\r';
        converted += c;
        previousCr = c == '\r';
    }
    *endsInCr = previousCr;
    return converted;
}

} // namespace

FtpConnection::Private::Private(FtpConnection *owner)
    : m_owner(owner)
{
    QObject::connect(&m_control, &FtpControlChannel::activity, &m_control, [this] {
        wake();
        advanceProbe();
    });
    m_probeTimer.setSingleShot(true);
    QObject::connect(&m_probeTimer, &QTimer::timeout, &m_control,
        [this] { failProbe(FtpFailure::noAnswerWithin(timeouts.replyMs)); });
}

FtpConnection::Private::~Private()
{
    m_control.disconnect();
}

void FtpConnection::Private::detach()
{
    m_owner = nullptr;
    close();
}

void FtpConnection::Private::close()
{
    if (m_callRunning) {
        // The waiting call sees the dropped link and returns false.
        m_closed = true;
        dropLink();
        wake();
        return;
    }
    quit();
}

void FtpConnection::Private::quit()
{
    endProbe();
    m_abortSent = false;
    if (m_state != State::Unconnected)
        m_control.quit();
    abortData();
    dropUnusedData();
    m_state = State::Unconnected;
    m_awaitedReplies = 0;
}

void FtpConnection::Private::cancel()
{
    if (!m_callRunning)
        return;
    m_cancelled = true;
    wake();
}

void FtpConnection::Private::setRunCancellation(const RunCancellation *cancellation)
{
    QObject::disconnect(m_runObserver);
    m_run = cancellation;
    if (cancellation)
        m_runObserver = QObject::connect(
            cancellation, &RunCancellation::cancelled, &m_control, [this] { onRunCancelled(); });
}

bool FtpConnection::Private::beginCall()
{
    if (m_callRunning) {
        lastError = text("FTP_BUSY");
        return false;
    }
    lastError.clear();
    if (isRunCancelled()) {
        lastError = text("FTP_CANCELLED");
        abandonUpload();
        return false;
    }
    // A probe still out is taken over: its reply is owed, and sendCommand() collects it first.
    endProbe();
    m_callRunning = true;
    m_cancelled = false;
    m_closed = false;
    return true;
}

void FtpConnection::Private::onRunCancelled()
{
    // An upload left open between two writeFile() calls would hold the connection after the run.
    if (m_callRunning)
        cancel();
    else
        abandonUpload();
}

void FtpConnection::Private::abandonUpload()
{
    if (m_state != State::Uploading)
        return;
    sendAbort();
    abortData();
    m_state = State::Ready;
}

bool FtpConnection::Private::isConnected() const
{
    return (m_state == State::Ready || m_state == State::Uploading) && m_control.isConnected();
}

// --- waiting -----------------------------------------------------------------------------------

bool FtpConnection::Private::waitFor(const std::function<bool()> &done, int timeoutMs, bool cancellable)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    // One timer for the whole wait: activity only moves a clock, so busy transfers pay nothing.
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        const qint64 idle = m_activity.elapsed();
        if (idle >= timeoutMs) {
            timedOut = true;
            loop.quit();
        } else {
            timer.start(int(timeoutMs - idle));
        }
    });
    m_activity.start();
    timer.start(timeoutMs);
    m_loop = &loop;
    bool finished = false;
    const auto interrupted = [&] {
        return timedOut || (cancellable && m_cancelled) || m_closed || m_control.hasFailed()
            || (m_data && m_data->hasFailed());
    };
    while (!(finished = done()) && !interrupted())
        loop.exec();
    m_loop = nullptr;
    if (finished)
        return true;

    if (m_closed) {
        lastError = text("FTP_CLOSED");
    } else if (cancellable && m_cancelled) {
        if (m_transferring)
            abortTransfer();
        else
            abortData();
        lastError = text("FTP_CANCELLED");
    } else if (m_control.hasFailed()) {
        lastError = m_control.errorString();
        dropLink();
    } else if (m_data && m_data->hasFailed()) {
        const QString reason = m_data->errorString();
        // As after a Stop: the server must learn that the transfer is over, and this call must
        // know whether the server is still there (some end the session instead of answering).
        if (m_transferring)
            abortTransfer();
        else
            abortData();
        lastError = reason;
    } else {
        // A server that stays silent this long is gone or stuck; the protocol position is lost.
        lastError = FtpFailure::noAnswerWithin(timeoutMs);
        dropLink();
    }
    return false;
}

void FtpConnection::Private::wake()
{
    m_activity.restart();
    if (m_loop)
        m_loop->quit();
}

// --- replies -----------------------------------------------------------------------------------

bool FtpConnection::Private::sendCommand(const QString &command)
{
    // A Stop that came while the call waited for an earlier reply: nothing more goes out.
    if (m_cancelled) {
        lastError = text("FTP_CANCELLED");
        return false;
    }
    // A call that gave up (cancelled, or a transfer whose local side failed) leaves its final
    // reply owed. It must be collected first: pyftpdlib even answers the next command before it
    // reports the aborted transfer, so no counting could tell the two replies apart afterwards.
    if (m_awaitedReplies > 0
        && !waitFor(
            [&] {
                while (m_awaitedReplies > 0 && takeOwnReply()) { }
                return m_awaitedReplies == 0;
            },
            m_abortSent ? abortReplyMs : timeouts.replyMs))
        return false;
    m_abortSent = false;
    transmit(command);
    return true;
}

void FtpConnection::Private::transmit(const QString &command)
{
    // Replies that answer nobody (a 421 before an idle close, late junk) must not be taken for
    // the answer to this command.
    while (m_control.takeReply()) { }
    m_awaitedReplies = 1;
    m_control.sendCommand(command);
    if (m_owner) {
        const bool isPassword = command.startsWith(QLatin1String("PASS "));
        emit m_owner->commandSent(isPassword ? QStringLiteral("PASS ****") : command);
    }
}

std::optional<FtpReply> FtpConnection::Private::takeOwnReply()
{
    // Every command gets any number of 1yz replies and exactly one final reply.
    std::optional<FtpReply> reply = m_control.takeReply();
    if (reply && !reply->isPreliminary() && m_awaitedReplies > 0)
        --m_awaitedReplies;
    // 225 answers an ABOR that found no transfer: a server that had not started the aborted
    // command yet drops it without a reply of its own, so nothing more is owed.
    if (reply && m_abortSent && reply->code() == 225)
        m_awaitedReplies = 0;
    return reply;
}

std::optional<FtpReply> FtpConnection::Private::takeOwnFinalReply()
{
    while (std::optional<FtpReply> reply = takeOwnReply()) {
        if (!reply->isPreliminary())
            return reply;
    }
    return std::nullopt;
}

std::optional<FtpReply> FtpConnection::Private::readReply(int timeoutMs)
{
    std::optional<FtpReply> reply;
    if (!waitFor([&] { return (reply = takeOwnReply()).has_value(); }, timeoutMs))
        return std::nullopt;
    return reply;
}

std::optional<FtpReply> FtpConnection::Private::readFinalReply(int timeoutMs)
{
    std::optional<FtpReply> reply;
    if (!waitFor([&] { return (reply = takeOwnFinalReply()).has_value(); }, timeoutMs))
        return std::nullopt;
    return reply;
}

std::optional<FtpReply> FtpConnection::Private::command(const QString &command)
{
    if (!sendCommand(command))
        return std::nullopt;
    return readFinalReply(timeouts.replyMs);
}

bool FtpConnection::Private::expectCompletion(const QString &text)
{
    const std::optional<FtpReply> reply = command(text);
    if (!reply)
        return false;
    return reply->isCompletion() || failWith(*reply);
}

bool FtpConnection::Private::failWith(const FtpReply &reply)
{
    lastError = reply.text();
    return false;
}

std::optional<QString> FtpConnection::Private::directoryFrom(const FtpReply &reply)
{
    if (!reply.isCompletion()) {
        failWith(reply);
        return std::nullopt;
    }
    std::optional<QString> path = quotedPath(reply.lines().constFirst());
    if (!path)
        lastError = text("FTP_UNEXPECTED").arg(QStringLiteral("PWD")) + u' ' + reply.text();
    return path;
}

bool FtpConnection::Private::checkArgument(const QString &argument)
{
    if (argument.isEmpty()) {
        lastError = text("FTP_NONAME");
        return false;
    }
    if (hasLineBreak(argument)) {
        lastError = text("FTP_LINEBREAK") + u' ' + argument;
        return false;
    }
    return checkReady();
}

bool FtpConnection::Private::checkReady()
{
    if (!isConnected()) {
        lastError = text("FTP_NOTCONNECTED");
        return false;
    }
    if (m_state == State::Uploading) {
        lastError = text("FTP_UPLOADOPEN");
        return false;
    }
    return true;
}

// --- connection ----------------------------------------------------------------------------------

bool FtpConnection::Private::connectToHost(
    const QString &host, quint16 port, const QString &user, const QString &password, bool passive)
{
    quit();
    if (hasLineBreak(user) || hasLineBreak(password)) {
        lastError = text("FTP_LOGINLINEBREAK");
        return false;
    }
    m_passive = passive;
    m_features.clear();
    m_mlsdRefused = false;
    m_type.reset();
    m_host = host;
    m_port = port;
    m_protectData = false;
    m_protectAfterLogin = false;
    m_state = State::Connecting;
    const bool implicitTls = security == FtpSecurity::ImplicitTls;
    m_control.connectToHost(host, port, implicitTls);
    if (!waitFor([&] { return m_control.isConnected(); }, timeouts.connectMs) || (implicitTls && !acceptCertificate())) {
        dropLink();
        return false;
    }

    // RFC 959, 5.4: the greeting is the reply to the connection itself; a 120 ("ready in nnn
    // minutes") may precede the 220.
    m_awaitedReplies = 1;
    std::optional<FtpReply> reply = readFinalReply(timeouts.connectMs);
    if (reply && !reply->isCompletion())
        failWith(*reply);
    if (!reply || !reply->isCompletion()) {
        dropLink();
        return false;
    }

    m_state = State::LoggingIn;
    // Nothing about the user, the password least of all, goes out before the handshake.
    if (!secureControl() || (m_control.isEncrypted() && !protectData(false))) {
        dropLink();
        return false;
    }
    reply = command(QStringLiteral("USER ") + user);
    // 230: in without a password (anonymous on some servers). 3yz asks for more: 331 the
    // password; 332 an account, which we do not have and which fails below.
    if (reply && reply->isIntermediate() && reply->code() == 331)
        reply = command(QStringLiteral("PASS ") + password);
    // Anything but 2yz fails the login: 530 wrong password, 332 an account we do not have.
    if (reply && !reply->isCompletion()) {
        failWith(*reply);
        // Some servers repeat what they were sent; the reason is shown and logged.
        lastError = withoutPassword(lastError, password);
    }
    if (!reply || !reply->isCompletion() || (m_protectAfterLogin && !protectData(true)) || !readFeatures()) {
        dropLink();
        return false;
    }
    // RFC 2640: names travel as UTF-8 once the server agreed. Servers that are always in UTF-8
    // may refuse the option; that is no reason to fail.
    if (m_features.contains(QStringLiteral("UTF8")) && !command(QStringLiteral("OPTS UTF8 ON"))) {
        dropLink();
        return false;
    }
    m_state = State::Ready;
    return true;
}

bool FtpConnection::Private::secureControl()
{
    if (security == FtpSecurity::Plain || security == FtpSecurity::ImplicitTls)
        return true;
    // Asked even when FEAT would not name it: vsftpd lists AUTH TLS only while TLS 1.0 is enabled,
    // and a server without TLS merely refuses the command.
    const std::optional<FtpReply> reply = command(QStringLiteral("AUTH TLS"));
    if (!reply)
        return false;
    if (!reply->isCompletion()) {
        if (security == FtpSecurity::Opportunistic)
            return true;
        lastError = text("FTP_TLSNOTOFFERED") + u' ' + reply->text();
        return false;
    }
    m_control.startEncryption();
    return waitFor([&] { return m_control.isEncrypted(); }, timeouts.connectMs) && acceptCertificate();
}

bool FtpConnection::Private::acceptCertificate()
{
    const QList<QSslError> errors = m_control.handshakeErrors();
    if (errors.isEmpty() || (trust && trust->accept(m_host, m_port, m_control.peerCertificate(), errors)))
        return true;
    lastError = text("FTP_CERTREFUSED");
    return false;
}

bool FtpConnection::Private::protectData(bool loggedIn)
{
    // RFC 4217, 8: PBSZ must come first; for TLS its only value is 0.
    std::optional<FtpReply> reply = command(QStringLiteral("PBSZ 0"));
    if (reply && reply->isCompletion())
        reply = command(QStringLiteral("PROT P"));
    if (!reply)
        return false;
    // 530: this server takes both only from a logged-in user.
    if (!loggedIn && reply->code() == 530) {
        m_protectAfterLogin = true;
        return true;
    }
    if (!reply->isCompletion()) {
        lastError = text("FTP_TLSPROTREFUSED") + u' ' + reply->text();
        return false;
    }
    m_protectAfterLogin = false;
    m_protectData = true;
    return true;
}

// RFC 2389: "211-Features:" / " MLST type*;size*;modify*;" / " UTF8" / "211 End". A server
// without FEAT (500) simply offers no extensions.
bool FtpConnection::Private::readFeatures()
{
    const std::optional<FtpReply> reply = command(QStringLiteral("FEAT"));
    if (!reply)
        return false;
    if (reply->isCompletion()) {
        const QStringList lines = reply->lines();
        for (qsizetype i = 1; i + 1 < lines.size(); ++i)
            m_features.insert(lines.at(i).trimmed().section(QLatin1Char(' '), 0, 0).toUpper());
    }
    return true;
}

void FtpConnection::Private::dropLink()
{
    m_abortSent = false;
    m_control.abort();
    dropUnusedData();
    // Only stopped here: a waiting call still looks at the channel and disposes of it itself.
    if (m_data)
        m_data->abort();
    m_state = State::Unconnected;
    m_awaitedReplies = 0;
}

// --- directories and simple commands ----------------------------------------------------------------

std::optional<QString> FtpConnection::Private::currentDirectory()
{
    if (!checkReady())
        return std::nullopt;
    const std::optional<FtpReply> reply = command(QStringLiteral("PWD"));
    if (!reply)
        return std::nullopt;
    return directoryFrom(*reply);
}

bool FtpConnection::Private::setCurrentDirectory(const QString &path)
{
    if (!checkArgument(path))
        return false;
    // CDUP (RFC 959, 4.1.1) leaves the step up to the server, whatever its path syntax.
    if (path == QLatin1String(".."))
        return expectCompletion(QStringLiteral("CDUP"));
    return expectCompletion(QStringLiteral("CWD ") + path);
}

bool FtpConnection::Private::simpleCommand(const QString &verb, const QString &argument)
{
    if (verb == QLatin1String("NOOP") ? !checkReady() : !checkArgument(argument))
        return false;
    return expectCompletion(argument.isEmpty() ? verb : verb + QLatin1Char(' ') + argument);
}

bool FtpConnection::Private::rename(const QString &from, const QString &to)
{
    if (!checkArgument(from) || !checkArgument(to))
        return false;
    // RFC 959, 4.1.3: RNFR must be answered with 350 before RNTO may follow.
    const std::optional<FtpReply> reply = command(QStringLiteral("RNFR ") + from);
    if (!reply)
        return false;
    if (!reply->isIntermediate())
        return failWith(*reply);
    return expectCompletion(QStringLiteral("RNTO ") + to);
}

bool FtpConnection::Private::ensureType(TransferType type)
{
    if (m_type == type)
        return true;
    if (!expectCompletion(type == TransferType::Ascii ? QStringLiteral("TYPE A") : QStringLiteral("TYPE I")))
        return false;
    m_type = type;
    return true;
}

// --- data connections ----------------------------------------------------------------------------

bool FtpConnection::Private::openDataChannel()
{
    abortData();
    m_data = std::make_unique<FtpDataChannel>();
    QObject::connect(m_data.get(), &FtpDataChannel::activity, m_data.get(), [this] { onDataActivity(); });
    if (m_protectData)
        m_data->setEncryption(m_control.sessionConfiguration(), m_control.peerCertificate());
    m_transferTotal = -1;
    m_progressClock.start();
    const bool opened = m_passive ? openPassive() : openActive();
    // The server has a new data connection in mind now and has let go of the one set aside.
    dropUnusedData();
    return opened;
}

void FtpConnection::Private::setAsideUnusedData()
{
    if (!m_protectData) {
        abortData();
        return;
    }
    // pyftpdlib answers the close of a TLS data connection that never carried a transfer with an
    // unasked "226", which would be taken for the answer to the next command. It closes such a
    // connection silently itself on the next PASV or PORT; until then ours waits, unused.
    m_transferring = false;
    dropUnusedData();
    if (m_data) {
        m_data->disconnect();
        // The sink belongs to the refused call and goes with it.
        m_data->setSink(nullptr);
        m_unusedData = std::move(m_data);
    }
}

void FtpConnection::Private::dropUnusedData()
{
    if (!m_unusedData)
        return;
    m_unusedData->abort();
    m_unusedData.reset();
}

bool FtpConnection::Private::openPassive()
{
    // The data connection always goes where the control connection goes, whatever address a PASV
    // reply names (curl does the same): a hostile server could otherwise aim it at a third host
    // (the "FTP bounce" of RFC 2577), and servers behind NAT announce addresses nobody can reach.
    const QHostAddress peer = m_control.peerAddress();
    std::optional<quint16> port;
    bool peerIsIPv4 = false;
    peer.toIPv4Address(&peerIsIPv4);
    // RFC 2428: "229 Entering Extended Passive Mode (|||6446|)" names only the port. PASV cannot
    // express an IPv6 address, so EPSV comes first there.
    if (!peerIsIPv4) {
        const std::optional<FtpReply> reply = command(QStringLiteral("EPSV"));
        if (!reply)
            return false;
        static const QRegularExpression epsv(QStringLiteral("\\(([!-~])\\1\\1(\\d+)\\1\\)"));
        const QRegularExpressionMatch match = epsv.match(reply->text());
        if (reply->isCompletion() && match.hasMatch()) {
            // A port past 65535 would wrap around to one the server never named.
            const uint number = match.captured(2).toUInt();
            if (number == 0 || number > 65535) {
                lastError = text("FTP_UNEXPECTED").arg(QStringLiteral("EPSV")) + u' ' + reply->text();
                return false;
            }
            port = quint16(number);
        }
    }
    if (!port) {
        // "227 Entering Passive Mode (h1,h2,h3,h4,p1,p2)"; some servers omit the parentheses.
        const std::optional<FtpReply> reply = command(QStringLiteral("PASV"));
        if (!reply)
            return false;
        if (!reply->isCompletion())
            return failWith(*reply);
        static const QRegularExpression pasv(QStringLiteral("(\\d+),(\\d+),(\\d+),(\\d+),(\\d+),(\\d+)"));
        const QRegularExpressionMatch match = pasv.match(reply->message());
        // Each number is one byte (RFC 959, 4.1.2 PASV); "424,43" would wrap to another port.
        const auto isByte = [&](int i) { return match.captured(i).size() <= 3 && match.captured(i).toUInt() <= 255; };
        const bool bytes
            = match.hasMatch() && isByte(1) && isByte(2) && isByte(3) && isByte(4) && isByte(5) && isByte(6);
        const uint number = bytes ? match.captured(5).toUInt() * 256 + match.captured(6).toUInt() : 0;
        if (number == 0) {
            lastError = text("FTP_UNEXPECTED").arg(QStringLiteral("PASV")) + u' ' + reply->text();
            return false;
        }
        port = quint16(number);
    }
    m_data->connectToHost(peer, *port);
    return waitFor([&] { return m_data->isConnected(); }, timeouts.connectMs);
}

bool FtpConnection::Private::openActive()
{
    // The server connects back to the address it already reaches us on.
    const QHostAddress local = m_control.localAddress();
    if (!m_data->listen(local, m_control.peerAddress())) {
        lastError = m_data->errorString();
        return false;
    }
    const quint16 port = m_data->listenPort();
    bool isIPv4 = false;
    const quint32 ipv4 = local.toIPv4Address(&isIPv4);
    // RFC 959 PORT h1,h2,h3,h4,p1,p2 for IPv4; RFC 2428 EPRT |2|address|port| for IPv6.
    const QString text = isIPv4 ? QStringLiteral("PORT %1,%2,%3,%4,%5,%6")
                                      .arg(ipv4 >> 24)
                                      .arg((ipv4 >> 16) & 0xff)
                                      .arg((ipv4 >> 8) & 0xff)
                                      .arg(ipv4 & 0xff)
                                      .arg(port >> 8)
                                      .arg(port & 0xff)
                                : QStringLiteral("EPRT |2|%1|%2|").arg(local.toString()).arg(port);
    return expectCompletion(text);
}

bool FtpConnection::Private::receive(
    const QString &text, const std::function<bool(const FtpReply &)> &started, std::optional<FtpReply> *refusal)
{
    if (!sendCommand(text)) {
        abortData();
        return false;
    }
    m_transferring = true;
    const std::optional<FtpReply> first = readReply(timeouts.replyMs);
    if (!first || first->isError() || first->isIntermediate()) {
        if (first)
            failWith(*first);
        if (first && refusal)
            *refusal = first;
        if (first)
            setAsideUnusedData();
        else
            abortData();
        return false;
    }
    m_data->startEncryption();
    if (started && !started(*first)) {
        abortData();
        return false;
    }
    return finishTransfer(first->isPreliminary() ? std::nullopt : first);
}

// A transfer is complete only when both the final reply and the end of the data stream have
// arrived, in either order: pyftpdlib sends 226 as soon as it wrote the last byte, vsftpd and
// pure-ftpd only after the data connection closed.
bool FtpConnection::Private::finishTransfer(std::optional<FtpReply> finalReply, bool upload)
{
    // The server learns the end of an upload only from our close of the data connection (stream
    // mode): a final reply before that close is complete means it stopped taking the file.
    bool endedEarly = false;
    const bool done = waitFor(
        [&] {
            if (!finalReply) {
                finalReply = takeOwnFinalReply();
                endedEarly = upload && finalReply && !m_data->isFinished();
            }
            // 426/451/552 end the transfer whatever the data connection does.
            return finalReply && (endedEarly || finalReply->isError() || m_data->isFinished());
        },
        timeouts.dataIdleMs);
    if (!done)
        return false;
    if (!finalReply->isCompletion()) {
        abortData();
        return failWith(*finalReply);
    }
    if (endedEarly) {
        abortData();
        lastError = text("FTP_UPLOADENDED") + u' ' + finalReply->text();
        return false;
    }
    reportProgress();
    return true;
}

void FtpConnection::Private::abortTransfer()
{
    sendAbort();
    abortData();
    // The aborted command's reply (426, or 226 when the transfer had just ended) and ABOR's own
    // (226 or 225) arrive in this order; a cancelled call still waits for them, briefly.
    bool sessionEnding = false;
    const bool answered = waitFor(
        [&] {
            while (m_awaitedReplies > 0) {
                const std::optional<FtpReply> reply = takeOwnReply();
                if (!reply)
                    break;
                sessionEnding = sessionEnding || reply->code() == 421
                    || reply->replyClass() == FtpReply::ReplyClass::PermanentError;
            }
            return m_awaitedReplies == 0;
        },
        abortReplyMs, false);
    // vsftpd answers a cut TLS transfer with "500 OOPS" and ends the session; 421 announces the
    // end. The link goes now, so that the next command does not fail on the server's close.
    if (!answered || sessionEnding)
        dropLink();
    m_abortSent = false;
}

void FtpConnection::Private::sendAbort()
{
    if (!m_control.isConnected())
        return;
    // Sent as a plain command: the Telnet IP and Synch that RFC 959 puts before it are urgent data
    // that today's servers neither need nor all handle.
    m_control.sendCommand(QStringLiteral("ABOR"));
    if (m_owner)
        emit m_owner->commandSent(QStringLiteral("ABOR"));
    ++m_awaitedReplies;
    m_abortSent = true;
    m_transferring = false;
}

void FtpConnection::Private::abortData()
{
    m_transferring = false;
    if (!m_data)
        return;
    m_data->abort();
    // Deleted now, so that its megabyte buffer goes when the transfer ends: deleteLater() inside
    // a nested wait runs only when the outermost wait returns, and a tree of downloads run from
    // the window's event loop would keep every one. Only while the channel's own signal is being
    // delivered (a progress callback let events run, and a Stop dropped the upload) must it wait.
    if (m_inDataSignal > 0)
        m_data.release()->deleteLater();
    else
        m_data.reset();
}

void FtpConnection::Private::onDataActivity()
{
    ++m_inDataSignal;
    m_activity.restart();
    if (m_progressClock.elapsed() >= progressIntervalMs)
        reportProgress();
    if (m_loop)
        m_loop->quit();
    --m_inDataSignal;
}

void FtpConnection::Private::reportProgress()
{
    m_progressClock.restart();
    if (progress && m_data)
        progress(m_data->bytesTransferred(), m_transferTotal);
}

// --- listing, download, upload -----------------------------------------------------------------

std::optional<QList<RemoteEntry>> FtpConnection::Private::list(QStringList *refusedNames)
{
    // Listings travel in ASCII type (RFC 959, 4.1.3 LIST; RFC 3659, 7 MLSD).
    if (refusedNames)
        refusedNames->clear();
    if (!checkReady() || !ensureType(TransferType::Ascii))
        return std::nullopt;
    // RFC 3659 announces MLSD as the MLST feature; its lines are exact and locale-free. Some
    // servers announce it and still refuse MLSD (a proxy in between, a module switched off):
    // LIST then serves this connection from here on.
    bool machineListing = !m_mlsdRefused
        && (m_features.contains(QStringLiteral("MLST")) || m_features.contains(QStringLiteral("MLSD")));
    std::optional<ListingReader> reader;
    const auto receiveListing = [&](std::optional<FtpReply> *refusal) {
        reader.emplace(machineListing ? ListingReader::Format::Mlsd : ListingReader::Format::List);
        if (!openDataChannel())
            return false;
        // Parsed as it arrives, even before the server's 150: only the entries are kept.
        m_data->setSink(&*reader);
        return receive(machineListing ? QStringLiteral("MLSD") : QStringLiteral("LIST"), {}, refusal);
    };
    std::optional<FtpReply> refusal;
    bool received = receiveListing(&refusal);
    if (!received && machineListing && refusal && refusal->replyClass() == FtpReply::ReplyClass::PermanentError) {
        machineListing = false;
        received = receiveListing(nullptr);
        m_mlsdRefused = received;
    }
    abortData();
    if (!received)
        return std::nullopt;
    reader->finish();
    if (refusedNames)
        *refusedNames = reader->refusedNames();
    return reader->takeEntries();
}

bool FtpConnection::Private::getFile(const QString &remoteName, const QString &localPath)
{
    if (!checkArgument(remoteName) || !ensureType(TransferType::Binary))
        return false;
    // RFC 3659 SIZE gives the progress its total; a server without it leaves the total unknown.
    const std::optional<FtpReply> sizeReply = command(QStringLiteral("SIZE ") + remoteName);
    if (!sizeReply)
        return false;
    std::optional<qint64> announced = sizeFrom(*sizeReply);
    QFile file(localPath);
    if (!openDataChannel())
        return false;
    m_transferTotal = announced.value_or(-1);
    const bool received = receive(QStringLiteral("RETR ") + remoteName, [&](const FtpReply &first) {
        // vsftpd and proftpd: "150 Opening BINARY mode data connection for a.bin (12345 bytes)",
        // the size at the moment the transfer starts.
        static const QRegularExpression byteCount(QStringLiteral("\\((\\d+) bytes\\)"));
        const QRegularExpressionMatch match = byteCount.match(first.text());
        bool isNumber = false;
        const qint64 count = match.captured(1).toLongLong(&isNumber);
        if (isNumber)
            announced = m_transferTotal = count;
        // Opened only once the server agreed to send, so a refused download leaves an existing
        // local file untouched. Unbuffered: the channel already writes megabyte blocks.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
            lastError = file.errorString();
            return false;
        }
        m_data->setSink(&file);
        return true;
    });
    // A cut data connection looks like the end of the file (stream mode, RFC 959, 3.4), and
    // some servers have already answered 226 for what they handed to the network.
    const qint64 arrived = m_data ? m_data->bytesTransferred() : 0;
    abortData();
    if (received && announced && arrived < *announced) {
        lastError = text("FTP_DOWNLOADSHORT").arg(arrived).arg(*announced);
        return false;
    }
    return received;
}

bool FtpConnection::Private::openFileForWriting(const QString &remoteName, TransferType type)
{
    if (!checkArgument(remoteName) || !ensureType(type) || !openDataChannel())
        return false;
    if (!sendCommand(QStringLiteral("STOR ") + remoteName)) {
        abortData();
        return false;
    }
    m_transferring = true;
    const std::optional<FtpReply> first = readReply(timeouts.replyMs);
    if (!first || !first->isPreliminary()) {
        if (first) {
            failWith(*first);
            setAsideUnusedData();
        } else {
            abortData();
        }
        return false;
    }
    m_data->startEncryption();
    // In active mode the server connects only now, after its 150.
    if (!waitFor([&] { return m_data->isConnected(); }, timeouts.connectMs)) {
        abortData();
        return false;
    }
    m_uploadType = type;
    m_uploadEndsInCr = false;
    m_uploadFinalReply.reset();
    m_state = State::Uploading;
    return true;
}

bool FtpConnection::Private::writeFile(const QByteArray &block)
{
    if (m_state != State::Uploading || !m_data) {
        lastError = text("FTP_NOUPLOAD");
        return false;
    }
    const auto failUpload = [&] {
        abortData();
        if (m_state == State::Uploading)
            m_state = State::Ready;
        return false;
    };
    m_data->write(m_uploadType == TransferType::Ascii ? toNetworkLineEnds(block, &m_uploadEndsInCr) : block);
    // The server may refuse the rest at any time (552 quota exceeded, 451 disk error).
    const auto serverEnded = [&] {
        if (!m_uploadFinalReply)
            m_uploadFinalReply = takeOwnFinalReply();
        return m_uploadFinalReply.has_value();
    };
    const bool drained = m_data->bytesToWrite() <= uploadHighWater
        || waitFor([&] { return serverEnded() || m_data->bytesToWrite() <= uploadLowWater; }, timeouts.dataIdleMs);
    // The server's own reason beats the closed data connection that usually comes with it.
    if (serverEnded()) {
        if (m_uploadFinalReply->isCompletion())
            lastError = text("FTP_UPLOADENDED") + u' ' + m_uploadFinalReply->text();
        else
            failWith(*m_uploadFinalReply);
        return failUpload();
    }
    if (!drained)
        return failUpload();
    if (m_data->hasFailed()) {
        lastError = m_data->errorString();
        return failUpload();
    }
    return true;
}

bool FtpConnection::Private::closeFile()
{
    if (m_state != State::Uploading || !m_data) {
        lastError = text("FTP_NOUPLOAD");
        return false;
    }
    m_state = State::Ready;
    // The close of the data connection marks the end of the file (stream mode, RFC 959, 3.4).
    m_data->finishWriting();
    const bool done = finishTransfer(std::exchange(m_uploadFinalReply, std::nullopt), true);
    abortData();
    return done;
}

bool FtpConnection::Private::abortFile()
{
    if (m_state != State::Uploading || !m_data) {
        lastError = text("FTP_NOUPLOAD");
        return false;
    }
    m_state = State::Ready;
    abortTransfer();
    return isConnected();
}

std::optional<qint64> FtpConnection::Private::fileSize(const QString &name)
{
    // RFC 3659, 4: the size depends on the type; in image type it is the stored byte count.
    if (!checkArgument(name) || !ensureType(TransferType::Binary))
        return std::nullopt;
    const std::optional<FtpReply> reply = command(QStringLiteral("SIZE ") + name);
    if (!reply)
        return std::nullopt;
    if (!reply->isCompletion()) {
        failWith(*reply);
        return std::nullopt;
    }
    const std::optional<qint64> size = sizeFrom(*reply);
    if (!size)
        lastError = text("FTP_UNEXPECTED").arg(QStringLiteral("SIZE")) + u' ' + reply->text();
    return size;
}

// --- the probe: one PWD that nobody waits for ---------------------------------------------------

bool FtpConnection::Private::startProbe()
{
    if (m_callRunning || m_probing || m_state != State::Ready || !m_control.isConnected() || isRunCancelled())
        return false;
    m_probing = true;
    m_probeSent = false;
    m_probeTimer.start(timeouts.replyMs);
    advanceProbe();
    return true;
}

void FtpConnection::Private::advanceProbe()
{
    if (!m_probing)
        return;
    if (m_control.hasFailed()) {
        failProbe(m_control.errorString());
        return;
    }
    if (!m_probeSent) {
        // An abandoned command's late reply comes first, as in sendCommand().
        while (m_awaitedReplies > 0 && takeOwnReply()) { }
        if (m_awaitedReplies > 0)
            return;
        transmit(QStringLiteral("PWD"));
        m_probeSent = true;
        m_probeTimer.start(timeouts.replyMs);
        return;
    }
    if (const std::optional<FtpReply> reply = takeOwnFinalReply())
        finishProbe(directoryFrom(*reply).has_value());
}

void FtpConnection::Private::failProbe(const QString &reason)
{
    lastError = reason;
    finishProbe(false);
    // As after a call's failure: the protocol position is lost.
    dropLink();
}

void FtpConnection::Private::finishProbe(bool answered)
{
    endProbe();
    // Delivered from the event loop: the receiver may ask the user or replace this connection,
    // which must not happen inside the socket signal that brought the answer.
    if (m_owner) {
        QMetaObject::invokeMethod(
            m_owner, [owner = m_owner.data(), answered] { emit owner->probeFinished(answered); },
            Qt::QueuedConnection);
    }
}

void FtpConnection::Private::endProbe()
{
    m_probing = false;
    m_probeTimer.stop();
}
