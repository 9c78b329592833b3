#pragma once
// The frmLocal child window: drive list, lazily filled folder tree, visited-folder box,
// toolbars and the file list of the folder selected in the tree.

#include "local/listingvariant.h"
#include "local/localentry.h"
#include "transfer/transferitem.h"

#include <QList>
#include <QString>
#include <QWidget>

struct AppServices;
class LocalCommands;
class LocalEntryModel;
class LocalFolderTree;
class QAction;
class QComboBox;
class QGroupBox;
class QItemSelectionModel;
class QListView;
class QMenu;
class QModelIndex;
class QStackedWidget;
class QTimer;
class QToolBar;
class QTreeView;
class QTreeWidgetItem;

class LocalPane : public QWidget {
    Q_OBJECT
public:
    // The four views of lsvDirFile, numbered as the view buttons set them.
    enum class View { LargeIcons = 0, SmallIcons = 1, List = 2, Report = 3 };

    explicit LocalPane(const AppServices &services, QWidget *parent = nullptr);
    ~LocalPane() override;

    // The selected tree node's folder with a closing "/", or the volume root when none is
    // selected.
    QString TreeNodePath() const;
    // The selected rows of lsvDirFile in list order.
    QList<LocalEntry> selectedEntries() const;
    QList<TransferItem> selectedItems() const;
    // The folder whose entries lsvDirFile shows, with a closing "/": the tree's folder, or empty
    // while the list shows none (being read, unreadable, or the tree has just moved on). The
    // commands join the selected names with this folder.
    QString shownFolder() const { return m_shownFolder; }
    // Lists the folder into lsvDirFile; false when the folder could not be read (the list stays
    // empty) or when a later listing overtook this one while events ran (the later one shows).
    bool ViewFolder(const QString &folder, ListingVariant variant = ListingVariant::Pane);
    // Lists folder again after a command changed it, unless the user has gone on to another
    // folder meanwhile.
    void relist(const QString &folder, ListingVariant variant);
    // Reads the tree's folder's subfolders and lists it again.
    void RefreshLocal();
    // The same with the listing of the menu that asked for it.
    void refreshListing(ListingVariant variant);
    // Rebuilds the tree for the volume mounted at root.
    void ReadDrive(const QString &root);
    // Expands the tree down to path, selects its node, lists it and adds it to cboLocal;
    // false when the folder could not be read.
    bool selectFolder(const QString &path);
    // Reads the subfolders of the node of path again (after a new folder or a delete).
    void refreshTreeNode(const QString &path);
    // Drops the cboLocal entries whose folders no longer exist.
    void pruneVanishedFolders();

    View view() const { return m_view; }
    void setView(View view);
    // The volume root the tree shows, with a closing "/".
    QString driveRoot() const;

public slots:
    // The commands of the "Mein Computer" menu, the context menu and the toolbar.
    void upload();
    // The context menu's upload, which reports every server folder it walks.
    void uploadFromContextMenu();
    void uploadAs();
    void openSelection();
    void openSelectionWith();
    // The main menu's rename lists with the pane's listing, the context menu's with its own.
    void renameSelection();
    void renameFromContextMenu();
    void deleteSelection();
    void newFolder();
    void refresh();
    void showProperties();

signals:
    void uploadRequested(bool fromContextMenu);
    // The one selected file should be uploaded under another name.
    void uploadAsRequested();
    // Server rows were dropped on the list or the tree, to be downloaded into localFolder.
    void downloadDropped(const TransferSelection &entries, const QString &localFolder);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void createToolBars();
    void createFileList();
    void fillDriveList();
    void changeDrive(int index);
    void treeNodeChosen(QTreeWidgetItem *node);
    void listTreeNode();
    // Empties the list and makes every listing under way stale; returns the new generation.
    quint64 clearList();
    void pathBoxChosen(int index);
    void listDoubleClicked(const QModelIndex &index);
    void showContextMenu(const QPoint &globalPosition);
    void addVisitedFolder(const QString &folder);
    void placeControls();
    // The folder the list shows, or the tree's while the list shows none.
    QString listedFolder() const;

    const AppServices &m_services;
    LocalCommands *m_commands = nullptr;
    LocalEntryModel *m_model = nullptr;
    QItemSelectionModel *m_selection = nullptr;
    View m_view = View::Report;
    // Set while the code moves the tree's selection, so that only the user's choice lists.
    bool m_selectingNode = false;
    // Counts listings: one that finds the count moved on after its events ran was overtaken.
    quint64 m_listGeneration = 0;
    QString m_shownFolder;
    // Tree moves in quick succession (arrow keys) list only the node the user stops at.
    QTimer *m_treeSettle = nullptr;
    bool m_treeNodePending = false;

    QGroupBox *m_fraLocal = nullptr;
    QComboBox *m_drvDrive = nullptr;
    QToolBar *m_tlbdrvDrive = nullptr;
    LocalFolderTree *m_trwPaths = nullptr;
    QComboBox *m_cboLocal = nullptr;
    QToolBar *m_tlbDirOptions = nullptr;
    QToolBar *m_tlbLocal = nullptr;
    QStackedWidget *m_lsvDirFile = nullptr;
    QTreeView *m_reportView = nullptr;
    QListView *m_iconView = nullptr;
    QMenu *m_frmPopUpfrmLocal = nullptr;
};
