#include "transfer/uploaddownloadwindow.h"

#include "core/textcatalogue.h"
#include "widgets/toolbaricons.h"

#include <QAction>
#include <QToolBar>

UploadDownloadWindow::UploadDownloadWindow(QWidget *parent)
    : QWidget(parent)
    , m_upload(new QToolBar(this))
    , m_download(new QToolBar(this))
{
    setObjectName(QStringLiteral("frmUploadDownload"));
    m_upload->setObjectName(QStringLiteral("tlbUpload"));
    m_download->setObjectName(QStringLiteral("tlbDownload"));
    for (QToolBar *bar : { m_upload, m_download }) {
        bar->setOrientation(Qt::Vertical);
        // As large as the strip's width allows.
        bar->setIconSize(QSize(20, 20));
    }
    // The upload arrow points from the local pane on the left to the server on the right.
    const struct {
        QToolBar *bar;
        const char *key;
        ToolBarIcon icon;
        const char *toolTipKey;
        void (UploadDownloadWindow::*clicked)();
    } buttons[] = {
        { m_upload, "upload", ToolBarIcon::UploadToTheRight, "FRMLOCAL_UPLOAD", &UploadDownloadWindow::uploadClicked },
        { m_download, "del", ToolBarIcon::DownloadToTheLeft, "FRMSERVER_DOWN", &UploadDownloadWindow::downloadClicked },
    };
    for (const auto &button : buttons) {
        const QString toolTip = text(button.toolTipKey);
        QAction *action = button.bar->addAction(toolBarIcon(button.icon), toolTip);
        action->setObjectName(QLatin1String(button.key));
        action->setToolTip(toolTip);
        action->setStatusTip(toolTip);
        connect(action, &QAction::triggered, this, button.clicked);
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
