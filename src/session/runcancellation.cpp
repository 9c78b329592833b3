#include "session/runcancellation.h"

RunCancellation::RunCancellation(QObject *parent)
    : QObject(parent)
{
}

void RunCancellation::cancel()
{
    if (m_cancelled)
        return;
    m_cancelled = true;
    emit cancelled();
}
