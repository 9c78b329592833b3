#include "session/ftperror.h"

#include <QAbstractSocket>

FtpError::FtpError(Kind kind, QString detail, int replyCode)
    : m_kind(kind)
    , m_replyCode(replyCode)
    , m_detail(std::move(detail))
{
}

FtpError FtpError::fromReply(const FtpReply &reply, Kind kind)
{
    return FtpError(kind, reply.text(), reply.code());
}

FtpError FtpError::unexpectedReply(const QString &command, const FtpReply &reply)
{
    FtpError error = fromReply(reply, Kind::UnexpectedReply);
    error.m_command = command;
    return error;
}

FtpError FtpError::timedOut(int timeoutMs)
{
    FtpError error(Kind::TimedOut);
    error.m_amount = timeoutMs;
    return error;
}

FtpError FtpError::downloadShort(qint64 arrived, qint64 announced)
{
    FtpError error(Kind::DownloadShort);
    error.m_amount = arrived;
    error.m_total = announced;
    return error;
}

FtpError FtpError::fromSocket(const QAbstractSocket &socket)
{
    switch (socket.error()) {
    case QAbstractSocket::ConnectionRefusedError:
        return FtpError(Kind::ConnectionRefused);
    case QAbstractSocket::HostNotFoundError:
        return FtpError(Kind::HostNotFound);
    case QAbstractSocket::RemoteHostClosedError:
        return FtpError(Kind::ClosedByServer);
    case QAbstractSocket::SslHandshakeFailedError:
    case QAbstractSocket::SslInternalError:
    case QAbstractSocket::SslInvalidUserDataError:
        return FtpError(Kind::TlsFailed, socket.errorString());
    default:
        return FtpError(Kind::SocketFailed, socket.errorString());
    }
}

FtpError FtpError::unreadableReply(FtpReplyReader::Error error)
{
    return FtpError(error == FtpReplyReader::Error::LineTooLong ? Kind::LineTooLong : Kind::ReplyTooLong);
}

FtpReply::ReplyClass FtpError::replyClass() const
{
    return FtpReply(m_replyCode, {}).replyClass();
}
