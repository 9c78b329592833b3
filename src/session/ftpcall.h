#pragma once
// The one public call that may run on a connection at a time, and its waits: each a local event
// loop, so the window stays responsive, with a time-out that only a silent server reaches.

#include "session/runcancellation.h"

#include <QElapsedTimer>
#include <QMetaObject>
#include <QPointer>

#include <functional>

class QEventLoop;

class FtpCall {
public:
    enum class State {
        Idle, // no call is under way
        Running,
        Cancelled, // cancel() came: the call ends at its next wait
        Closed // the connection was closed from a handler while the call waited inside it
    };
    enum class WaitEnd { Done, TimedOut, Interrupted };

    FtpCall() = default;
    FtpCall(const FtpCall &) = delete;
    FtpCall &operator=(const FtpCall &) = delete;
    ~FtpCall();

    bool isRunning() const { return m_state != State::Idle; }
    bool isCancelled() const { return m_state == State::Cancelled; }
    bool isClosed() const { return m_state == State::Closed; }
    void begin() { m_state = State::Running; }
    void end() { m_state = State::Idle; }
    void cancel();
    void markClosed();

    // The run's Stop: onCancelled runs (in context) when it comes.
    void observe(const RunCancellation *cancellation, QObject *context, std::function<void()> onCancelled);
    bool isRunCancelled() const { return m_run && m_run->isCancelled(); }

    // Runs the event loop until done() holds, interrupted() holds, or nothing woke the wait for
    // timeoutMs. One timer serves the whole wait: activity only moves a clock.
    WaitEnd wait(const std::function<bool()> &done, int timeoutMs, const std::function<bool()> &interrupted);
    // A sign of life of the server: the wait looks again and its time-out starts anew.
    void wake();

private:
    State m_state = State::Idle;
    QPointer<const RunCancellation> m_run;
    QMetaObject::Connection m_runObserver;
    QEventLoop *m_loop = nullptr;
    QElapsedTimer m_activity; // since the last sign of life of the server
};
