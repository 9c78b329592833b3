#pragma once
// The window's transfer commands: reads both panes' selections, runs the download and upload
// engines as one busy run, and lends the engines the window's reconnect, connection watch,
// panes and status line.

#include "transfer/transferhost.h"
#include "transfer/transferitem.h"
#include "transfer/uploadengine.h"

#include <QObject>

class ConnectionController;
class LocalPane;
class QLabel;
class ServerPane;
struct AppServices;

class TransferCommands : public QObject, public TransferHost {
    Q_OBJECT
public:
    TransferCommands(const AppServices &services, ConnectionController &controller, LocalPane &local,
        ServerPane &server, QLabel &statusLine, QObject *parent = nullptr);
    ~TransferCommands() override;

    // The server selection into the local tree's folder; reconnectAfter as the server toolbar,
    // the main menu and the button strip do it.
    void download(bool reconnectAfter);
    // The main menu's and the button strip's download: says so when there is no connection.
    void downloadIfConnected();
    // The local selection into the server's current folder.
    void upload(UploadEngine::Variant variant);
    // The one file selected in the server pane into the local tree's folder, under the name the
    // download-as dialog asks for.
    void downloadAs();
    // The one file selected in the local pane into the server's current folder, under the name
    // the upload-as dialog asks for.
    void uploadAs();
    // Server rows dropped on the local pane: downloaded into localFolder as the button strip
    // downloads a selection, once the drop has ended. Refused, with the busy message, while a run
    // is under way.
    void downloadDropped(const TransferSelection &entries, const QString &localFolder);
    // Local files dropped on the server pane: uploaded into serverFolder (empty: where the server
    // is) as the button strip uploads a selection, once the drop has ended; refused while busy.
    void uploadDropped(const QList<TransferSelection> &files, const QString &serverFolder);
    // Lists folder into the local pane's file list.
    void ViewLocalFolder(const QString &folder);

    bool ReconnectFtp() override;
    void setConnectionWatchEnabled(bool enabled) override;
    void refreshServerList() override;
    void showLocalFolder(const QString &folder) override;
    void showStatus(const QString &text) override;

private:
    // The strip's download of entries into targetFolder; from the folder the entries name when
    // the server has moved on since they were listed.
    void downloadEntries(const TransferSelection &entries, const QString &targetFolder, bool reconnectAfter);
    // The strip's upload of each group into serverFolder (empty: where the server is).
    void uploadFiles(const QList<TransferSelection> &files, const QString &serverFolder, UploadEngine::Variant variant);
    // A drop's run waits until the drop has ended: the desktop's drag must not hang on it.
    // False, after saying so, while another run holds the session or without a connection.
    bool mayRunDrop();

    const AppServices &m_services;
    ConnectionController &m_controller;
    LocalPane &m_local;
    ServerPane &m_server;
    QLabel &m_statusLine;
};
