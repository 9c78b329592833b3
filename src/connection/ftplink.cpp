#include "connection/ftplink.h"

#include "core/textcatalogue.h"
#include "session/ftpaddress.h"

#include <QUrl>

namespace {

// Decoded CR or LF would end the FTP command the text goes into and start another one of the
// link's choosing (RFC 959, 4.1.3: commands end at CRLF); NUL ends it early on many servers.
bool hasControlCharacter(const QString &text)
{
    return text.contains(u'\r') || text.contains(u'\n') || text.contains(QChar(0));
}

std::optional<FtpLink> refuse(FtpLink::Problem reason, FtpLink::Problem *problem)
{
    if (problem)
        *problem = reason;
    return std::nullopt;
}

} // namespace

std::optional<FtpLink> FtpLink::parse(const QString &text, Problem *problem)
{
    using enum Problem;
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid()) {
        // QUrl has no error codes; its messages are fixed English and name a bad port as such.
        return refuse(url.errorString().startsWith(QLatin1String("Invalid port")) ? BadPort : Malformed, problem);
    }
    // A bare host or a path is no link (ftp:pub has no "//"); RFC 1738 ftp links have neither
    // query nor fragment, and a '?' or '#' in a name arrives percent-encoded.
    if (!url.toString().contains(QLatin1String("://")) || url.hasQuery() || url.hasFragment())
        return refuse(url.scheme().isEmpty() ? UnknownScheme : Malformed, problem);
    if (url.host().isEmpty())
        return refuse(url.scheme().isEmpty() ? UnknownScheme : NoHost, problem);
    if (url.port() == 0)
        return refuse(BadPort, problem);

    // The address field's own parser has the last word on scheme and host, so a link fills the
    // bar with nothing the connect command would refuse.
    const QUrl server = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath);
    const std::optional<FtpAddress> address = FtpAddress::parse(server.toString());
    if (!address)
        return refuse(UnknownScheme, problem);

    FtpLink link;
    link.address = server.adjusted(QUrl::RemovePort).toString();
    link.port = QString::number(address->port.value_or(21));
    link.user = url.userName(QUrl::FullyDecoded);
    // "user:@host" names an empty password; "user@host" none, which is then asked for.
    if (url.userInfo().contains(u':'))
        link.password = url.password(QUrl::FullyDecoded);
    // RFC 1738, 3.2.1: without a user the conventions of anonymous FTP are used.
    if (link.user.isEmpty()) {
        link.user = QStringLiteral("anonymous");
        link.password = link.password.value_or(QString());
    }
    link.path = url.path(QUrl::FullyDecoded);
    if (link.path.isEmpty())
        link.path = QStringLiteral("/");
    if (hasControlCharacter(link.user) || hasControlCharacter(link.password.value_or(QString()))
        || hasControlCharacter(link.path))
        return refuse(ControlCharacter, problem);
    return link;
}

QString FtpLink::describe(Problem problem)
{
    switch (problem) {
    case Problem::BadPort:
        return text("FTP_BADPORT");
    case Problem::ControlCharacter:
        return text("LINK_CONTROLCHARACTER");
    case Problem::Malformed:
    case Problem::UnknownScheme:
    case Problem::NoHost:
        break;
    }
    return text("FTP_BADADDRESS");
}
