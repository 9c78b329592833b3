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

private:
    const AppServices &m_services;
};
