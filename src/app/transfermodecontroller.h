#pragma once
// Keeps the transfer mode box, the three mode menu entries and the session's transfer type in
// step, and opens the ASCII extension list from the menu and the connection bar.

#include <QObject>

class ConnectionBarWidget;
class HistoryWindow;
class MainMenu;
class Prompts;
class Session;

class TransferModeController : public QObject {
    Q_OBJECT
public:
    // The modes in the order of the mode box's entries.
    enum class Mode { Ascii, Binary, Automatic };

    // Expects the mode box filled with its three entries; starts in automatic mode.
    TransferModeController(MainMenu &menu, ConnectionBarWidget &bar, HistoryWindow &history, Session &session,
        Prompts &prompts, QObject *parent = nullptr);

public slots:
    // What the mode's menu entry does: sets the session's type, the check mark and the box.
    void selectMode(Mode mode);
    // Shows the ASCII extension list modally.
    void showAsciiList();

private:
    void modeBoxActivated(int index);

    MainMenu &m_menu;
    ConnectionBarWidget &m_bar;
    HistoryWindow &m_history;
    Session &m_session;
    Prompts &m_prompts;
};
