#pragma once
// Connecting and logging in: the TCP connection and the server's greeting, TLS on the control
// connection (AUTH TLS or implicit) with the certificate's judgement, PBSZ/PROT for the data
// connections, USER/PASS, and the extensions the server announces (FEAT, OPTS UTF8).

#include "session/certificatetrust.h"
#include "session/ftpexchange.h"
#include "session/ftpsecurity.h"
#include "session/ftpservermemory.h"

#include <QSet>
#include <QString>

#include <memory>

class FtpLogin {
public:
    // Whether data connections are TLS (RFC 4217, 8-9).
    enum class DataProtection {
        Clear,
        AfterLogin, // the server takes PBSZ and PROT only from a logged-in user
        Private // PROT P is in force
    };

    explicit FtpLogin(FtpExchange &exchange);

    // For the next connectToHost(); Opportunistic unless set.
    void setSecurity(FtpSecurity security) { m_security = security; }
    void setCertificateTrust(std::shared_ptr<CertificateTrust> trust) { m_trust = std::move(trust); }
    // What earlier logins of the run learnt: a login resumes the server's TLS session and takes
    // its extensions from there, and leaves what it learnt there in turn.
    void setServerMemory(std::shared_ptr<FtpServerMemory> memory) { m_memory = std::move(memory); }
    FtpServerMemory *serverMemory() const { return m_memory.get(); }

    // Leaves the connection Ready, or dropped with the reason in error().
    bool connectToHost(const QString &host, quint16 port, const QString &user, const QString &password);
    bool protectsData() const { return m_protection == DataProtection::Private; }
    // An extension the server named in its FEAT reply ("MLST", "UTF8").
    bool offers(const QString &feature) const { return m_features.contains(feature); }

private:
    bool logIn(const QString &user, const QString &password);
    // RFC 4217, 4: AUTH TLS and the handshake, when the security setting and the server allow;
    // false when the connection must not go on.
    bool secureControl();
    // The server's certificate, judged by the system or else by the run's trust.
    bool acceptCertificate();
    // RFC 4217, 8-9: PBSZ 0 and PROT P, so every data connection is TLS as well.
    bool protectData();
    bool readFeatures(const QString &user);
    // Leaves this connection's TLS session for the next connection to the server to resume.
    void rememberTlsSession();

    FtpExchange &m_exchange;
    FtpSecurity m_security = FtpSecurity::Opportunistic;
    std::shared_ptr<CertificateTrust> m_trust;
    std::shared_ptr<FtpServerMemory> m_memory;
    QString m_host;
    quint16 m_port = 0;
    QSet<QString> m_features;
    DataProtection m_protection = DataProtection::Clear;
};
