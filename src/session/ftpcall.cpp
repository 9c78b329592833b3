#include "session/ftpcall.h"

#include <QEventLoop>
#include <QTimer>

FtpCall::~FtpCall()
{
    QObject::disconnect(m_runObserver);
}

void FtpCall::cancel()
{
    if (m_state == State::Running)
        m_state = State::Cancelled;
    if (isRunning())
        wake();
}

void FtpCall::markClosed()
{
    if (isRunning())
        m_state = State::Closed;
}

void FtpCall::observe(const RunCancellation *cancellation, QObject *context, std::function<void()> onCancelled)
{
    QObject::disconnect(m_runObserver);
    m_run = cancellation;
    if (cancellation)
        m_runObserver = QObject::connect(cancellation, &RunCancellation::cancelled, context, std::move(onCancelled));
}

FtpCall::WaitEnd FtpCall::wait(
    const std::function<bool()> &done, int timeoutMs, const std::function<bool()> &interrupted)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        const qint64 idle = m_activity.elapsed();
        if (idle >= timeoutMs) {
            timedOut = true;
            loop.quit();
        } else {
            timer.start(int(timeoutMs - idle));
        }
    });
    m_activity.start();
    timer.start(timeoutMs);
    m_loop = &loop;
    bool finished = false;
    while (!(finished = done()) && !timedOut && !interrupted())
        loop.exec();
    m_loop = nullptr;
    if (finished)
        return WaitEnd::Done;
    return timedOut ? WaitEnd::TimedOut : WaitEnd::Interrupted;
}

void FtpCall::wake()
{
    m_activity.restart();
    if (m_loop)
        m_loop->quit();
}
