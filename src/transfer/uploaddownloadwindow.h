#pragma once
// The frmUploadDownload child window of the main window: the narrow strip between the panes
// with one upload and one download toolbar around its middle.

#include <QWidget>

class QToolBar;

class UploadDownloadWindow : public QWidget {
    Q_OBJECT
public:
    explicit UploadDownloadWindow(QWidget *parent = nullptr);
    ~UploadDownloadWindow() override;

    // Puts the upload toolbar just above the middle and the download toolbar one toolbar
    // height below it.
    void layoutToolbars();

signals:
    void uploadClicked();
    void downloadClicked();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QToolBar *m_upload = nullptr;
    QToolBar *m_download = nullptr;
};
