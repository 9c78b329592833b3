#include "session/ftplogin.h"

#include <QRegularExpression>

namespace {

// The text with every stand-alone occurrence of password masked.
QString withoutPassword(QString text, const QString &password)
{
    if (password.isEmpty())
        return text;
    const QRegularExpression occurrence(
        QStringLiteral("(?<![\\w])") + QRegularExpression::escape(password) + QStringLiteral("(?![\\w])"));
    return text.replace(occurrence, QStringLiteral("****"));
}

} // namespace

FtpLogin::FtpLogin(FtpExchange &exchange)
    : m_exchange(exchange)
{
}

bool FtpLogin::connectToHost(const QString &host, quint16 port, const QString &user, const QString &password)
{
    if (FtpExchange::hasLineBreak(user) || FtpExchange::hasLineBreak(password))
        return m_exchange.fail(FtpError::Kind::UnsafeLogin);
    m_features.clear();
    m_host = host;
    m_port = port;
    m_protection = DataProtection::Clear;
    m_exchange.setState(FtpExchange::State::Connecting);
    const bool implicitTls = m_security == FtpSecurity::ImplicitTls;
    FtpControlChannel &control = m_exchange.control();
    control.connectToHost(host, port, implicitTls, m_memory ? m_memory->tlsSession(host, port) : QByteArray());
    const int connectMs = m_exchange.timeouts().connectMs;
    if (!m_exchange.waitFor([&] { return control.isConnected(); }, connectMs)
        || (implicitTls && !acceptCertificate())) {
        m_exchange.drop();
        return false;
    }

    // RFC 959, 5.4: a 120 ("ready in nnn minutes") may precede the 220 greeting.
    m_exchange.link().expectGreeting();
    const std::optional<FtpReply> reply = m_exchange.readFinalReply(connectMs);
    if (reply && !reply->isCompletion())
        m_exchange.failWith(*reply);
    if (!reply || !reply->isCompletion()) {
        m_exchange.drop();
        return false;
    }

    m_exchange.setState(FtpExchange::State::LoggingIn);
    // Nothing about the user, the password least of all, goes out before the handshake.
    if (!secureControl() || (control.isEncrypted() && !protectData()) || !logIn(user, password)
        || (m_protection == DataProtection::AfterLogin && !protectData()) || !readFeatures(user)) {
        m_exchange.drop();
        return false;
    }
    // RFC 2640: names travel as UTF-8 once the server agreed. Servers that are always in UTF-8
    // may refuse the option; that is no reason to fail.
    if (offers(QStringLiteral("UTF8")) && !m_exchange.command(QStringLiteral("OPTS UTF8 ON"))) {
        m_exchange.drop();
        return false;
    }
    rememberTlsSession();
    m_exchange.setState(FtpExchange::State::Ready);
    return true;
}

bool FtpLogin::logIn(const QString &user, const QString &password)
{
    std::optional<FtpReply> reply = m_exchange.command(QStringLiteral("USER ") + user);
    // 230: in without a password (anonymous on some servers). 3yz asks for more: 331 the
    // password; 332 an account, which we do not have and which fails below.
    if (reply && reply->isIntermediate() && reply->code() == 331)
        reply = m_exchange.command(QStringLiteral("PASS ") + password);
    if (!reply)
        return false;
    // Anything but 2yz fails the login: 530 wrong password, 332 an account we do not have. Some
    // servers repeat what they were sent; the reason is shown and logged.
    return reply->isCompletion()
        || m_exchange.fail(FtpError(FtpError::Kind::Reply, withoutPassword(reply->text(), password), reply->code()));
}

bool FtpLogin::secureControl()
{
    if (m_security == FtpSecurity::Plain || m_security == FtpSecurity::ImplicitTls)
        return true;
    // Asked even when FEAT would not name it: vsftpd lists AUTH TLS only while TLS 1.0 is enabled,
    // and a server without TLS merely refuses the command.
    const std::optional<FtpReply> reply = m_exchange.command(QStringLiteral("AUTH TLS"));
    if (!reply)
        return false;
    if (!reply->isCompletion()) {
        if (m_security == FtpSecurity::Opportunistic)
            return true;
        return m_exchange.fail(FtpError::fromReply(*reply, FtpError::Kind::TlsNotOffered));
    }
    FtpControlChannel &control = m_exchange.control();
    control.startEncryption();
    return m_exchange.waitFor([&] { return control.isEncrypted(); }, m_exchange.timeouts().connectMs)
        && acceptCertificate();
}

bool FtpLogin::acceptCertificate()
{
    const FtpControlChannel &control = m_exchange.control();
    const QList<QSslError> errors = control.handshakeErrors();
    if (errors.isEmpty() || (m_trust && m_trust->accept(m_host, m_port, control.peerCertificate(), errors)))
        return true;
    return m_exchange.fail(FtpError::Kind::CertificateRefused);
}

bool FtpLogin::protectData()
{
    const bool loggedIn = m_protection == DataProtection::AfterLogin;
    // RFC 4217, 8: PBSZ must come first; for TLS its only value is 0.
    std::optional<FtpReply> reply = m_exchange.command(QStringLiteral("PBSZ 0"));
    if (reply && reply->isCompletion())
        reply = m_exchange.command(QStringLiteral("PROT P"));
    if (!reply)
        return false;
    // 530: this server takes both only from a logged-in user.
    if (!loggedIn && reply->code() == 530) {
        m_protection = DataProtection::AfterLogin;
        return true;
    }
    if (!reply->isCompletion())
        return m_exchange.fail(FtpError::fromReply(*reply, FtpError::Kind::ProtectionRefused));
    m_protection = DataProtection::Private;
    return true;
}

// RFC 2389: "211-Features:" / " MLST type*;size*;modify*;" / " UTF8" / "211 End". A server
// without FEAT (500) simply offers no extensions.
bool FtpLogin::readFeatures(const QString &user)
{
    // A server tells a user the same in one run; asking again would only cost a round trip.
    if (const std::optional<QSet<QString>> known = m_memory ? m_memory->features(m_host, m_port, user) : std::nullopt) {
        m_features = *known;
        return true;
    }
    const std::optional<FtpReply> reply = m_exchange.command(QStringLiteral("FEAT"));
    if (!reply)
        return false;
    if (reply->isCompletion()) {
        const QStringList lines = reply->lines();
        for (qsizetype i = 1; i + 1 < lines.size(); ++i)
            m_features.insert(lines.at(i).trimmed().section(QLatin1Char(' '), 0, 0).toUpper());
    }
    if (m_memory)
        m_memory->setFeatures(m_host, m_port, user, m_features);
    return true;
}

void FtpLogin::rememberTlsSession()
{
    // Only a login that got this far has a session worth resuming: its certificate was judged
    // and accepted. TLS 1.3 sends the session after the handshake; the login's replies that
    // followed it have brought it in by now.
    if (m_memory && m_exchange.control().isEncrypted())
        m_memory->setTlsSession(m_host, m_port, m_exchange.control().sessionConfiguration().sessionTicket());
}
