#pragma once
// The certificates the user trusts for this run. A certificate the system trusts passes
// silently; any other is put to the user once, and the answer holds for that server until the
// program ends or the server shows another certificate. Nothing is stored between runs.

#include <QHash>
#include <QList>
#include <QSslCertificate>
#include <QSslError>
#include <QString>

#include <functional>

class CertificateTrust
{
public:
    // Asks the user about the certificate described; true when it is trusted for this run.
    using Asker = std::function<bool(const QString &description)>;

    void setAsker(Asker asker) { m_asker = std::move(asker); }

    // Whether a connection to host:port that showed certificate with these verification errors may
    // go on. Without an asker an untrusted certificate is refused.
    bool accept(const QString &host, quint16 port, const QSslCertificate &certificate,
        const QList<QSslError> &errors);

    // The question's text: subject, issuer, validity, SHA-256 fingerprint and what is wrong.
    static QString describe(const QString &host, const QSslCertificate &certificate,
        const QList<QSslError> &errors, bool changed);

private:
    Asker m_asker;
    QHash<QString, QByteArray> m_trusted; // "host:port" -> the trusted certificate's SHA-256
};
