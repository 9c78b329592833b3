#pragma once
// The frmServer child window of the main window.

#include <QWidget>

struct AppServices;

class ServerPane : public QWidget
{
    Q_OBJECT
public:
    explicit ServerPane(const AppServices &services, QWidget *parent = nullptr);
    ~ServerPane() override;

public slots:
    // Lists the server's current folder and brings the path box in step.
    void RefreshServerList();
    // Empties the list (a connect attempt starts).
    void clearList();

    // The commands of the "Mein Server" menu, the context menu and the toolbar.
    void download();
    void downloadAs();
    void openSelection();
    void openSelectionWith();
    void renameSelection();
    void deleteSelection();
    void newFolder();
    void refresh();

private:
    const AppServices &m_services;
};
