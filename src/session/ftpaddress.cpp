#include "session/ftpaddress.h"

#include <QUrl>

std::optional<FtpAddress> FtpAddress::parse(const QString &text)
{
    const QString trimmed = text.trimmed();
    const qsizetype schemeEnd = trimmed.indexOf(QLatin1String("://"));
    if (schemeEnd < 0)
        return FtpAddress { trimmed, std::nullopt, FtpSecurity::Opportunistic };

    const QString scheme = trimmed.left(schemeEnd).toLower();
    FtpAddress address;
    if (scheme == QLatin1String("ftp"))
        address.security = FtpSecurity::Plain;
    else if (scheme == QLatin1String("ftpes"))
        address.security = FtpSecurity::RequireTls;
    else if (scheme == QLatin1String("ftps"))
        address.security = FtpSecurity::ImplicitTls;
    else
        return std::nullopt;

    // QUrl knows IPv6 literals in brackets and ports; user names and paths have fields of their own.
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.userInfo().isEmpty()
        || (url.path() != QLatin1String("/") && !url.path().isEmpty()))
        return std::nullopt;
    address.host = url.host();
    if (url.port() >= 0) {
        if (url.port() == 0)
            return std::nullopt;
        address.port = quint16(url.port());
    } else if (address.security == FtpSecurity::ImplicitTls) {
        address.port = 990;
    }
    return address;
}
