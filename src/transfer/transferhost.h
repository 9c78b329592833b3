#pragma once
// What the transfer engines need from the window around them, beyond the log, the progress bar
// and the prompts: the connection bar's reconnect, the connection watch, the two panes and the
// status line. Tests implement it over a real server without any widget.

#include <QString>

class TransferHost
{
public:
    virtual ~TransferHost() = default;

    // The connection bar's reconnect: a connection as good as a fresh one from its fields. The
    // live connection stays, in its folder, when it answers, is idle and was made from those
    // fields; otherwise a new login replaces it, in "/". False when that failed (the user has
    // been told).
    virtual bool ReconnectFtp() = 0;
    // The connection watch asks the server every second whether it is still there; it pauses
    // while a file is sent.
    virtual void setConnectionWatchEnabled(bool enabled) = 0;
    // Lists the server's current folder into the server pane.
    virtual void refreshServerList() = 0;
    // Lists folder in the local pane and selects its node in the folder tree.
    virtual void showLocalFolder(const QString &folder) = 0;
    // The status line under the panes; an empty text clears it.
    virtual void showStatus(const QString &text) = 0;
};
