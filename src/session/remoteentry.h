#pragma once
// One entry of a server folder listing, as the FTP layer parsed it.

#include "core/fileattributes.h"

#include <QDateTime>
#include <QString>

struct RemoteEntry {
    QString name;
    bool isFolder = false;
    qint64 size = -1; // bytes; -1 when the listing gave none
    // The time as a clock reads it, kept as UTC so that no zone moves it again: LIST lines give the
    // server's clock, the UTC times of MLSD and EPLF are read on this machine's clock.
    QDateTime lastWrite;
    quint32 attributes = FileAttribute::Normal;
    // A symbolic link ("l" in ls -l, OS.unix=symlink or slink in MLSD). Servers that follow
    // links list one to a folder as a plain folder: isLink false does not prove there is none.
    bool isLink = false;
    QString linkTarget; // as the server gave it ("../real"); empty when unknown
    QString unique; // RFC 3659 "unique" fact: the same object has the same value; empty when none
};
