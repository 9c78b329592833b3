#pragma once
// One file downloaded or uploaded under a name the user typed: the start line naming both names,
// the transfer through the engines' own file rules, and the result line.

#include "transfer/transferengine.h"

#include <QString>

class RenamingTransfer : public TransferEngine {
public:
    using TransferEngine::TransferEngine;

    // Fetches remoteName, exactly as the listing gives it, from the server's current folder into
    // targetFolder (a local folder path) under newName; the blanks typed around newName are
    // dropped. expectedSize is the listing's size (-1 when unknown). An existing local file is
    // replaced only by a complete download. A blank newName does nothing and gives false.
    bool downloadAs(
        const QString &remoteName, qint64 expectedSize, const QString &targetFolder, const QString &newName);

    // Sends the local file sourceFolder + localName into the server's current folder as newName
    // (blanks around it dropped) and lists that folder. An empty file, or one that is no plain
    // file, is refused without contacting the server; a blank newName does nothing. False unless
    // the file arrived.
    bool uploadAs(const QString &sourceFolder, const QString &localName, const QString &newName);

    // The fixed line of an upload refused because the local file is empty.
    static QString emptyFileLine();
};
