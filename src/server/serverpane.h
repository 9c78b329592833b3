#pragma once
// The frmServer child window of the main window: the server's current folder with its path box,
// the command and view toolbars, and the navigation through the server's folders.

#include "session/session.h"
#include "transfer/transferitem.h"

#include <QList>
#include <QWidget>

class QAction;
class QComboBox;
class QGroupBox;
class QMenu;
class QToolBar;
class ServerCommands;
class ServerListModel;
enum class ToolBarIcon;
class ServerListView;
class TransferHost;
struct AppServices;

class ServerPane : public QWidget {
    Q_OBJECT
public:
    explicit ServerPane(const AppServices &services, QWidget *parent = nullptr);
    ~ServerPane() override;

    // After a delete: drops the path box's folders that no longer exist on the server. Empty
    // entries and "/" stay; the server's current directory is the same afterwards.
    void prunePathBox();

    // The selected rows, top to bottom; ".." comes as it is.
    QList<TransferItem> selectedItems() const;

    // The host lends the delete and the open commands the window's reconnect; they do nothing
    // without one.
    void setTransferHost(TransferHost *host);
    ServerCommands *itemCommands() const { return m_itemCommands; }

    ServerListModel *model() const { return m_model; }
    ServerListView *listView() const { return m_list; }

    QSize minimumSizeHint() const override;

public slots:
    // Lists the server's current folder and brings the path box in step. Asked for while another
    // command holds the session, the listing waits and runs once that command has ended.
    void RefreshServerList();
    // Empties the list (a connect attempt starts).
    void clearList();
    // After a reconnect, which may leave the server in "/": back into the folder the path box shows
    // when it is still there, else the list shows where the server is. Asked for while another
    // command holds the session, it waits until that command has ended.
    void returnToShownFolder();

    // Shows a server path a link named: a folder is entered and listed; anything else is taken
    // for a file, whose folder is listed with that file selected.
    void showServerPath(const QString &path);

    // The commands of the "Mein Server" menu: each says so when there is no connection.
    void downloadAs();
    void openSelection();
    void openSelectionWith();
    void renameSelection();
    void deleteSelection();
    void newFolder();
    void refresh();

signals:
    // The selection should be downloaded; the toolbar asks for a fresh connection afterwards,
    // the context menu does not.
    void downloadRequested(bool reconnectAfter);
    // The one selected file should be downloaded under another name.
    void downloadAsRequested();
    // Local files were dropped on the list, to be uploaded into serverFolder.
    void uploadDropped(const QList<TransferSelection> &files, const QString &serverFolder);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    enum class PathBoxStep { Skip, Take };

    void placeControls();
    void createToolBars();
    void createContextMenu();
    // A command button: without a connection it says so instead of running command.
    void addCommand(const QString &key, ToolBarIcon icon, const QString &toolTip, void (ServerPane::*command)());

    // The listing itself, under the session's busy mark.
    void listServerFolder(PathBoxStep step, Session::Pointer pointer = Session::Pointer::Busy);
    // The path box's variant: lists without touching the path box.
    void RelistServerFolder();
    void takePathBoxStep();
    // Changes the server's directory; a refusal gets a red history line, so a list that stays
    // where it was is never taken for the folder that was asked for.
    bool enterServerFolder(const QString &path);
    bool isConnected() const;
    // The main menu's and the toolbar's test: false, after saying so, without a connection.
    bool hasConnectionOrSaySo();
    // Every way to delete (key, toolbar, both menus) asks the Delete key's question first: one
    // click must never remove a server tree.
    void askAndDelete();
    // Deletes the selection with its whole trees, asking nothing, then drops the path box's
    // vanished folders and lists where the server is.
    void runDelete();
    void openFromToolBar();
    void createFolder();
    void refreshList();
    void downloadWithReconnect();
    void downloadWithoutReconnect();
    // "oben": into the selected folder, or up with the ".." row.
    void enterSelectedRow();

    void commandClicked(const QString &key);
    void rowDoubleClicked(int row);
    void pathChosen(int index);
    void showContextMenu(const QPoint &globalPosition);

    const AppServices &m_services;
    QGroupBox *m_frame;
    QToolBar *m_commands;
    QComboBox *m_paths;
    QToolBar *m_views;
    ServerListModel *m_model;
    ServerListView *m_list;
    QMenu *m_contextMenu;
    ServerCommands *m_itemCommands;
    TransferHost *m_host = nullptr;
    bool m_refreshPending = false;
    bool m_returnPending = false;
};
