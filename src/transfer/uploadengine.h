#pragma once
// Uploads what the local pane has selected into the server's current folder: files directly,
// folders with their whole tree, creating the server folders on the way.

#include "session/ftpconnection.h"
#include "transfer/transferengine.h"
#include "transfer/transferitem.h"

#include <QList>
#include <QSet>

#include <vector>

class QFile;
class TransferStatus;

class UploadEngine : public TransferEngine
{
public:
    // The toolbar, main menu and button strip upload, or the local context menu's, which says
    // more about the folders it walks and shows the progress bar only while it runs.
    enum class Variant { Selection, ContextMenu };

    using TransferEngine::TransferEngine;

    // Uploads the selected local rows of sourceFolder (a local folder path) into the server's
    // current folder, then lists that folder in the server pane.
    void UploadSelection(
        const QList<TransferItem> &selection, const QString &sourceFolder, Variant variant = Variant::Selection);

    // Sends one local file under remoteName into the server's current folder and writes the
    // result line; false when the file could not be read, sent or completed, or the server
    // stored another size. A file of that name on the server is replaced only by a complete
    // upload (through a temporary name and a rename), where the server allows it; what a failed
    // upload of a new file left is removed. inNewFolder: the server's current folder was made
    // by this run, so no file can be in the way and the server is not asked for one.
    bool UploadFile(const QString &localPath, const QString &remoteName, TransferStatus *status = nullptr,
        bool inNewFolder = false);

    // The work list of the last run, in order (folders before their contents).
    const std::vector<TransferEntry> &uploadList() const { return m_uploadList; }

private:
    // Appends the entries of the local folder (no closing "/") and of all folders below it;
    // lets the window's events run on the way and ends early at a Stop.
    void CollectLocalFolder(const QString &folder);
    // Enters the folder of the entry's relative folder names below the start folder, creating
    // each one this run has not met yet, name by name, and reaching the others in one step;
    // false, after its red line, when a folder cannot be entered.
    bool enterEntryFolder(const QStringList &names, const QString &start, Variant variant);
    // How one STOR ended: Refused means the server turned the name down before any byte.
    enum class Outcome { Done, Refused, Failed };
    struct Sent {
        Outcome outcome;
        QString reason;
    };
    // The file's size bytes under remoteName, aborted at a local read error or a short read,
    // checked with the server's SIZE in binary type; writes no line.
    Sent sendFile(
        QFile &file, qint64 size, const QString &remoteName, FtpConnection::TransferType type, TransferStatus *status);
    // RNFR/RNTO of the complete temporary file onto remoteName, or DELE and RNTO where the
    // server does not rename onto an existing name.
    bool putInPlace(const QString &temporary, const QString &remoteName);
    // DELE of what a failed upload left, or a red line saying it is still there.
    void removeLeftover(const QString &remoteName);
    bool succeed();
    bool failUpload(const QString &reason);

    std::vector<TransferEntry> m_uploadList;
    QSet<QString> m_visitedLocalFolders; // canonical paths: a link back up must not loop forever
    QSet<QString> m_knownServerFolders; // relative paths this run created or entered
    QSet<QString> m_createdServerFolders; // relative paths this run created, empty when made
};
