#include "core/eventpump.h"

#include <QCoreApplication>

void processPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

EventPump::EventPump(int intervalMs)
    : m_intervalMs(intervalMs)
{
    m_sinceLastRun.start();
}

void EventPump::pump()
{
    if (m_sinceLastRun.elapsed() < m_intervalMs)
        return;
    processPendingEvents();
    m_sinceLastRun.restart();
}
