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

private:
    const AppServices &m_services;
};
