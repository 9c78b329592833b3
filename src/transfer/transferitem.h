#pragma once
// The plain records the transfer engines work with: what a pane has selected, and one entry of a
// run's work list.

#include <QList>
#include <QString>

// A selected row of a pane.
struct TransferItem {
    QString name; // exactly as the listing gives it
    bool isFolder = false;
    qint64 size = -1; // bytes; -1 when the listing gave none

    bool operator==(const TransferItem &) const = default;
};

// Rows of one folder, as a pane's selection or a drag carries them.
struct TransferSelection {
    QString folder; // with a closing "/"; empty: wherever the pane is
    QList<TransferItem> items;
};

// One entry of a download or upload work list. A folder entry has an empty name and a path that
// ends in "/"; a file entry names the file and the folder that holds it.
struct TransferEntry {
    QString name;
    QString path;
    quint32 attributes = 0;
    qint64 size = -1;

    bool isFolder() const { return name.isEmpty(); }
};
