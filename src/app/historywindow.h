#pragma once
// The history window frmTransferHistory: the coloured, append-only log along the bottom of the
// main window, with its copy/clear pop-up menu.

#include "core/historylog.h"

#include <QTimer>
#include <QWidget>

#include <vector>

class QAction;
class QGroupBox;
class QMenu;
class QTextEdit;

class HistoryWindow : public QWidget, public HistoryLog {
    Q_OBJECT
public:
    explicit HistoryWindow(QWidget *parent = nullptr);

    // Queues the line; the queue goes into the log once per event-loop turn, or sooner when the
    // log is read, cleared or copied.
    void appendLine(const QString &text, Colour colour = Colour::Black) override;
    void clear() override;
    QString plainText() const override;

    // Puts the caret at the end of the log.
    void ScrollHistoryToEnd();
    // Puts the log on the clipboard as plain text and as RTF with its colours.
    void copyToClipboard() const;

private:
    struct PendingLine {
        QString text;
        Colour colour;
    };

    // Queued lines already belong to the log, so even a reader of the log puts them in first.
    void flushPendingLines() const;
    void showPopUp(const QPoint &position);

    QGroupBox *m_frame = nullptr;
    QTextEdit *m_log = nullptr;
    QMenu *m_popUp = nullptr;
    mutable std::vector<PendingLine> m_pendingLines;
    mutable QTimer m_flushTimer;
};
