#include "session/ftpprobe.h"

#include "session/ftpdirectorycommands.h"

FtpProbe::FtpProbe(FtpExchange &exchange, std::function<void(bool answered)> finished)
    : m_exchange(exchange)
    , m_finished(std::move(finished))
{
    m_timer.setSingleShot(true);
    QObject::connect(
        &m_timer, &QTimer::timeout, &m_timer, [this] { fail(FtpError::timedOut(m_exchange.timeouts().replyMs)); });
}

bool FtpProbe::start()
{
    if (isProbing() || m_exchange.call().isRunning() || m_exchange.state() != FtpExchange::State::Ready
        || !m_exchange.control().isConnected() || m_exchange.call().isRunCancelled())
        return false;
    m_state = State::Collecting;
    m_timer.start(m_exchange.timeouts().replyMs);
    advance();
    return true;
}

void FtpProbe::advance()
{
    if (!isProbing())
        return;
    if (m_exchange.control().hasFailed()) {
        fail(m_exchange.control().error());
        return;
    }
    if (m_state == State::Collecting) {
        if (!m_exchange.link().collectOwedReplies())
            return;
        m_exchange.link().transmit(QStringLiteral("PWD"));
        m_state = State::Sent;
        m_timer.start(m_exchange.timeouts().replyMs);
        return;
    }
    if (const std::optional<FtpReply> reply = m_exchange.link().takeOwnFinalReply())
        finish(FtpDirectoryCommands::directoryFrom(m_exchange, *reply).has_value());
}

void FtpProbe::fail(const FtpError &error)
{
    m_exchange.fail(error);
    finish(false);
    // As after a call's failure: the protocol position is lost.
    m_exchange.drop();
}

void FtpProbe::finish(bool answered)
{
    end();
    m_finished(answered);
}

void FtpProbe::end()
{
    m_state = State::Idle;
    m_timer.stop();
}
