#include "transfer/uploaddownloadwindow.h"

#include "app/appservices.h"

#include <QToolBar>

UploadDownloadWindow::UploadDownloadWindow(const AppServices &services, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
    , m_upload(new QToolBar(this))
    , m_download(new QToolBar(this))
{
    setObjectName(QStringLiteral("frmUploadDownload"));
    m_upload->setObjectName(QStringLiteral("tlbUpload"));
    m_download->setObjectName(QStringLiteral("tlbDownload"));
    for (QToolBar *bar : { m_upload, m_download }) {
        bar->setOrientation(Qt::Vertical);
        bar->setIconSize(QSize(20, 20));
    }
}

UploadDownloadWindow::~UploadDownloadWindow() = default;

void UploadDownloadWindow::layoutToolbars()
{
    const int middle = height() / 2;
    for (QToolBar *bar : { m_upload, m_download })
        bar->resize(width() - 2, bar->sizeHint().height());
    m_upload->move(2, middle - m_upload->height());
    m_download->move(2, middle + m_download->height());
}

void UploadDownloadWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutToolbars();
}
