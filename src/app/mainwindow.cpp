#include "app/mainwindow.h"

#include "app/connectionbarwidget.h"
#include "app/historywindow.h"
#include "app/mainmenu.h"
#include "app/transfermodecontroller.h"
#include "connection/connectioncontroller.h"
#include "connection/ftplink.h"
#include "connection/passwordkeyring.h"
#include "core/productinfo.h"
#include "core/textcatalogue.h"
#include "info/infodialog.h"
#include "local/localpane.h"
#include "local/shelllauncher.h"
#include "server/serverpane.h"
#include "transfer/transfercommands.h"
#include "transfer/uploaddownloadwindow.h"
#include "widgets/progressbar.h"
#include "widgets/widgetprompts.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Window positions are reckoned in twips, as the layout rules are written: 15 twips per pixel.
constexpr int TwipsPerPixel = 15;
// The history window keeps this height; the panes take what is left.
constexpr int HistoryHeightTwips = 2010;
constexpr int ButtonStripTwips = 400;
// The window's size at its last close, for the next start.
const QString WindowSizeKey = QStringLiteral("window/size");

// The window's own settings beside the user's ASCII list, in the program's config folder.
QSettings windowSettings()
{
    return QSettings(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/window.conf"),
        QSettings::IniFormat);
}

int toPixels(int twips)
{
    return qRound(double(twips) / TwipsPerPixel);
}

// Converting both edges keeps neighbouring windows flush despite rounding.
void place(QWidget *window, int left, int top, int width, int height)
{
    const int x = toPixels(left);
    const int y = toPixels(top);
    window->setGeometry(x, y, toPixels(left + width) - x, toPixels(top + height) - y);
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(nullptr, parent)
{
}

MainWindow::MainWindow(Prompts &prompts, QWidget *parent)
    : MainWindow(&prompts, parent)
{
}

MainWindow::MainWindow(Prompts *prompts, QWidget *parent)
    : QMainWindow(parent)
    , m_widgetPrompts(prompts ? nullptr : std::make_unique<WidgetPrompts>(this))
    , m_prompts(prompts ? *prompts : *m_widgetPrompts)
    , m_history(new HistoryWindow)
    , m_progress(new ProgressBar)
    , m_services { m_session, *m_history, m_prompts, *m_progress }
{
    setObjectName(QStringLiteral("mdiMain"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("network-server")));

    m_bar = new ConnectionBarWidget;
    m_clientArea = new QWidget;
    m_clientArea->setObjectName(QStringLiteral("clientArea"));
    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_bar);
    layout->addWidget(m_clientArea, 1);
    layout->addWidget(m_progress);
    setCentralWidget(central);

    QComboBox *mode = m_bar->transferModeBox();
    mode->addItems({ text("OPT_ASCII"), text("OPT_BINARY"), text("OPT_AUTO") });
    mode->setCurrentIndex(2);

    m_menu = std::make_unique<MainMenu>(menuBar());
    createChildWindows();
    // The panes share the width beside the button strip: the window is never so narrow that one
    // of them would cut its buttons.
    const int paneMinimum = std::max(m_local->minimumSizeHint().width(), m_server->minimumSizeHint().width());
    m_clientArea->setMinimumWidth(2 * paneMinimum + ButtonStripTwips / TwipsPerPixel + 2);
    m_clientArea->installEventFilter(this);
    m_controller = new ConnectionController(m_services, *m_bar, this);
    m_transferStatus = new QLabel;
    m_transferStatus->setObjectName(QStringLiteral("lblTransferStatus"));
    // Permanent: a toolbar button's status tip would otherwise hide a transfer's progress.
    statusBar()->addPermanentWidget(m_transferStatus, 1);
    m_transfers = new TransferCommands(m_services, *m_controller, *m_local, *m_server, *m_transferStatus, this);
    m_server->setTransferHost(m_transfers);
    m_transferMode = new TransferModeController(*m_menu, *m_bar, *m_history, m_session, m_prompts, this);
    connectCommands();
    connect(&m_session, &Session::busyChanged, this, &MainWindow::setBusy);

    restoreWindowSize();
    layoutChildWindows();
    m_bar->focusField(ConnectionBar::Field::Address);
    m_session.setTransferType(FtpConnection::TransferType::Binary);
    setWindowTitle(
        QString::fromLatin1(ProductInfo::Name) + QLatin1Char(' ') + QString::fromLatin1(ProductInfo::Release));
    appendWelcomeLine();
    m_controller->loadRecentServers();
    m_controller->keyring()->probe();
}

MainWindow::~MainWindow()
{
    // The panes and the controller hold references to the session and the services: they go
    // first, while everything they refer to still exists.
    delete m_transferMode;
    delete m_transfers;
    delete m_controller;
    delete takeCentralWidget();
}

void MainWindow::createChildWindows()
{
    m_local = new LocalPane(m_services, m_clientArea);
    m_buttons = new UploadDownloadWindow(m_clientArea);
    m_server = new ServerPane(m_services, m_clientArea);
    m_history->setParent(m_clientArea);
    place(m_history, 0, 0, outerWidthTwips(), HistoryHeightTwips);
}

void MainWindow::connectCommands()
{
    using Command = MainMenu::Command;
    auto on = [this](Command command, auto receiver, auto slot) {
        connect(m_menu->action(command), &QAction::triggered, receiver, slot);
    };

    on(Command::FileExit, this, &QWidget::close);
    on(Command::Connect, m_controller, &ConnectionController::connectCommand);
    on(Command::ClearRecentServers, m_controller, &ConnectionController::clearRecentServers);
    on(Command::InfoHomepage, this, &MainWindow::openHomePage);
    on(Command::InfoInfo, this, [this] {
        InfoDialog dialog(m_prompts, this);
        connect(&dialog, &InfoDialog::webLinkActivated, this, &MainWindow::openHomePage);
        dialog.exec();
    });

    on(Command::LocalUpload, m_local, &LocalPane::upload);
    connect(m_local, &LocalPane::uploadRequested, m_transfers, [this](bool fromContextMenu) {
        m_transfers->upload(fromContextMenu ? UploadEngine::Variant::ContextMenu : UploadEngine::Variant::Selection);
    });
    connect(m_buttons, &UploadDownloadWindow::uploadClicked, m_local, &LocalPane::upload);
    on(Command::LocalUploadAs, m_local, &LocalPane::uploadAs);
    connect(m_local, &LocalPane::uploadAsRequested, m_transfers, &TransferCommands::uploadAs);
    on(Command::LocalOpen, m_local, &LocalPane::openSelection);
    on(Command::LocalOpenWith, m_local, &LocalPane::openSelectionWith);
    on(Command::LocalRename, m_local, &LocalPane::renameSelection);
    on(Command::LocalDelete, m_local, &LocalPane::deleteSelection);
    on(Command::LocalNewFolder, m_local, &LocalPane::newFolder);
    on(Command::LocalRefresh, m_local, &LocalPane::refresh);
    on(Command::LocalProperties, m_local, &LocalPane::showProperties);

    on(Command::ServerDownload, m_transfers, &TransferCommands::downloadIfConnected);
    connect(m_buttons, &UploadDownloadWindow::downloadClicked, m_transfers, &TransferCommands::downloadIfConnected);
    connect(m_server, &ServerPane::downloadRequested, m_transfers, &TransferCommands::download);
    on(Command::ServerDownloadAs, m_server, &ServerPane::downloadAs);
    connect(m_server, &ServerPane::downloadAsRequested, m_transfers, &TransferCommands::downloadAs);
    connect(m_local, &LocalPane::downloadDropped, m_transfers, &TransferCommands::downloadDropped);
    connect(m_server, &ServerPane::uploadDropped, m_transfers, &TransferCommands::uploadDropped);
    on(Command::ServerOpen, m_server, &ServerPane::openSelection);
    on(Command::ServerOpenWith, m_server, &ServerPane::openSelectionWith);
    on(Command::ServerRename, m_server, &ServerPane::renameSelection);
    on(Command::ServerDelete, m_server, &ServerPane::deleteSelection);
    on(Command::ServerNewFolder, m_server, &ServerPane::newFolder);
    on(Command::ServerRefresh, m_server, &ServerPane::refresh);

    connect(m_bar->connectAction(), &QAction::triggered, m_controller, &ConnectionController::connectCommand);
    connect(m_bar->stopAction(), &QAction::triggered, this, &MainWindow::stopRun);
    // Connected after the commands, so it runs once each click has been handled.
    for (QAction *action : { m_bar->connectAction(), m_bar->asciiListAction(), m_bar->stopAction() })
        connect(action, &QAction::triggered, m_bar, &ConnectionBarWidget::enableFields);

    connect(m_bar, &ConnectionBarWidget::passwordEntered, m_controller, &ConnectionController::QuickConnect);
    connect(m_bar, &ConnectionBarWidget::passiveClicked, m_controller, &ConnectionController::setPassive);
    connect(m_controller, &ConnectionController::serverListCleared, m_server, &ServerPane::clearList);
    connect(m_controller, &ConnectionController::serverListRequested, m_server, &ServerPane::RefreshServerList);
    connect(m_controller, &ConnectionController::recentServersChanged, m_bar,
        [this] { m_bar->setRecentServers(m_controller->recentServers().servers()); });
    PasswordKeyring *keyring = m_controller->keyring();
    connect(m_bar, &ConnectionBarWidget::recentServerChosen, keyring, &PasswordKeyring::read);
    connect(keyring, &PasswordKeyring::passwordRead, m_bar, &ConnectionBarWidget::offerPassword);
    connect(keyring, &PasswordKeyring::probed, m_bar, &ConnectionBarWidget::setPasswordStoreAvailable);
}

int MainWindow::outerWidthTwips() const
{
    return frameGeometry().width() * TwipsPerPixel;
}

int MainWindow::outerHeightTwips() const
{
    return frameGeometry().height() * TwipsPerPixel;
}

int MainWindow::frameReserveTwips() const
{
    // The classic layout kept a fixed 1570 here; measuring lets the panes end exactly where the
    // history window begins, whatever the bars' heights in this style and language.
    return outerHeightTwips() - m_clientArea->height() * TwipsPerPixel + 10;
}

int MainWindow::paneHeightTwips() const
{
    return qMax(0, outerHeightTwips() - HistoryHeightTwips - frameReserveTwips());
}

int MainWindow::paneWidthTwips() const
{
    return qMax(0, outerWidthTwips() / 2 - ButtonStripTwips / 2);
}

void MainWindow::LayoutHistoryWindow()
{
    place(m_history, 0, m_clientArea->height() * TwipsPerPixel - HistoryHeightTwips - 10, outerWidthTwips(),
        HistoryHeightTwips);
}

void MainWindow::LayoutLocalWindow()
{
    place(m_local, 0, 0, paneWidthTwips(), paneHeightTwips());
}

void MainWindow::LayoutButtonWindow()
{
    place(m_buttons, outerWidthTwips() / 2 - ButtonStripTwips / 2, 0, ButtonStripTwips, paneHeightTwips());
    m_buttons->layoutToolbars();
}

void MainWindow::LayoutServerWindow()
{
    place(m_server, paneWidthTwips() + ButtonStripTwips, 0, paneWidthTwips(), paneHeightTwips());
}

void MainWindow::layoutChildWindows()
{
    LayoutLocalWindow();
    LayoutButtonWindow();
    LayoutServerWindow();
    LayoutHistoryWindow();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The client area is resized by the window's layout after the window itself; laying out on
    // its resize sees the final heights of the bars.
    if (watched == m_clientArea && event->type() == QEvent::Resize)
        layoutChildWindows();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::appendWelcomeLine()
{
    const QLocale locale;
    const QDateTime now = QDateTime::currentDateTime();
    m_history->appendLine(text("WELCOME1") + QStringLiteral("\r\n") + text("WELCOME2") + QLatin1Char(' ')
        + locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') + text("WELCOME3") + QLatin1Char(' ')
        + locale.toString(now.time(), QLocale::LongFormat) + QLatin1Char(' ') + text("WELCOME4")
        + QStringLiteral("\r\n"));
}

void MainWindow::setBusy(bool busy)
{
    if (busy && m_session.showsBusyPointer())
        m_busyCursor.emplace();
    else
        m_busyCursor.reset();
    // One command at a time: everything that would start a second one on the connection waits.
    m_bar->setBusy(busy);
    m_menu->action(MainMenu::Command::Connect)->setEnabled(!busy);
    m_menu->action(MainMenu::Command::LocalUpload)->setEnabled(!busy);
    m_menu->action(MainMenu::Command::LocalUploadAs)->setEnabled(!busy);
    m_menu->serverMenu()->setEnabled(!busy);
    m_buttons->setEnabled(!busy);
    if (!busy && m_closePending) {
        // Close from the event loop, once the finished run has left every handler.
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void MainWindow::openLink(const QString &link)
{
    FtpLink::Problem problem {};
    const std::optional<FtpLink> parsed = FtpLink::parse(link, &problem);
    if (!parsed) {
        // The link itself stays out of the message: it may carry a password.
        m_prompts.message(
            text("LINK_NOTOPENED") + QStringLiteral("\r\n") + FtpLink::describe(problem), Prompts::Icon::Critical);
        return;
    }
    if (m_controller->connectToLink(*parsed))
        m_server->showServerPath(parsed->path);
}

void MainWindow::stopRun()
{
    // One Stop per run: a second click finds nothing more to stop and says nothing more.
    if (!m_session.isBusy() || m_session.isRunCancelled())
        return;
    m_session.cancelRun();
    m_history->appendLine(text("MDIMAIN_STOPPED") + QStringLiteral("\r\n"), HistoryLog::Colour::Red);
}

void MainWindow::restoreWindowSize()
{
    const QSize remembered = windowSettings().value(WindowSizeKey).toSize();
    if (remembered.isValid()) {
        resize(remembered);
        return;
    }
    // The first run uses most of a typical screen rather than a fixed size that is cramped on
    // large screens.
    const QScreen *screen = QGuiApplication::primaryScreen();
    resize(screen ? screen->availableSize() * 0.8 : QSize(1100, 740));
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_session.isBusy()) {
        // Handlers of the running command still sit on the stack; the window closes when they
        // have unwound (see setBusy).
        m_closePending = true;
        stopRun();
        event->ignore();
        return;
    }
    m_closePending = false;
    windowSettings().setValue(WindowSizeKey, size());
    m_controller->watchTimer()->stop();
    TextCatalogue::instance().close();
    m_session.closeConnection();
    event->accept();
}

void MainWindow::openHomePage()
{
    const QString browser
        = FindAssociatedProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/index.html")).trimmed();
    // A fixed English message, as the program has always shown it.
    if (browser.isEmpty() || !launchProgram(browser, QString::fromLatin1(ProductInfo::HomePage)))
        m_prompts.message(QStringLiteral("Could not find any web browser!"), Prompts::Icon::Information,
            QStringLiteral("Information"));
}
