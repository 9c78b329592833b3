#include "session/ftpfailure.h"

#include "core/textcatalogue.h"

#include <QAbstractSocket>

namespace FtpFailure {

QString socketError(const QAbstractSocket &socket)
{
    switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return text("FTP_REFUSED");
    case QAbstractSocket::HostNotFoundError:
        return text("FTP_HOSTNOTFOUND");
    case QAbstractSocket::RemoteHostClosedError:
        return text("FTP_CLOSEDBYSERVER");
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return text("FTP_TLSFAILED").arg(socket.errorString());
    default:
        return socket.errorString();
    }
}

QString noAnswerWithin(int timeoutMs)
{
    return text("FTP_TIMEOUT").arg(timeoutMs / 1000.0);
}

QString unreadableReply(FtpReplyReader::Error error)
{
    if (error == FtpReplyReader::Error::LineTooLong)
        return text("FTP_LINETOOLONG").arg(FtpReplyReader::MaxLineLength / 1024);
    return text("FTP_REPLYTOOLONG").arg(FtpReplyReader::MaxReplyLength / (1024 * 1024));
}

} // namespace FtpFailure
