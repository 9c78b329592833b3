#include "local/localpopupmenu.h"

#include "core/textcatalogue.h"
#include "local/localpane.h"

LocalPopupMenu::LocalPopupMenu(LocalPane &pane)
    : QMenu(&pane)
{
    setObjectName(QStringLiteral("frmPopUpfrmLocal"));
    setTitle(QStringLiteral("Action"));

    QAction *upload = addEntry(this, "mnuUpload", text("FRMPULOC_UPLOAD"));
    connect(upload, &QAction::triggered, &pane, &LocalPane::uploadFromContextMenu);
    setDefaultAction(upload);
    connect(
        addEntry(this, "mnuUploadAls", text("FRMPULOC_UPLOADAS")), &QAction::triggered, &pane, &LocalPane::uploadAs);
    addSeparatorNamed(1);
    connect(addEntry(this, "mnuOeffnen", text("FRMPULOC_OPEN")), &QAction::triggered, &pane, &LocalPane::openSelection);
    connect(addEntry(this, "mnuOeffnenMit", text("FRMPULOC_OPENWITH")), &QAction::triggered, &pane,
        &LocalPane::openSelectionWith);
    addSeparatorNamed(2);
    connect(addEntry(this, "mnuUmbenennen", text("FRMPULOC_RENAME")), &QAction::triggered, &pane,
        &LocalPane::renameFromContextMenu);
    addSeparatorNamed(3);
    connect(addEntry(this, "mnuLoeschen", text("FRMPULOC_DELETE")), &QAction::triggered, &pane,
        &LocalPane::deleteSelection);
    addSeparatorNamed(4);
    QMenu *newMenu = addMenu(text("FRMPULOC_NEW"));
    newMenu->setObjectName(QStringLiteral("mnuNeu"));
    newMenu->menuAction()->setObjectName(QStringLiteral("mnuNeu"));
    connect(addEntry(newMenu, "mnuNeuVerzeichnis", text("FRMPULOC_NEWFOLDER")), &QAction::triggered, &pane,
        &LocalPane::newFolder);
    addSeparatorNamed(5);
    // The menu's own refresh lists with the menu's listing variant, unlike the main menu's.
    connect(addEntry(this, "mnuAktualisieren", text("FRMPULOC_REFRESH")), &QAction::triggered, &pane,
        [&pane] { pane.refreshListing(ListingVariant::Menu); });
    addSeparatorNamed(6);
    connect(addEntry(this, "mnuEigenschaften", text("FRMPULOC_PROP")), &QAction::triggered, &pane,
        &LocalPane::showProperties);
}

QAction *LocalPopupMenu::addEntry(QMenu *menu, const char *objectName, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(objectName));
    return action;
}

void LocalPopupMenu::addSeparatorNamed(int number)
{
    addSeparator()->setObjectName(QStringLiteral("mnuTrennlinie%1").arg(number));
}
