#pragma once
// The main window's menu bar: every entry with its objectName and its catalogue caption.

#include <QString>

#include <array>

class QAction;
class QMenu;
class QMenuBar;

class MainMenu {
public:
    // The entries that carry a command.
    enum class Command {
        FileExit,
        Connect,
        ClearRecentServers,
        TransferAscii,
        TransferBinary,
        TransferAuto,
        PassiveOn,
        PassiveOff,
        AsciiList,
        LocalUpload,
        LocalUploadAs,
        LocalOpen,
        LocalOpenWith,
        LocalRename,
        LocalDelete,
        LocalNewFolder,
        LocalRefresh,
        LocalProperties,
        ServerDownload,
        ServerDownloadAs,
        ServerOpen,
        ServerOpenWith,
        ServerRename,
        ServerDelete,
        ServerNewFolder,
        ServerRefresh,
        InfoHomepage,
        InfoInfo,
        Count
    };

    // Fills bar with the whole menu tree.
    explicit MainMenu(QMenuBar *bar);

    QAction *action(Command command) const { return m_actions[static_cast<int>(command)]; }
    QMenu *serverMenu() const { return m_serverMenu; }

private:
    QAction *add(QMenu *menu, Command command, const char *name, const QString &caption);

    std::array<QAction *, static_cast<int>(Command::Count)> m_actions {};
    QMenu *m_serverMenu = nullptr;
};
