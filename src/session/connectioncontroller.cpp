#include "session/connectioncontroller.h"

#include "app/appservices.h"
#include "session/connectionbar.h"

#include <QTimer>

ConnectionController::ConnectionController(const AppServices &services, ConnectionBar &bar, QObject *parent)
    : QObject(parent), m_services(services), m_bar(bar), m_watch(new QTimer(this))
{
    m_watch->setObjectName(QStringLiteral("timIsConnected"));
    m_watch->setInterval(1000);
}

ConnectionController::~ConnectionController() = default;

void ConnectionController::connectCommand() {}
void ConnectionController::QuickConnect() {}
bool ConnectionController::ReconnectFtp() { return false; }
void ConnectionController::setPassive(bool) {}
