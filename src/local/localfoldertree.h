#pragma once
// trwPaths: the folder tree of one volume, filled one level ahead of what the user has opened.
// Every node carries its folder's path with a closing "/" as its key (letter case kept, so Foo
// and foo are two nodes) and a tag that says whether its own subfolders have been read.
// Opening a node reads its children's subfolders in slices between the window's events, so a
// folder of thousands of folders opens at once and the window never stalls. Open nodes follow
// their folders: a folder made or removed by another program shows up in the tree by itself.
// Server rows dropped on a node are for that node's folder.

#include "transfer/transferitem.h"
#include <QHash>
#include <QSet>

#include <QTreeWidget>

#include <deque>

class QFileSystemWatcher;
class QTimer;

class LocalFolderTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit LocalFolderTree(QWidget *parent = nullptr);

    // Removes all nodes and shows the volume at root with its first two levels.
    void setRoot(const QString &root);
    QString root() const { return m_root; }

    // The node of the folder key ("/home/ann/"), or nullptr.
    QTreeWidgetItem *node(const QString &key) const { return m_nodes.value(key); }
    static QString key(const QTreeWidgetItem *node);
    // Whether the node's own subfolders have been read.
    static bool isRead(const QTreeWidgetItem *node);

    // Creates and expands the nodes down to the folder key, reading a node again where a folder
    // was made after it had been read; nullptr when the key lies outside the volume or one of
    // its folders is missing.
    QTreeWidgetItem *reveal(const QString &key);
    // Reads the subfolders of the node of key again: vanished ones go, new ones come, the
    // others keep their own subtrees.
    void refreshNode(const QString &key);

    // Whether opened nodes still have children whose subfolders wait to be read.
    bool hasPendingReads() const { return !m_pending.empty(); }

    // How many folders have been read for subfolders since the last setRoot (tests check that
    // each folder is read once).
    int foldersRead() const { return m_foldersRead; }

signals:
    // Server rows were dropped on the node of the folder key; an empty key: beside every node.
    void serverEntriesDropped(const TransferSelection &entries, const QString &key);

protected:
    QStringList mimeTypes() const override;
    bool dropMimeData(QTreeWidgetItem *parent, int index, const QMimeData *data, Qt::DropAction action) override;

private:
    QTreeWidgetItem *newNode(const QString &name, const QString &key);
    void readSubfolders(QTreeWidgetItem *node);
    void nodeExpanded(QTreeWidgetItem *node);
    void readPendingSlice();
    void forget(QTreeWidgetItem *node);
    void folderChanged(const QString &path);
    void refreshChangedFolders();

    QString m_root;
    QHash<QString, QTreeWidgetItem *> m_nodes;
    // Keys of the nodes whose subfolders are still to be read, oldest first; keys rather than
    // nodes, since a refresh may delete a node before its turn.
    std::deque<QString> m_pending;
    QTimer *m_pendingReader = nullptr;
    // The folders of the open nodes; a burst of changes (a download into one) is read once.
    QFileSystemWatcher *m_watcher = nullptr;
    QSet<QString> m_changedKeys;
    QTimer *m_changeReader = nullptr;
    QIcon m_driveIcon;
    QIcon m_folderIcon;
    int m_foldersRead = 0;
};
