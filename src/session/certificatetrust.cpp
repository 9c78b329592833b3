#include "session/certificatetrust.h"

#include "core/textcatalogue.h"

#include <QCryptographicHash>
#include <QLocale>

namespace {

QString key(const QString &host, quint16 port)
{
    return host.toLower() + u':' + QString::number(port);
}

QByteArray fingerprint(const QSslCertificate &certificate)
{
    return certificate.digest(QCryptographicHash::Sha256);
}

QString names(const QStringList &parts)
{
    return parts.isEmpty() ? QStringLiteral("-") : parts.join(QStringLiteral(", "));
}

// The problems in the user's language where the catalogue has words for them, else in Qt's.
QString problem(const QSslError &error)
{
    switch (error.error()) {
    case QSslError::SelfSignedCertificate:
    case QSslError::SelfSignedCertificateInChain:
        return text("CERT_SELFSIGNED");
    case QSslError::CertificateExpired:
        return text("CERT_EXPIRED");
    case QSslError::CertificateNotYetValid:
        return text("CERT_NOTYETVALID");
    case QSslError::HostNameMismatch:
        return text("CERT_WRONGHOST");
    case QSslError::UnableToGetLocalIssuerCertificate:
    case QSslError::UnableToGetIssuerCertificate:
    case QSslError::UnableToVerifyFirstCertificate:
        return text("CERT_UNKNOWNISSUER");
    default:
        return error.errorString();
    }
}

} // namespace

bool CertificateTrust::accept(
    const QString &host, quint16 port, const QSslCertificate &certificate, const QList<QSslError> &errors)
{
    if (errors.isEmpty())
        return true;
    const QString server = key(host, port);
    const auto trusted = m_trusted.constFind(server);
    if (trusted != m_trusted.constEnd() && *trusted == fingerprint(certificate))
        return true;
    const bool changed = trusted != m_trusted.constEnd();
    if (!m_asker || !m_asker(describe(host, certificate, errors, changed)))
        return false;
    m_trusted.insert(server, fingerprint(certificate));
    return true;
}

QString CertificateTrust::describe(
    const QString &host, const QSslCertificate &certificate, const QList<QSslError> &errors, bool changed)
{
    const QLocale locale;
    QStringList problems;
    for (const QSslError &error : errors) {
        const QString line = problem(error);
        if (!problems.contains(line))
            problems.append(line);
    }
    const QByteArray digest = fingerprint(certificate).toHex(':').toUpper();
    QStringList lines;
    lines << text(changed ? "CERT_CHANGED" : "CERT_UNTRUSTED").arg(host) << QString();
    lines << text("CERT_SUBJECT") + u' ' + names(certificate.subjectInfo(QSslCertificate::CommonName))
          << text("CERT_ISSUER") + u' ' + names(certificate.issuerInfo(QSslCertificate::CommonName))
          << text("CERT_VALIDITY") + u' ' + locale.toString(certificate.effectiveDate().toLocalTime(), QLocale::ShortFormat)
                 + QStringLiteral(" – ") + locale.toString(certificate.expiryDate().toLocalTime(), QLocale::ShortFormat)
          << text("CERT_FINGERPRINT") + u' ' + QString::fromLatin1(digest) << QString();
    for (const QString &line : std::as_const(problems))
        lines << QStringLiteral("• ") + line;
    return lines.join(u'\n');
}
