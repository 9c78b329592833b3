#pragma once
// The history window frmTransferHistory: the coloured, append-only log along the bottom of the
// main window, with its copy/clear pop-up menu.

#include "core/historylog.h"

#include <QWidget>

class QAction;
class QGroupBox;
class QMenu;
class QTextEdit;

class HistoryWindow : public QWidget, public HistoryLog {
    Q_OBJECT
public:
    explicit HistoryWindow(QWidget *parent = nullptr);

    void appendLine(const QString &text, Colour colour = Colour::Black) override;
    void clear() override;
    QString plainText() const override;

    // Puts the caret at the end of the log.
    void ScrollHistoryToEnd();
    // Puts the log on the clipboard as plain text and as RTF with its colours.
    void copyToClipboard() const;

private:
    void showPopUp(const QPoint &position);

    QGroupBox *m_frame = nullptr;
    QTextEdit *m_log = nullptr;
    QMenu *m_popUp = nullptr;
};
