#pragma once
// The main window mdiMain: connection bar, menus, progress bar and the four child windows it
// places itself (local pane left, button strip, server pane right, history log at the bottom).

#include "core/appservices.h"
#include "session/session.h"
#include "widgets/busycursor.h"

#include <QMainWindow>

#include <memory>
#include <optional>

class ConnectionBarWidget;
class ConnectionController;
class HistoryWindow;
class LocalPane;
class MainMenu;
class ProgressBar;
class QLabel;
class Prompts;
class ServerPane;
class TransferCommands;
class TransferModeController;
class UploadDownloadWindow;
class WidgetPrompts;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // Asks the user through real dialogs.
    explicit MainWindow(QWidget *parent = nullptr);
    // Asks through prompts (tests answer from a script).
    explicit MainWindow(Prompts &prompts, QWidget *parent = nullptr);
    ~MainWindow() override;

    Session &session() { return m_session; }
    const AppServices &services() const { return m_services; }
    HistoryWindow *historyWindow() const { return m_history; }
    ConnectionController *connectionController() const { return m_controller; }

    // The layout procedures: place one child window from the main window's outer size.
    void LayoutHistoryWindow();
    void LayoutLocalWindow();
    void LayoutButtonWindow();
    void LayoutServerWindow();

    // Twips the frame keeps above and below the panes (bars, borders, the history's gap),
    // measured from the real heights.
    int frameReserveTwips() const;

    // Connects to an ftp://, ftpes:// or ftps:// link and shows its folder, or its file's folder
    // with the file selected; a link that cannot be opened is explained in a message.
    void openLink(const QString &link);

public slots:
    // Cancels the command or transfer under way.
    void stopRun();
    // Opens the product's home page in the desktop's web browser.
    void openHomePage();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    MainWindow(Prompts *prompts, QWidget *parent);
    void createChildWindows();
    void connectCommands();
    void layoutChildWindows();
    // The size of the last run, else most of the screen.
    void restoreWindowSize();
    void setBusy(bool busy);
    void appendWelcomeLine();
    int outerWidthTwips() const;
    int outerHeightTwips() const;
    int paneHeightTwips() const;
    int paneWidthTwips() const;

    std::unique_ptr<WidgetPrompts> m_widgetPrompts;
    Prompts &m_prompts;
    Session m_session;
    HistoryWindow *m_history;
    ProgressBar *m_progress;
    AppServices m_services;
    std::unique_ptr<MainMenu> m_menu;
    ConnectionBarWidget *m_bar = nullptr;
    QWidget *m_clientArea = nullptr;
    LocalPane *m_local = nullptr;
    UploadDownloadWindow *m_buttons = nullptr;
    ServerPane *m_server = nullptr;
    ConnectionController *m_controller = nullptr;
    QLabel *m_transferStatus = nullptr;
    TransferCommands *m_transfers = nullptr;
    TransferModeController *m_transferMode = nullptr;
    std::optional<BusyCursor> m_busyCursor;
    bool m_closePending = false;
};
