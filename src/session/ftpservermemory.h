#pragma once
// What one run of the program learnt about the servers it logged in to, so that a reconnect costs
// fewer round trips: the control connection's TLS session, which the next connection resumes
// instead of a full handshake, and the extensions FEAT named, which a new login need not ask
// for again. Nothing outlives the run.

#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>

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

private:
    QHash<QString, QByteArray> m_tlsSessions; // by serverKey()
    QHash<QString, QSet<QString>> m_features; // by serverKey() + " " + user
};
