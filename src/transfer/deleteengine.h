#pragma once
// Deletes what the server pane has selected: files directly, folders with their whole tree. All
// files go first, then the folders, deepest first, each with its history line and result line.

#include "transfer/transferengine.h"
#include "transfer/transferitem.h"

#include <QElapsedTimer>
#include <QList>
#include <QSet>
#include <QStringList>

#include <vector>

class DeleteEngine : public TransferEngine {
public:
    using TransferEngine::TransferEngine;

    // Deletes the selected rows of the server's current folder; rows whose name holds ".."
    // anywhere are left alone. Asks nothing. Ends with a fresh connection in the start folder or,
    // when that is gone, in the deepest of its parents that is left.
    void DeleteSelection(const QList<TransferItem> &selection);

    // The work list of the last run: the selected rows, then what was found below each folder.
    const std::vector<TransferEntry> &deleteList() const { return m_deleteList; }
    // The folders of the last run in the order they were removed.
    const QStringList &folderList() const { return m_folderList; }

private:
    // Appends the entries of the server folder and of all folders below it.
    void CollectDeleteFolder(const ServerFolder &folder);
    // Removes folder, an entry of the server folder parent, with DELE when it is a link, before
    // anything inside it is listed; false when it is a real folder, to be walked.
    bool removedAsLink(const ServerFolder &folder, const QString &parent);
    void deleteFile(const TransferEntry &entry);
    void removeFolder(const QString &path);
    // Writes the result line of one deletion.
    void writeResult(bool deleted);
    // Lets the window's events run, a few times a second at most: a big tree must not spend its
    // time repainting after every line.
    void pumpEvents();

    std::vector<TransferEntry> m_deleteList;
    QStringList m_folderList;
    QSet<QString> m_removedAsLinks; // folder entries that DELE removed as links
    QElapsedTimer m_pumpClock;
};
