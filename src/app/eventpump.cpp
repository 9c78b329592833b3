#include "app/eventpump.h"

#include <QCoreApplication>

void processPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}
