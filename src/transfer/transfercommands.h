#pragma once
// The window's transfer commands: reads both panes' selections, runs the download and upload
// engines as one busy run, and lends the engines the window's reconnect, connection watch,
// panes and status line.

#include "transfer/transferhost.h"
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
    // Lists folder into the local pane's file list.
    void ViewLocalFolder(const QString &folder);

    bool ReconnectFtp() override;
    void setConnectionWatchEnabled(bool enabled) override;
    void refreshServerList() override;
    void showLocalFolder(const QString &folder) override;
    void showStatus(const QString &text) override;

private:
    const AppServices &m_services;
    ConnectionController &m_controller;
    LocalPane &m_local;
    ServerPane &m_server;
    QLabel &m_statusLine;
};
