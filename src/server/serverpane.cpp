#include "server/serverpane.h"

#include "app/appservices.h"

ServerPane::ServerPane(const AppServices &services, QWidget *parent) : QWidget(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmServer"));
}

ServerPane::~ServerPane() = default;

void ServerPane::RefreshServerList() {}
void ServerPane::clearList() {}
void ServerPane::download() {}
void ServerPane::downloadAs() {}
void ServerPane::openSelection() {}
void ServerPane::openSelectionWith() {}
void ServerPane::renameSelection() {}
void ServerPane::deleteSelection() {}
void ServerPane::newFolder() {}
void ServerPane::refresh() {}
