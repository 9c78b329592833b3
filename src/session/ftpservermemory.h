#pragma once
// What one run of the program learnt about the servers it logged in to, so that a reconnect costs
// fewer round trips: the control connection's TLS session, which the next connection resumes
// instead of a full handshake, the extensions FEAT named, which a new login need not ask for
// again, and the names that came in Latin-1, which a reconnect must send back as they came.
// Nothing outlives the run.

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>

class FtpServerMemory {
public:
    // "host:port", the host in lower case: host names are case-insensitive (RFC 4343).
    static QString serverKey(const QString &host, quint16 port);

    // The TLS session of the latest control connection to host:port, in the form
    // QSslConfiguration::sessionTicket() gives; empty when there is none to resume.
    QByteArray tlsSession(const QString &host, quint16 port) const;
    void setTlsSession(const QString &host, quint16 port, const QByteArray &session);

    // The extensions the server's FEAT named once user had logged in; nullopt when not asked yet.
    std::optional<QSet<QString>> features(const QString &host, quint16 port, const QString &user) const;
    void setFeatures(const QString &host, quint16 port, const QString &user, const QSet<QString> &features);

    // The name parts that came as Latin-1 from host:port, shared by every connection to it.
    std::shared_ptr<QSet<QString>> latin1NameParts(const QString &host, quint16 port);

private:
    QHash<QString, std::shared_ptr<QSet<QString>>> m_latin1NameParts; // by serverKey()
    QHash<QString, QByteArray> m_tlsSessions; // by serverKey()
    QHash<QString, QSet<QString>> m_features; // by serverKey() + " " + user
};
