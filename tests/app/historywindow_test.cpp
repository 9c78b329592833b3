#include "app/historywindow.h"
#include "core/textcatalogue.h"
#include "support/englishcatalogue.h"
#include "widgets/rtfreader.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

namespace {

using Colour = HistoryLog::Colour;

class HistoryWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
        m_window = std::make_unique<HistoryWindow>();
        m_log = m_window->findChild<QTextEdit *>(QStringLiteral("rtfTransferHistory"));
        ASSERT_NE(m_log, nullptr);
    }

    // The colour of the text of line (0-based) as the document holds it.
    QColor colourOfLine(int line) const
    {
        const QTextBlock block = m_log->document()->findBlockByNumber(line);
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::NextCharacter);
        return cursor.charFormat().foreground().color();
    }

    // Lets the event loop run until the document holds lines lines (and the empty block after
    // the last line end): queued lines arrive shortly, not at once.
    bool waitForLines(int lines) const
    {
        return QTest::qWaitFor([&] { return m_log->document()->blockCount() == lines + 1; });
    }

    std::unique_ptr<HistoryWindow> m_window;
    QTextEdit *m_log = nullptr;
};

TEST_F(HistoryWindowTest, EachLineKeepsItsOwnColour)
{
    const struct {
        const char *text;
        std::optional<Colour> colour;
        QColor expected;
    } lines[]
        = { { "Connecting ...", std::nullopt, QColor(0, 0, 0) }, { "Connected", Colour::Green, QColor(0, 200, 0) },
              { "Listing", Colour::Black, QColor(0, 0, 0) }, { "Failed", Colour::Red, QColor(200, 0, 0) },
              { "Passive on", Colour::Blue, QColor(0, 0, 200) }, { "Neutral again", std::nullopt, QColor(0, 0, 0) } };
    for (const auto &line : lines) {
        const QString text = QString::fromLatin1(line.text) + QStringLiteral("\r\n");
        if (line.colour)
            m_window->appendLine(text, *line.colour);
        else
            m_window->appendLine(text);
    }
    EXPECT_EQ(m_window->plainText(),
        QStringLiteral("Connecting ...\nConnected\nListing\nFailed\nPassive on\nNeutral again\n"));
    for (int i = 0; i < int(std::size(lines)); ++i)
        EXPECT_EQ(colourOfLine(i), lines[i].expected) << lines[i].text;
    // The colour covers the whole line, not only its first character.
    QTextCursor cursor(m_log->document()->findBlockByNumber(1));
    cursor.movePosition(QTextCursor::EndOfBlock);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(0, 200, 0));
}

TEST_F(HistoryWindowTest, LinesLandAtTheEndWhereverTheCaretIs)
{
    m_window->appendLine(QStringLiteral("first\r\n"));
    m_window->appendLine(QStringLiteral("second\r\n"), Colour::Green);
    // The user moves the caret from the event loop, which puts the queued lines in meanwhile.
    ASSERT_TRUE(waitForLines(2));
    QTextCursor middle(m_log->document());
    middle.setPosition(3);
    m_log->setTextCursor(middle);

    m_window->appendLine(QStringLiteral("third\r\n"), Colour::Red);
    EXPECT_EQ(m_window->plainText(), QStringLiteral("first\nsecond\nthird\n"));
    EXPECT_EQ(colourOfLine(0), QColor(0, 0, 0));
    EXPECT_EQ(colourOfLine(2), QColor(200, 0, 0));
    EXPECT_EQ(m_log->textCursor().position(), m_log->document()->characterCount() - 1);

    m_log->setTextCursor(middle);
    m_window->ScrollHistoryToEnd();
    EXPECT_EQ(m_log->textCursor().position(), m_log->document()->characterCount() - 1);
}

TEST_F(HistoryWindowTest, ClearEmptiesTheLogFromThePopUp)
{
    m_window->appendLine(QStringLiteral("something\r\n"), Colour::Red);
    m_window->findChild<QAction *>(QStringLiteral("mnuLoeschen"))->trigger();
    EXPECT_TRUE(m_window->plainText().isEmpty());
    m_window->appendLine(QStringLiteral("after\r\n"));
    EXPECT_EQ(m_window->plainText(), QStringLiteral("after\n"));
    EXPECT_EQ(colourOfLine(0), QColor(0, 0, 0));
}

TEST_F(HistoryWindowTest, CopyPutsPlainTextAndRtfOnTheClipboard)
{
    m_window->appendLine(QStringLiteral("Verbinde mit ftp.example.org ...\r\n"));
    m_window->appendLine(QStringLiteral("Übertragung fehlgeschlagen\r\n"), Colour::Red);
    m_window->findChild<QAction *>(QStringLiteral("mnuClipboard"))->trigger();

    const QMimeData *data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->text(), m_window->plainText());
    ASSERT_TRUE(data->hasFormat(QStringLiteral("text/rtf")));
    QTextDocument pasted;
    ASSERT_TRUE(RtfReader::read(data->data(QStringLiteral("text/rtf")), &pasted));
    EXPECT_EQ(pasted.toPlainText(), m_window->plainText());
    QTextCursor cursor(pasted.findBlockByNumber(1));
    cursor.movePosition(QTextCursor::NextCharacter);
    EXPECT_EQ(cursor.charFormat().foreground().color(), QColor(200, 0, 0));
}

TEST_F(HistoryWindowTest, RightClickOpensThePopUpLeftClickDoesNot)
{
    m_window->resize(500, 150);
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    auto *popUp = m_window->findChild<QMenu *>(QStringLiteral("frmPopUpfrmTransferHistory"));
    ASSERT_NE(popUp, nullptr);
    const auto *copy = m_window->findChild<QAction *>(QStringLiteral("mnuClipboard"));
    EXPECT_EQ(popUp->defaultAction(), copy);
    EXPECT_TRUE(copy->font().bold());
    EXPECT_EQ(copy->text(), TextCatalogue::instance().text(QStringLiteral("FRMPU_TRANS_CLIP")));

    QTest::mouseClick(m_log->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_FALSE(popUp->isVisible());

    QContextMenuEvent rightClick(
        QContextMenuEvent::Mouse, QPoint(20, 20), m_log->viewport()->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(m_log->viewport(), &rightClick);
    EXPECT_TRUE(popUp->isVisible());
    popUp->hide();
}

TEST_F(HistoryWindowTest, LinesQueuedInOneTurnArriveInOrderWithTheirColours)
{
    const Colour colours[] = { Colour::Black, Colour::Green, Colour::Red, Colour::Blue };
    const QColor expected[] = { QColor(0, 0, 0), QColor(0, 200, 0), QColor(200, 0, 0), QColor(0, 0, 200) };
    constexpr int lines = 300;
    for (int i = 0; i < lines; ++i)
        m_window->appendLine(QStringLiteral("line %1\r\n").arg(i), colours[i % 4]);
    ASSERT_TRUE(waitForLines(lines));

    const QTextDocument *document = m_log->document();
    for (int i = 0; i < lines; ++i) {
        EXPECT_EQ(document->findBlockByNumber(i).text(), QStringLiteral("line %1").arg(i));
        EXPECT_EQ(colourOfLine(i), expected[i % 4]) << i;
    }
    // A line after the batch starts a new one and keeps its own colour.
    m_window->appendLine(QStringLiteral("after\r\n"), Colour::Green);
    ASSERT_TRUE(waitForLines(lines + 1));
    EXPECT_EQ(colourOfLine(lines), QColor(0, 200, 0));
    EXPECT_TRUE(m_window->plainText().endsWith(QStringLiteral("line 299\nafter\n")));
}

TEST_F(HistoryWindowTest, ReadingClearingAndCopyingSeeLinesStillQueued)
{
    m_window->appendLine(QStringLiteral("one\r\n"));
    m_window->appendLine(QStringLiteral("two\r\n"), Colour::Red);
    EXPECT_EQ(m_window->plainText(), QStringLiteral("one\ntwo\n"));

    m_window->appendLine(QStringLiteral("three\r\n"), Colour::Blue);
    m_window->copyToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("one\ntwo\nthree\n"));

    // A clear takes the queued lines with it: none turns up in the empty log later.
    m_window->appendLine(QStringLiteral("four\r\n"));
    m_window->clear();
    m_window->appendLine(QStringLiteral("five\r\n"));
    ASSERT_TRUE(waitForLines(1));
    EXPECT_EQ(m_window->plainText(), QStringLiteral("five\n"));
    m_window->clear();
    EXPECT_TRUE(m_log->document()->isEmpty());
    EXPECT_TRUE(m_window->plainText().isEmpty());
}

TEST_F(HistoryWindowTest, TheLogShowsItsLastLineAfterABatch)
{
    m_window->resize(500, 150);
    m_window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    for (int i = 0; i < 200; ++i)
        m_window->appendLine(QStringLiteral("entry %1\r\n").arg(i), i % 2 ? Colour::Green : Colour::Black);
    ASSERT_TRUE(waitForLines(200));

    const QScrollBar *bar = m_log->verticalScrollBar();
    // Scrolled down as far as the last line needs: the caret's line, not the document margin.
    EXPECT_GT(bar->value(), bar->maximum() / 2);
    EXPECT_TRUE(m_log->textCursor().atEnd());
    const QRect lastLine = m_log->cursorRect(QTextCursor(m_log->document()->findBlockByNumber(199)));
    EXPECT_TRUE(m_log->viewport()->rect().intersects(lastLine));
}

} // namespace
