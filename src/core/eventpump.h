#pragma once
// The one place that lets pending window events run during long work on the GUI thread.

#include <QElapsedTimer>

// Runs pending events (repaints, input, timers) and returns.
void processPendingEvents();

// Lets pending events run from a loop of many short steps at a steady rate rather than at every
// step: often enough that the window never stalls, seldom enough that repainting it does not
// become the loop's main work.
class EventPump {
public:
    explicit EventPump(int intervalMs = 30);

    // Runs pending events when intervalMs have passed since the last run (or the pump's start).
    void pump();

private:
    QElapsedTimer m_sinceLastRun;
    int m_intervalMs;
};
