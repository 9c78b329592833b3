#pragma once
// Work that would hold up the window, such as reading a folder of 100,000 entries, runs on a pool
// thread while the GUI thread waits in a local event loop: repaints, input and timers go on, and
// the caller keeps its straight-line code. The work must not touch widgets or any object that
// lives on the GUI thread; what it needs it takes by value or by a reference the caller keeps
// alive (the caller waits for it).

#include <QEventLoop>
#include <QFuture>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

#include <type_traits>
#include <utility>

// Returns when future has finished; meanwhile the window's events run.
template <typename T>
void waitLettingEventsRun(const QFuture<T> &future)
{
    if (future.isFinished())
        return;
    QFutureWatcher<T> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    // The finished signal comes through the event loop, so one that fires before exec() still
    // ends it.
    if (!watcher.isFinished())
        loop.exec();
    // An application quitting ends every local loop early.
    watcher.waitForFinished();
}

template <typename Work>
std::invoke_result_t<Work> runAwayFromWindow(Work work)
{
    QFuture<std::invoke_result_t<Work>> future = QtConcurrent::run(std::move(work));
    waitLettingEventsRun(future);
    return future.takeResult();
}
