#include "local/localpane.h"

#include "app/appservices.h"

LocalPane::LocalPane(const AppServices &services, QWidget *parent) : QWidget(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmLocal"));
}

LocalPane::~LocalPane() = default;
