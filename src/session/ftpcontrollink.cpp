#include "session/ftpcontrollink.h"

FtpControlLink::FtpControlLink(std::function<void(const QString &)> announce)
    : m_announce(std::move(announce))
{
}

void FtpControlLink::transmit(const QString &command)
{
    // Replies that answer nobody (a 421 before an idle close, late junk) must not be taken for
    // the answer to this command.
    while (m_channel.takeReply()) { }
    m_owedReplies = 1;
    m_channel.sendCommand(m_names.encodeCommand(command));
    const bool isPassword = command.startsWith(QLatin1String("PASS "));
    m_announce(isPassword ? QStringLiteral("PASS ****") : command);
}

void FtpControlLink::sendAbort()
{
    if (!m_channel.isConnected())
        return;
    // Sent as a plain command: the Telnet IP and Synch that RFC 959 puts before it are urgent data
    // that today's servers neither need nor all handle.
    m_channel.sendCommand("ABOR");
    m_announce(QStringLiteral("ABOR"));
    ++m_owedReplies;
    m_abortOut = true;
}

std::optional<FtpReply> FtpControlLink::takeOwnReply()
{
    std::optional<FtpReply> reply = m_channel.takeReply();
    if (reply && !reply->isPreliminary() && m_owedReplies > 0)
        --m_owedReplies;
    // 225 answers an ABOR that found no transfer: a server that had not started the aborted
    // command yet drops it without a reply of its own, so nothing more is owed.
    if (reply && m_abortOut && reply->code() == 225)
        m_owedReplies = 0;
    if (m_owedReplies == 0)
        m_abortOut = false;
    return reply;
}

std::optional<FtpReply> FtpControlLink::takeOwnFinalReply()
{
    while (std::optional<FtpReply> reply = takeOwnReply()) {
        if (!reply->isPreliminary())
            return reply;
    }
    return std::nullopt;
}

bool FtpControlLink::collectOwedReplies(bool *sessionEnding)
{
    while (m_owedReplies > 0) {
        const std::optional<FtpReply> reply = takeOwnReply();
        if (!reply)
            break;
        if (sessionEnding && (reply->code() == 421 || reply->replyClass() == FtpReply::ReplyClass::PermanentError))
            *sessionEnding = true;
    }
    return m_owedReplies == 0;
}

void FtpControlLink::quit()
{
    m_channel.quit();
    forgetOwedReplies();
}

void FtpControlLink::drop()
{
    m_channel.drop();
    forgetOwedReplies();
}

void FtpControlLink::forgetOwedReplies()
{
    m_owedReplies = 0;
    m_abortOut = false;
}
