#include "session/ftpdatalink.h"

namespace {

constexpr int progressIntervalMs = 50;

} // namespace

FtpDataLink::FtpDataLink(std::function<void()> activity)
    : m_activity(std::move(activity))
{
}

FtpDataLink::~FtpDataLink() = default;

FtpDataChannel &FtpDataLink::open()
{
    release();
    m_channel = std::make_unique<FtpDataChannel>();
    QObject::connect(m_channel.get(), &FtpDataChannel::activity, m_channel.get(), [this] { onActivity(); });
    m_state = State::Open;
    m_total = -1;
    m_progressClock.start();
    return *m_channel;
}

void FtpDataLink::stopTransfer()
{
    if (m_state == State::Transferring)
        m_state = State::Open;
}

void FtpDataLink::reportProgress()
{
    m_progressClock.restart();
    if (m_progress && m_channel)
        m_progress(m_channel->bytesTransferred(), m_total);
}

void FtpDataLink::onActivity()
{
    ++m_inActivitySignal;
    if (m_progressClock.elapsed() >= progressIntervalMs)
        reportProgress();
    m_activity();
    --m_inActivitySignal;
}

void FtpDataLink::release()
{
    m_state = State::Released;
    if (!m_channel)
        return;
    m_channel->drop();
    // A progress callback runs inside the channel's activity signal and may let events run. While
    // an upload is open between two writeFile() calls, a Stop or a close() delivered then releases
    // the channel from inside its own signal, and deleting the sender there would pull the object
    // out from under the running emit: only then is the deletion left to the event loop.
    if (m_inActivitySignal > 0)
        m_channel.release()->deleteLater();
    else
        m_channel.reset();
}

void FtpDataLink::setAside()
{
    // pyftpdlib answers the close of a TLS data connection that never carried a transfer with an
    // unasked "226", which would be taken for the answer to the next command. It closes such a
    // connection silently itself on the next PASV or PORT; until then ours waits, unused.
    m_state = State::Released;
    dropSetAside();
    if (m_channel) {
        m_channel->disconnect();
        // The sink belongs to the refused call and goes with it.
        m_channel->setSink(nullptr);
        m_setAside = std::move(m_channel);
    }
}

void FtpDataLink::dropSetAside()
{
    if (!m_setAside)
        return;
    m_setAside->drop();
    m_setAside.reset();
}

void FtpDataLink::drop()
{
    if (m_channel)
        m_channel->drop();
}
