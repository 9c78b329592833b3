#pragma once
// Deletes what the server pane has selected: files directly, folders with their whole tree. All
// files go first, then the folders, deepest first, each with its history line and result line.

#include "transfer/serverengine.h"
#include "transfer/transferitem.h"

#include <QList>
#include <QSet>
#include <QStringList>

#include <vector>

struct ServerFolder;

class DeleteEngine : public ServerEngine {
public:
    using ServerEngine::ServerEngine;

    // Deletes the selected rows of the server's current folder; rows whose name holds ".."
    // anywhere are left alone. Asks nothing. Ends reconnected in the start folder or,
    // when that is gone, in the deepest of its parents that is left.
    void DeleteSelection(const QList<TransferItem> &selection);

    // The work list of the last run: the selected rows, then what was found below each folder.
    const std::vector<TransferEntry> &deleteList() const { return m_deleteList; }
    // The folders of the last run in the order they were removed.
    const QStringList &folderList() const { return m_folderList; }

private:
    // Removes folder with DELE when it is a link, before anything inside it is listed; false when
    // it is a real folder, to be walked.
    bool removedAsLink(const ServerFolder &folder);
    // Writes the file's lines; false when the server is lost after it (or the user stopped).
    bool deleteFile(const TransferEntry &entry);
    void removeFolder(const QString &path);
    // Writes the result line of one deletion.
    void writeResult(bool deleted);

    std::vector<TransferEntry> m_deleteList;
    QStringList m_folderList;
    QSet<QString> m_removedAsLinks; // folder entries that DELE removed as links
};
