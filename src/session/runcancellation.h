#pragma once
// The Stop of one run, shared by the session and every connection the run uses, so that a
// connection still logging in (not yet the session's) is stopped as well.

#include <QObject>

class RunCancellation : public QObject
{
    Q_OBJECT
public:
    explicit RunCancellation(QObject *parent = nullptr);

    bool isCancelled() const { return m_cancelled; }
    // Sets the mark and tells every observer at once; a second cancel() says nothing more.
    void cancel();
    void reset() { m_cancelled = false; }

signals:
    void cancelled();

private:
    bool m_cancelled = false;
};
