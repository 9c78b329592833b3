#include "local/localpane.h"

#include "app/appservices.h"

LocalPane::LocalPane(const AppServices &services, QWidget *parent) : QWidget(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmLocal"));
}

LocalPane::~LocalPane() = default;

void LocalPane::upload() {}
void LocalPane::uploadAs() {}
void LocalPane::openSelection() {}
void LocalPane::openSelectionWith() {}
void LocalPane::renameSelection() {}
void LocalPane::deleteSelection() {}
void LocalPane::newFolder() {}
void LocalPane::refresh() {}
void LocalPane::showProperties() {}
