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

// Temporary definitions until the pane is built.
QString LocalPane::TreeNodePath() const { return QStringLiteral("/"); }
QList<LocalEntry> LocalPane::selectedEntries() const { return {}; }
bool LocalPane::ViewFolder(const QString &, ListingVariant) { return false; }
void LocalPane::RefreshLocal() {}
void LocalPane::ReadDrive(const QString &) {}
bool LocalPane::selectFolder(const QString &) { return false; }
void LocalPane::refreshTreeNode(const QString &) {}
void LocalPane::pruneVanishedFolders() {}
void LocalPane::setView(View view) { m_view = view; }
QString LocalPane::driveRoot() const { return QStringLiteral("/"); }
void LocalPane::resizeEvent(QResizeEvent *event) { QWidget::resizeEvent(event); }
bool LocalPane::eventFilter(QObject *watched, QEvent *event) { return QWidget::eventFilter(watched, event); }
