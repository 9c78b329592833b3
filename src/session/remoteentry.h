#pragma once
// One entry of a server folder listing, as the FTP layer parsed it.

#include <QDateTime>
#include <QString>

struct RemoteEntry {
    enum Attribute : quint32 { ReadOnly = 0x1, Hidden = 0x2, Folder = 0x10, Normal = 0x80 };

    QString name;
    bool isFolder = false;
    qint64 size = 0;
    QDateTime lastWrite; // UTC
    quint32 attributes = Normal;
};
