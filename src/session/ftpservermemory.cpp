#include "session/ftpservermemory.h"

namespace {

QString userKey(const QString &host, quint16 port, const QString &user)
{
    // Neither a host nor a port has a blank, so the user's name cannot blur the server's.
    return FtpServerMemory::serverKey(host, port) + u' ' + user;
}

} // namespace

QString FtpServerMemory::serverKey(const QString &host, quint16 port)
{
    return host.toLower() + u':' + QString::number(port);
}

QByteArray FtpServerMemory::tlsSession(const QString &host, quint16 port) const
{
    return m_tlsSessions.value(serverKey(host, port));
}

void FtpServerMemory::setTlsSession(const QString &host, quint16 port, const QByteArray &session)
{
    if (session.isEmpty())
        m_tlsSessions.remove(serverKey(host, port));
    else
        m_tlsSessions.insert(serverKey(host, port), session);
}

std::optional<QSet<QString>> FtpServerMemory::features(const QString &host, quint16 port, const QString &user) const
{
    const auto known = m_features.constFind(userKey(host, port, user));
    if (known == m_features.constEnd())
        return std::nullopt;
    return *known;
}

void FtpServerMemory::setFeatures(const QString &host, quint16 port, const QString &user, const QSet<QString> &features)
{
    m_features.insert(userKey(host, port, user), features);
}

std::shared_ptr<QSet<QString>> FtpServerMemory::latin1NameParts(const QString &host, quint16 port)
{
    std::shared_ptr<QSet<QString>> &parts = m_latin1NameParts[serverKey(host, port)];
    if (!parts)
        parts = std::make_shared<QSet<QString>>();
    return parts;
}
