#include "transfer/uploaddownloadwindow.h"

#include "app/appservices.h"

UploadDownloadWindow::UploadDownloadWindow(const AppServices &services, QWidget *parent) : QWidget(parent), m_services(services)
{
    setObjectName(QStringLiteral("frmUploadDownload"));
}

UploadDownloadWindow::~UploadDownloadWindow() = default;
