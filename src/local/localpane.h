#pragma once
// The frmLocal child window of the main window.

#include <QWidget>

struct AppServices;

class LocalPane : public QWidget
{
    Q_OBJECT
public:
    explicit LocalPane(const AppServices &services, QWidget *parent = nullptr);
    ~LocalPane() override;

public slots:
    // The commands of the "Mein Computer" menu, the context menu and the toolbar.
    void upload();
    void uploadAs();
    void openSelection();
    void openSelectionWith();
    void renameSelection();
    void deleteSelection();
    void newFolder();
    void refresh();
    void showProperties();

private:
    const AppServices &m_services;
};
