#include "session/ftpexchange.h"

namespace {

// A server that does not answer ABOR this soon is stuck; the connection is dropped instead.
constexpr int abortReplyMs = 3000;

} // namespace

FtpExchange::FtpExchange(std::function<void(const QString &)> announce)
    : m_link(std::move(announce))
    , m_data([this] { m_call.wake(); })
{
}

bool FtpExchange::isConnected() const
{
    return (m_state == State::Ready || m_state == State::Uploading) && m_link.channel().isConnected();
}

bool FtpExchange::fail(const FtpError &error)
{
    m_error = error;
    return false;
}

bool FtpExchange::waitFor(const std::function<bool()> &done, int timeoutMs, bool cancellable)
{
    const auto interrupted = [&] {
        return (cancellable && m_call.isCancelled()) || m_call.isClosed() || control().hasFailed()
            || m_data.hasFailed();
    };
    if (m_call.wait(done, timeoutMs, interrupted) == FtpCall::WaitEnd::Done)
        return true;

    if (m_call.isClosed()) {
        fail(FtpError::Kind::Closed);
    } else if (cancellable && m_call.isCancelled()) {
        if (m_data.state() == FtpDataLink::State::Transferring)
            abortTransfer();
        else
            m_data.release();
        fail(FtpError::Kind::Cancelled);
    } else if (control().hasFailed()) {
        fail(control().error());
        drop();
    } else if (m_data.hasFailed()) {
        const FtpError reason = m_data.channel()->error();
        // As after a Stop: the server must learn that the transfer is over, and this call must
        // know whether the server is still there (some end the session instead of answering).
        if (m_data.state() == FtpDataLink::State::Transferring)
            abortTransfer();
        else
            m_data.release();
        fail(reason);
    } else {
        // A server that stays silent this long is gone or stuck; the protocol position is lost.
        fail(FtpError::timedOut(timeoutMs));
        drop();
    }
    return false;
}

bool FtpExchange::sendCommand(const QString &command)
{
    // A Stop that came while the call waited for an earlier reply: nothing more goes out.
    if (m_call.isCancelled())
        return fail(FtpError::Kind::Cancelled);
    // A call that gave up (cancelled, or a transfer whose local side failed) leaves its final
    // reply owed. It must be collected first: pyftpdlib even answers the next command before it
    // reports the aborted transfer, so no counting could tell the two replies apart afterwards.
    if (m_link.owesReplies()
        && !waitFor(
            [&] { return m_link.collectOwedReplies(); }, m_link.isAbortOut() ? abortReplyMs : m_timeouts.replyMs))
        return false;
    m_link.transmit(command);
    return true;
}

std::optional<FtpReply> FtpExchange::readReply(int timeoutMs)
{
    std::optional<FtpReply> reply;
    if (!waitFor([&] { return (reply = m_link.takeOwnReply()).has_value(); }, timeoutMs))
        return std::nullopt;
    return reply;
}

std::optional<FtpReply> FtpExchange::readFinalReply(int timeoutMs)
{
    std::optional<FtpReply> reply;
    if (!waitFor([&] { return (reply = m_link.takeOwnFinalReply()).has_value(); }, timeoutMs))
        return std::nullopt;
    return reply;
}

std::optional<FtpReply> FtpExchange::command(const QString &command)
{
    if (!sendCommand(command))
        return std::nullopt;
    return readFinalReply(m_timeouts.replyMs);
}

bool FtpExchange::expectCompletion(const QString &text)
{
    const std::optional<FtpReply> reply = command(text);
    if (!reply)
        return false;
    return reply->isCompletion() || failWith(*reply);
}

bool FtpExchange::hasLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n')) || text.contains(QChar(0));
}

bool FtpExchange::checkReady()
{
    if (!isConnected())
        return fail(FtpError::Kind::NotConnected);
    if (m_state == State::Uploading)
        return fail(FtpError::Kind::UploadOpen);
    return true;
}

bool FtpExchange::checkArgument(const QString &argument)
{
    if (argument.isEmpty())
        return fail(FtpError::Kind::NoName);
    if (hasLineBreak(argument))
        return fail(FtpError(FtpError::Kind::UnsafeName, argument));
    return checkReady();
}

void FtpExchange::abortTransfer()
{
    m_link.sendAbort();
    m_data.release();
    // The aborted command's reply (426, or 226 when the transfer had just ended) and ABOR's own
    // (226 or 225) arrive in this order; a cancelled call still waits for them, briefly.
    bool sessionEnding = false;
    const bool answered = waitFor([&] { return m_link.collectOwedReplies(&sessionEnding); }, abortReplyMs, false);
    // vsftpd answers a cut TLS transfer with "500 OOPS" and ends the session; 421 announces the
    // end. The link goes now, so that the next command does not fail on the server's close.
    if (!answered || sessionEnding)
        drop();
}

void FtpExchange::quit()
{
    m_link.quit();
    m_data.release();
    m_data.dropSetAside();
    m_state = State::Unconnected;
}

void FtpExchange::drop()
{
    m_link.drop();
    m_data.dropSetAside();
    // Only stopped here: a waiting call still looks at the channel and releases it itself.
    m_data.drop();
    m_state = State::Unconnected;
}
