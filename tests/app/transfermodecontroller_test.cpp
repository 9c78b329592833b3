#include "app/connectionbarwidget.h"
#include "app/historywindow.h"
#include "app/mainmenu.h"
#include "app/transfermodecontroller.h"
#include "core/textcatalogue.h"
#include "session/session.h"
#include "support/englishcatalogue.h"
#include "support/scriptedprompts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using Command = MainMenu::Command;
using Mode = TransferModeController::Mode;
using Type = FtpConnection::TransferType;

struct ModeCase {
    Mode mode;
    Command entry;
    Type type;
    bool automatic;
};

const ModeCase modes[] = {
    { Mode::Ascii, Command::TransferAscii, Type::Ascii, false },
    { Mode::Binary, Command::TransferBinary, Type::Binary, false },
    { Mode::Automatic, Command::TransferAuto, Type::Binary, true },
};

class TransferModeControllerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
        // The dialog reads the user's list; test mode keeps the real config folder out of it.
        QStandardPaths::setTestModeEnabled(true);
        // Filled as the main window fills it.
        box()->addItems({ text("OPT_ASCII"), text("OPT_BINARY"), text("OPT_AUTO") });
        box()->setCurrentIndex(2);
        m_history.appendLine(QStringLiteral("Welcome\r\n"));
        m_controller = std::make_unique<TransferModeController>(m_menu, m_bar, m_history, m_session, m_prompts);
    }

    QComboBox *box() const { return m_bar.transferModeBox(); }
    QTextEdit *log() const { return m_history.findChild<QTextEdit *>(QStringLiteral("rtfTransferHistory")); }

    // Chooses index in the box with the keyboard, as the user does.
    void choose(int index)
    {
        if (box()->currentIndex() == index) {
            box()->setCurrentIndex(index == 0 ? 1 : index - 1);
        }
        while (box()->currentIndex() != index)
            QTest::keyClick(box(), box()->currentIndex() < index ? Qt::Key_Down : Qt::Key_Up);
    }

    QList<Command> checkedEntries() const
    {
        QList<Command> checked;
        for (const ModeCase &mode : modes) {
            if (m_menu.action(mode.entry)->isChecked())
                checked.append(mode.entry);
        }
        return checked;
    }

    void expectMode(const ModeCase &mode) const
    {
        EXPECT_EQ(box()->currentIndex(), static_cast<int>(mode.mode));
        EXPECT_EQ(checkedEntries(), QList<Command> { mode.entry });
        EXPECT_EQ(m_session.transferType(), mode.type);
        EXPECT_EQ(m_session.isAutomaticMode(), mode.automatic);
    }

    QMenuBar m_menuBar;
    MainMenu m_menu { &m_menuBar };
    ConnectionBarWidget m_bar;
    HistoryWindow m_history;
    Session m_session;
    ScriptedPrompts m_prompts;
    std::unique_ptr<TransferModeController> m_controller;
};

TEST_F(TransferModeControllerTest, StartsInAutomaticMode)
{
    m_session.setTransferType(Type::Ascii);
    TransferModeController controller(m_menu, m_bar, m_history, m_session, m_prompts);
    expectMode(modes[2]);
}

TEST_F(TransferModeControllerTest, MenuEntryMovesTheBoxAndTheCheckMark)
{
    for (const ModeCase &mode : { modes[0], modes[1], modes[2], modes[0] }) {
        SCOPED_TRACE(static_cast<int>(mode.mode));
        m_menu.action(mode.entry)->trigger();
        expectMode(mode);
    }
}

TEST_F(TransferModeControllerTest, BoxChoiceRunsTheMenuEntry)
{
    for (const ModeCase &mode : { modes[0], modes[1], modes[2], modes[0] }) {
        SCOPED_TRACE(static_cast<int>(mode.mode));
        choose(static_cast<int>(mode.mode));
        expectMode(mode);
    }
}

TEST_F(TransferModeControllerTest, AsciiEntryScrollsTheLogToItsEnd)
{
    log()->moveCursor(QTextCursor::Start);
    m_menu.action(Command::TransferAscii)->trigger();
    EXPECT_TRUE(log()->textCursor().atEnd());
}

// The box's own handler would see the empty log and set binary: the menu entry must not run it.
TEST_F(TransferModeControllerTest, MenuEntryAfterAClearedLogStillSetsItsType)
{
    m_history.clear();
    m_menu.action(Command::TransferAscii)->trigger();
    expectMode(modes[0]);
}

TEST_F(TransferModeControllerTest, BoxAfterAClearedLogOnlySetsBinary)
{
    m_menu.action(Command::TransferAscii)->trigger();
    m_history.clear();
    choose(static_cast<int>(Mode::Binary));
    EXPECT_EQ(m_session.transferType(), Type::Binary);
    EXPECT_EQ(checkedEntries(), QList<Command> { Command::TransferAscii });

    m_menu.action(Command::TransferAuto)->trigger();
    m_history.appendLine(QStringLiteral(" \r\n"));
    choose(static_cast<int>(Mode::Ascii));
    EXPECT_EQ(m_session.transferType(), Type::Binary);
    EXPECT_FALSE(m_session.isAutomaticMode());
    EXPECT_EQ(checkedEntries(), QList<Command> { Command::TransferAuto });
}

TEST_F(TransferModeControllerTest, MenuAndToolbarOpenTheAsciiList)
{
    for (QAction *action : { m_menu.action(Command::AsciiList), m_bar.asciiListAction() }) {
        SCOPED_TRACE(qPrintable(action->objectName()));
        QString opened;
        QTimer::singleShot(0, [&opened] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            opened = dialog->objectName();
            if (auto *cancel = dialog->findChild<QPushButton *>(QStringLiteral("cmdAbbrechen")))
                cancel->click();
        });
        action->trigger();
        // Lets the timer run here even when no dialog opened.
        QApplication::processEvents();
        EXPECT_EQ(opened, QStringLiteral("frmASCIIListe"));
    }
}

} // namespace
