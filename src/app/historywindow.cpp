#include "app/historywindow.h"

#include "core/textcatalogue.h"
#include "widgets/rtfwriter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QGroupBox>
#include <QMenu>
#include <QMimeData>
#include <QTextCursor>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

QFont logFont()
{
    // Arial where it is installed, else the desktop's own sans-serif at the same size.
    QFont font = QFontDatabase::hasFamily(QStringLiteral("Arial"))
        ? QFont(QStringLiteral("Arial"))
        : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(8.25);
    return font;
}

// Queued lines wait at most this long: a batch per event-loop turn still meant a repaint per
// entry while an engine lets events run after every entry.
constexpr int flushIntervalMs = 40;

} // namespace

HistoryWindow::HistoryWindow(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("frmTransferHistory"));

    m_frame = new QGroupBox(text("FRMTH_FRACAPTION"), this);
    m_frame->setObjectName(QStringLiteral("fraTransferHistory"));

    m_log = new QTextEdit(m_frame);
    m_log->setObjectName(QStringLiteral("rtfTransferHistory"));
    // The program never reads the log back except as a whole, so the user only reads it.
    m_log->setReadOnly(true);
    m_log->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_log->setFont(logFont());
    m_log->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_log, &QWidget::customContextMenuRequested, this, &HistoryWindow::showPopUp);

    auto *frameLayout = new QVBoxLayout(m_frame);
    frameLayout->setContentsMargins(4, 2, 4, 4);
    frameLayout->addWidget(m_log);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(m_frame);

    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(flushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, [this] { flushPendingLines(); });

    m_popUp = new QMenu(this);
    m_popUp->setObjectName(QStringLiteral("frmPopUpfrmTransferHistory"));
    QAction *copy = m_popUp->addAction(text("FRMPU_TRANS_CLIP"), this, &HistoryWindow::copyToClipboard);
    copy->setObjectName(QStringLiteral("mnuClipboard"));
    QFont bold = copy->font();
    bold.setBold(true);
    copy->setFont(bold);
    m_popUp->setDefaultAction(copy);
    m_popUp->addSeparator()->setObjectName(QStringLiteral("mnuTrennlinie1"));
    QAction *remove = m_popUp->addAction(text("FRMPU_TRANS_DELETE"), this, &HistoryWindow::clear);
    remove->setObjectName(QStringLiteral("mnuLoeschen"));
}

void HistoryWindow::ScrollHistoryToEnd()
{
    flushPendingLines();
    m_log->moveCursor(QTextCursor::End);
}

void HistoryWindow::appendLine(const QString &line, Colour colour)
{
    // An insert, a layout, a scroll and a repaint per line would cost an engine that logs
    // thousands of lines more than its server does. The flush takes whatever came in a short
    // while, too short for the eye to notice.
    if (!m_flushTimer.isActive())
        m_flushTimer.start();
    m_pendingLines.push_back({ line, colour });
}

void HistoryWindow::flushPendingLines() const
{
    if (m_pendingLines.empty())
        return;
    QTextCursor cursor(m_log->document());
    cursor.movePosition(QTextCursor::End);
    // One edit block: the document lays out and announces the change once, not once per line.
    cursor.beginEditBlock();
    for (const PendingLine &line : m_pendingLines) {
        // A format of its own for every insert: the colour covers this line and nothing after it.
        QTextCharFormat format;
        format.setForeground(QColor::fromRgb(static_cast<QRgb>(line.colour)));
        cursor.insertText(line.text, format);
    }
    cursor.endEditBlock();
    m_pendingLines.clear();
    m_flushTimer.stop();
    m_log->setTextCursor(cursor);
    m_log->ensureCursorVisible();
}

void HistoryWindow::clear()
{
    m_pendingLines.clear();
    m_flushTimer.stop();
    m_log->clear();
}

QString HistoryWindow::plainText() const
{
    flushPendingLines();
    return m_log->toPlainText();
}

void HistoryWindow::copyToClipboard() const
{
    flushPendingLines();
    auto *data = new QMimeData;
    data->setText(m_log->toPlainText());
    const QByteArray rtf = RtfWriter::write(*m_log->document());
    data->setData(QStringLiteral("text/rtf"), rtf);
    data->setData(QStringLiteral("application/rtf"), rtf);
    QApplication::clipboard()->setMimeData(data);
}

void HistoryWindow::showPopUp(const QPoint &position)
{
    m_popUp->popup(m_log->viewport()->mapToGlobal(position));
}
