#pragma once
// The frmUploadDownload child window of the main window.

#include <QWidget>

struct AppServices;

class UploadDownloadWindow : public QWidget
{
    Q_OBJECT
public:
    explicit UploadDownloadWindow(const AppServices &services, QWidget *parent = nullptr);
    ~UploadDownloadWindow() override;

private:
    const AppServices &m_services;
};
