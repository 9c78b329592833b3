#include "app/transfermodecontroller.h"

#include "app/asciilistdialog.h"
#include "app/connectionbarwidget.h"
#include "app/historywindow.h"
#include "app/mainmenu.h"
#include "session/session.h"
#include "transfer/asciilist.h"

#include <QAction>
#include <QComboBox>

namespace {

MainMenu::Command menuEntry(TransferModeController::Mode mode)
{
    switch (mode) {
    case TransferModeController::Mode::Ascii:
        return MainMenu::Command::TransferAscii;
    case TransferModeController::Mode::Binary:
        return MainMenu::Command::TransferBinary;
    case TransferModeController::Mode::Automatic:
        break;
    }
    return MainMenu::Command::TransferAuto;
}

} // namespace

TransferModeController::TransferModeController(MainMenu &menu, ConnectionBarWidget &bar, HistoryWindow &history,
    Session &session, Prompts &prompts, QObject *parent)
    : QObject(parent)
    , m_menu(menu)
    , m_bar(bar)
    , m_history(history)
    , m_session(session)
    , m_prompts(prompts)
{
    for (Mode mode : { Mode::Ascii, Mode::Binary, Mode::Automatic })
        connect(m_menu.action(menuEntry(mode)), &QAction::triggered, this, [this, mode] { selectMode(mode); });
    // Only the user's choice arrives here: the box's own setCurrentIndex does not emit
    // activated, so a menu entry selecting its index does not run the box's handler again.
    connect(m_bar.transferModeBox(), &QComboBox::activated, this, &TransferModeController::modeBoxActivated);
    connect(
        m_menu.action(MainMenu::Command::AsciiList), &QAction::triggered, this, &TransferModeController::showAsciiList);
    connect(m_bar.asciiListAction(), &QAction::triggered, this, &TransferModeController::showAsciiList);

    selectMode(Mode::Automatic);
}

void TransferModeController::selectMode(Mode mode)
{
    m_session.setTransferType(
        mode == Mode::Ascii ? FtpConnection::TransferType::Ascii : FtpConnection::TransferType::Binary);
    m_session.setAutomaticMode(mode == Mode::Automatic);
    if (mode == Mode::Ascii)
        m_history.ScrollHistoryToEnd();
    m_menu.action(menuEntry(mode))->setChecked(true);
    m_bar.transferModeBox()->setCurrentIndex(static_cast<int>(mode));
}

void TransferModeController::modeBoxActivated(int index)
{
    if (index < 0 || index > static_cast<int>(Mode::Automatic))
        return;
    // An empty log (after the user cleared it) sets the binary type and leaves the check marks
    // and the menu's mode alone. The box still shows the choice, and the upload follows the
    // box in deciding whether it picks the type per file.
    if (m_history.plainText().trimmed().isEmpty()) {
        m_session.setTransferType(FtpConnection::TransferType::Binary);
        m_session.setAutomaticMode(static_cast<Mode>(index) == Mode::Automatic);
        return;
    }
    selectMode(static_cast<Mode>(index));
}

void TransferModeController::showAsciiList()
{
    AsciiList list = AsciiList::standard();
    AsciiListDialog dialog(m_prompts, list, m_bar.window());
    dialog.exec();
}
