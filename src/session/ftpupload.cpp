#include "session/ftpupload.h"

namespace {

// An upload hands blocks to the socket without waiting until this much is queued, then lets the
// event loop drain it down to the low mark: the kernel never runs dry, memory stays bounded.
constexpr qint64 uploadHighWater = 8 * 1024 * 1024;
constexpr qint64 uploadLowWater = 2 * 1024 * 1024;

// ASCII type sends lines with CR LF (RFC 959, 3.1.1.1); local text files end them with LF.
QByteArray toNetworkLineEnds(const QByteArray &block, bool *endsInCr)
{
    QByteArray converted;
    converted.reserve(block.size() + block.size() / 32);
    bool previousCr = *endsInCr;
    for (const char c : block) {
        if (c == '\n' && !previousCr)
            converted += '\r';
        converted += c;
        previousCr = c == '\r';
    }
    *endsInCr = previousCr;
    return converted;
}

} // namespace

FtpUpload::FtpUpload(FtpExchange &exchange, FtpDataConnection &dataConnection)
    : m_exchange(exchange)
    , m_dataConnection(dataConnection)
{
}

bool FtpUpload::open(const QString &remoteName, TransferType type)
{
    if (!m_exchange.checkArgument(remoteName) || !m_dataConnection.ensureType(type) || !m_dataConnection.open())
        return false;
    const std::optional<FtpReply> first = m_dataConnection.start(QStringLiteral("STOR ") + remoteName);
    if (!first)
        return false;
    FtpDataLink &data = m_exchange.data();
    if (!first->isPreliminary()) {
        m_exchange.failWith(*first);
        m_dataConnection.setAsideUnused();
        return false;
    }
    data.channel()->startEncryption();
    // In active mode the server connects only now, after its 150.
    if (!m_exchange.waitFor([&] { return data.channel()->isConnected(); }, m_exchange.timeouts().connectMs)) {
        data.release();
        return false;
    }
    m_type = type;
    m_endsInCr = false;
    m_finalReply.reset();
    m_exchange.setState(FtpExchange::State::Uploading);
    return true;
}

bool FtpUpload::isOpen() const
{
    return m_exchange.state() == FtpExchange::State::Uploading && m_exchange.data().channel();
}

bool FtpUpload::failUpload()
{
    m_exchange.data().release();
    if (m_exchange.state() == FtpExchange::State::Uploading)
        m_exchange.setState(FtpExchange::State::Ready);
    return false;
}

bool FtpUpload::write(const QByteArray &block)
{
    if (!isOpen())
        return m_exchange.fail(FtpError::Kind::NoUpload);
    FtpDataChannel *channel = m_exchange.data().channel();
    channel->write(m_type == TransferType::Ascii ? toNetworkLineEnds(block, &m_endsInCr) : block);
    // The server may refuse the rest at any time (552 quota exceeded, 451 disk error).
    const auto serverEnded = [&] {
        if (!m_finalReply)
            m_finalReply = m_exchange.link().takeOwnFinalReply();
        return m_finalReply.has_value();
    };
    const bool drained = channel->bytesToWrite() <= uploadHighWater
        || m_exchange.waitFor([&] { return serverEnded() || channel->bytesToWrite() <= uploadLowWater; },
            m_exchange.timeouts().dataIdleMs);
    // The server's own reason beats the closed data connection that usually comes with it.
    if (serverEnded()) {
        if (m_finalReply->isCompletion())
            m_exchange.fail(FtpError::fromReply(*m_finalReply, FtpError::Kind::UploadEnded));
        else
            m_exchange.failWith(*m_finalReply);
        return failUpload();
    }
    if (!drained)
        return failUpload();
    if (channel->hasFailed()) {
        m_exchange.fail(channel->error());
        return failUpload();
    }
    return true;
}

bool FtpUpload::close()
{
    if (!isOpen())
        return m_exchange.fail(FtpError::Kind::NoUpload);
    m_exchange.setState(FtpExchange::State::Ready);
    // The close of the data connection marks the end of the file (stream mode, RFC 959, 3.4).
    m_exchange.data().channel()->finishWriting();
    const bool done = m_dataConnection.finish(std::exchange(m_finalReply, std::nullopt), true);
    m_exchange.data().release();
    return done;
}

bool FtpUpload::abort()
{
    if (!isOpen())
        return m_exchange.fail(FtpError::Kind::NoUpload);
    m_exchange.setState(FtpExchange::State::Ready);
    m_exchange.abortTransfer();
    return m_exchange.isConnected();
}

void FtpUpload::abandon()
{
    if (m_exchange.state() != FtpExchange::State::Uploading)
        return;
    m_exchange.link().sendAbort();
    m_exchange.data().release();
    m_exchange.setState(FtpExchange::State::Ready);
}
