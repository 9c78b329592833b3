#include "server/serverpane.h"

#include "app/appservices.h"

ServerPane::ServerPane(const AppServices &services, QWidget *parent) : QWidget(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmServer"));
}

ServerPane::~ServerPane() = default;
