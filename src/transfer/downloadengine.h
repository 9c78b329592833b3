#pragma once
// Downloads what the server pane has selected into a local folder: files directly, folders with
// their whole tree, each file through a temporary file that replaces the target only when the
// whole file arrived.

#include "transfer/transferengine.h"
#include "transfer/transferitem.h"

#include <QList>

#include <vector>

class TransferStatus;

class DownloadEngine : public TransferEngine
{
public:
    using TransferEngine::TransferEngine;

    // Downloads the selected server rows (".." is ignored) from the server's current folder into
    // targetFolder (a local folder path ending in "/"), then shows the target in the local pane.
    void DownloadSelection(const QList<TransferItem> &selection, const QString &targetFolder);

    // One file of the server's current folder to localPath, with its start and result lines
    // left to the caller. expectedSize is the listing's size (-1 when unknown; only then is the
    // server asked for it). An existing
    // local file is replaced only by a complete download, and never when the user may not
    // write it; a symbolic link at localPath stays, the file it points to is replaced. False
    // leaves everything as it was.
    bool DownloadFile(const QString &localPath, const QString &remoteName, qint64 expectedSize = -1,
        TransferStatus *status = nullptr);

    // Why the last DownloadFile() failed; empty when the FTP layer said nothing.
    QString lastError() const { return m_lastError; }

    // The work list of the last run, in order (folders before their contents).
    const std::vector<TransferEntry> &downloadList() const { return m_downloadList; }

private:
    // Enters the server's folder (named folderText in a red line) and downloads entry from it;
    // false, after its red line, when it did not arrive.
    bool fetchInto(const QString &localPath, const QString &folder, const QString &folderText,
        const TransferEntry &entry, TransferStatus &status);
    // False when the file did not arrive; its red line is written.
    bool downloadAndReport(const QString &localPath, const TransferEntry &entry, TransferStatus &status);
    // The first pass fetches the files selected directly, the second the trees.
    enum class Pass { SelectedFiles, Trees };
    // How many entries of the work list the passes have yet to handle from entry index of pass on.
    int entriesLeft(int index, Pass pass) const;

    std::vector<TransferEntry> m_downloadList;
    QString m_lastError;
};
