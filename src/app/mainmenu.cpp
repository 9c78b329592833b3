#include "app/mainmenu.h"

#include "core/textcatalogue.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace {

QMenu *addMenu(QWidget *parent, const char *name, const QString &caption)
{
    auto *menu = new QMenu(caption, parent);
    menu->setObjectName(QString::fromLatin1(name));
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    if (auto *bar = qobject_cast<QMenuBar *>(parent))
        bar->addMenu(menu);
    else if (auto *owner = qobject_cast<QMenu *>(parent))
        owner->addMenu(menu);
    return menu;
}

void addSeparator(QMenu *menu, const char *name = nullptr)
{
    QAction *separator = menu->addSeparator();
    if (name)
        separator->setObjectName(QString::fromLatin1(name));
}

} // namespace

QAction *MainMenu::add(QMenu *menu, Command command, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    m_actions[static_cast<int>(command)] = action;
    return action;
}

// Entries without a catalogue key keep their German captions in every language.
MainMenu::MainMenu(QMenuBar *bar)
{
    QMenu *file = addMenu(bar, "mnuFile", text("Datei"));
    add(file, Command::FileExit, "mnuFileExit", QStringLiteral("&Exit"));

    QMenu *connection = addMenu(bar, "mnuVerbindung", text("MY_CONNECTION"));
    add(connection, Command::Connect, "mnuVerbindungVerbinden", QStringLiteral("&Verbinden"));
    add(connection, Command::ClearRecentServers, "mnuVerbindungRecentClear", text("RECENT_CLEAR"));
    addSeparator(connection, "mnuVerbindungTrennlinie1");
    QMenu *mode = addMenu(connection, "mnuVerbindungTransfer", text("TRANSFERMODUS"));
    auto *modes = new QActionGroup(mode);
    for (QAction *entry : { add(mode, Command::TransferAscii, "mnuVerbindungTransferASCII", text("OPT_ASCII")),
             add(mode, Command::TransferBinary, "mnuVerbindungTransferBINARY", text("OPT_BINARY")),
             add(mode, Command::TransferAuto, "mnuVerbindungTransferAUTO", text("OPT_AUTO")) }) {
        entry->setCheckable(true);
        modes->addAction(entry);
    }
    action(Command::TransferAuto)->setChecked(true);
    QMenu *passive = addMenu(connection, "mnuVerbindungPassiverTransfer", text("CHK_PASSIVE"));
    add(passive, Command::PassiveOn, "mnuVerbindungTransfertypEin", text("EIN"));
    QAction *off = add(passive, Command::PassiveOff, "mnuVerbindungTransfertypAus", text("AUS"));
    // The passive mode is switched by the check box alone; this mark never moves.
    off->setCheckable(true);
    off->setChecked(true);
    QObject::connect(off, &QAction::toggled, off, [off] { off->setChecked(true); });
    addSeparator(connection, "mnuVerbindungTrennlinie2");
    add(connection, Command::AsciiList, "mnuVerbindungASCIIListe", text("ASCII_LIST_SHOW"));

    QMenu *local = addMenu(bar, "mnuMyComputer", text("FRMLOCAL_MYCOMPUTER"));
    add(local, Command::LocalUpload, "mnuMyComputerUpload", text("FRMPULOC_UPLOAD"));
    add(local, Command::LocalUploadAs, "mnuMyComputerUploadAls", text("FRMPULOC_UPLOADAS"));
    addSeparator(local);
    add(local, Command::LocalOpen, "mnuMyComputerOeffnen", text("FRMPULOC_OPEN"));
    add(local, Command::LocalOpenWith, "mnuMyComputerOeffnenMit", text("FRMPULOC_OPENWITH"));
    addSeparator(local);
    add(local, Command::LocalRename, "mnuMyComputerUmbenennen", text("FRMPULOC_RENAME"));
    addSeparator(local);
    add(local, Command::LocalDelete, "mnuMyComputerLoeschen", text("FRMPULOC_DELETE"));
    addSeparator(local);
    QMenu *localNew = addMenu(local, "mnuMyComputerNeu", text("FRMPULOC_NEW"));
    add(localNew, Command::LocalNewFolder, "mnuMyComputerNeuOrdner", text("FRMPULOC_NEWFOLDER"));
    addSeparator(local);
    add(local, Command::LocalRefresh, "mnuMyComputerAktualisieren", text("FRMPULOC_REFRESH"));
    addSeparator(local);
    add(local, Command::LocalProperties, "mnuMyComputerEigenschaften", text("FRMPULOC_PROP"));

    m_serverMenu = addMenu(bar, "mnuMyServer", text("FRMSERVER_FRA"));
    QMenu *server = m_serverMenu;
    add(server, Command::ServerDownload, "mnuMyServerDownload", text("FRMPUSERVER_DOWNLOAD"));
    add(server, Command::ServerDownloadAs, "mnuMyServerDownloadAls", text("FRMPUSERVER_DOWNLOADAS"));
    addSeparator(server);
    add(server, Command::ServerOpen, "mnuMyServerOeffnen", text("FRMPUSERVER_OPEN"));
    add(server, Command::ServerOpenWith, "mnuMyServerOeffnenMit", text("FRMPUSERVER_OPENWITH"));
    addSeparator(server);
    add(server, Command::ServerRename, "mnuMyServerUmbenennen", text("FRMPUSERVER_RENAME"));
    addSeparator(server);
    add(server, Command::ServerDelete, "mnuMyServerLoeschen", text("FRMPUSERVER_DELETE"));
    addSeparator(server);
    QMenu *serverNew = addMenu(server, "mnuMyServerNeu", text("FRMPUSERVER_NEW"));
    add(serverNew, Command::ServerNewFolder, "mnuMyServerNeuOrdner", text("FRMPUSERVER_NEWFOLDER"));
    addSeparator(server);
    add(server, Command::ServerRefresh, "mnuMyServerAktualisieren", text("FRMPUSERVER_REFRESH"));

    QMenu *info = addMenu(bar, "mniInfo", QStringLiteral("&?"));
    QMenu *web = addMenu(info, "mnuInfoWeb", text("MDIMAIN_WEBSITE"));
    add(web, Command::InfoHomepage, "mnuInfoWebHomepage", QStringLiteral("&Homepage"));
    add(info, Command::InfoInfo, "mnuInfoInfo", QStringLiteral("&Info"));
}
