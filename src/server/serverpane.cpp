#include "server/serverpane.h"

#include "core/appservices.h"
#include "core/eventpump.h"
#include "core/historylog.h"
#include "core/paths.h"
#include "core/prompts.h"
#include "core/textcatalogue.h"
#include "server/servercommands.h"
#include "server/serverentries.h"
#include "server/serverlisting.h"
#include "server/serverlistmodel.h"
#include "server/serverlistview.h"
#include "session/ftperrortext.h"
#include "session/session.h"
#include "transfer/deleteengine.h"
#include "widgets/busycursor.h"
#include "widgets/fulltoolbar.h"
#include "widgets/panemeasures.h"
#include "widgets/toolbaricons.h"

#include <QAbstractItemView>
#include <QActionGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QMenu>
#include <QToolBar>

#include <algorithm>

using namespace PaneMeasures;

ServerPane::ServerPane(const AppServices &services, QWidget *parent)
    : QWidget(parent)
    , m_services(services)
    , m_frame(new QGroupBox(text("FRMSERVER_FRA"), this))
    , m_commands(new QToolBar(m_frame))
    , m_paths(new QComboBox(m_frame))
    , m_views(new QToolBar(m_frame))
    , m_model(new ServerListModel(this))
    , m_list(new ServerListView(m_model, m_frame))
    , m_contextMenu(new QMenu(this))
    , m_itemCommands(new ServerCommands(*this, services, this))
{
    setObjectName(QStringLiteral("frmServer"));
    m_frame->setObjectName(QStringLiteral("fraServer"));
    m_commands->setObjectName(QStringLiteral("tlbServerLinks"));
    m_paths->setObjectName(QStringLiteral("cboServer"));
    m_views->setObjectName(QStringLiteral("tlbServerRechts"));
    m_paths->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_paths->setMinimumContentsLength(8);

    createToolBars();
    keepEveryButtonShown(m_commands);
    keepEveryButtonShown(m_views);
    createContextMenu();

    connect(m_paths, &QComboBox::activated, this, &ServerPane::pathChosen);
    // Dragged rows name the folder the pane shows.
    connect(m_paths, &QComboBox::currentTextChanged, m_model,
        [this](const QString &folder) { m_model->setFolder(folder.isEmpty() ? folder : withClosingSlash(folder)); });
    connect(m_model, &ServerListModel::localFilesDropped, this, [this](const QList<TransferSelection> &files, int row) {
        const QString shown = m_model->folder();
        emit uploadDropped(files, row < 0 || shown.isEmpty() ? shown : shown + m_model->rowName(row) + u'/');
    });
    connect(m_list, &ServerListView::rowDoubleClicked, this, &ServerPane::rowDoubleClicked);
    connect(m_list, &ServerListView::deletePressed, this, &ServerPane::askAndDelete);
    connect(m_list, &ServerListView::refreshPressed, this, [this] {
        if (m_services.session.isBusy()) {
            m_refreshPending = true;
            return;
        }
        listServerFolder(PathBoxStep::Take, Session::Pointer::Unchanged);
    });
    connect(m_list, &ServerListView::contextMenuRequested, this, &ServerPane::showContextMenu);
    connect(&m_services.session, &Session::busyChanged, this, [this](bool busy) {
        m_commands->setEnabled(!busy);
        m_paths->setEnabled(!busy);
        // Back in the shown folder first: a pending listing must list the folder the pane shows.
        if (!busy && m_returnPending) {
            m_returnPending = false;
            returnToShownFolder();
        }
        if (!busy && m_refreshPending) {
            m_refreshPending = false;
            RefreshServerList();
        }
    });
}

ServerPane::~ServerPane() = default;

QSize ServerPane::minimumSizeHint() const
{
    // Both toolbars whole and room for a few letters of the path between them.
    const int width = Margin + m_commands->minimumWidth() + Gap + m_paths->minimumSizeHint().width() + Gap
        + m_views->minimumWidth() + RightMargin;
    return { width, RowTop + rowHeight(m_paths) + Gap + Margin };
}

void ServerPane::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeControls();
}

// The local pane's measures, so that the two lists start level: the path box's row at the drive
// box's, the list as far below it as the folder tree is below the drive box.
void ServerPane::placeControls()
{
    const int w = width();
    const int h = height();
    m_frame->setGeometry(0, 0, w, h);
    const QSize commands = m_commands->sizeHint();
    const QSize views = m_views->sizeHint();
    m_commands->setGeometry(Margin, RowTop, commands.width(), commands.height());
    m_views->setGeometry(std::max(0, w - RightMargin - views.width()), RowTop, views.width(), views.height());
    const int pathLeft = Margin + commands.width() + Gap;
    const int row = rowHeight(m_paths);
    m_paths->setGeometry(pathLeft, RowTop, std::max(0, w - RightMargin - views.width() - Gap - pathLeft), row);
    const int listTop = RowTop + row + Gap;
    m_list->setGeometry(Margin, listTop, std::max(0, w - Margin - RightMargin), std::max(0, h - listTop - Margin));
}

void ServerPane::createToolBars()
{
    addCommand(QStringLiteral("del"), ToolBarIcon::Delete, text("FRMSERVER_DEL"), &ServerPane::askAndDelete);
    addCommand(QStringLiteral("open"), ToolBarIcon::Open, text("FRMSERVER_OPEN"), &ServerPane::openFromToolBar);
    addCommand(QStringLiteral("new"), ToolBarIcon::NewFolder, text("FRMSERVER_NEWDIR"), &ServerPane::createFolder);
    addCommand(
        QStringLiteral("oben"), ToolBarIcon::EnterFolder, text("FRMSERVER_UPPER"), &ServerPane::enterSelectedRow);
    addCommand(QStringLiteral("actualize"), ToolBarIcon::Refresh, text("FRMSERVER_REFRESH"), &ServerPane::refreshList);
    addCommand(
        QStringLiteral("download"), ToolBarIcon::Download, text("FRMSERVER_DOWN"), &ServerPane::downloadWithReconnect);

    auto *group = new QActionGroup(this);
    const struct {
        const char *key;
        ToolBarIcon icon;
        QString toolTip;
        ServerListView::View view;
    } views[] = {
        { "eins", ToolBarIcon::LargeIcons, text("FRMSERVER_BIG"), ServerListView::View::LargeIcons },
        { "zwei", ToolBarIcon::SmallIcons, text("FRMSERVER_SMALL"), ServerListView::View::SmallIcons },
        { "drei", ToolBarIcon::List, text("FRMSERVER_LIST"), ServerListView::View::List },
        { "vier", ToolBarIcon::Details, text("FRMSERVER_DETAIL"), ServerListView::View::Details },
    };
    for (const auto &view : views) {
        QAction *action = m_views->addAction(toolBarIcon(view.icon), view.toolTip);
        action->setObjectName(QLatin1String(view.key));
        action->setToolTip(view.toolTip);
        action->setCheckable(true);
        action->setChecked(view.view == m_list->view());
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, v = view.view] { m_list->setView(v); });
    }
}

void ServerPane::addCommand(const QString &key, ToolBarIcon icon, const QString &toolTip, void (ServerPane::*command)())
{
    QAction *action = m_commands->addAction(toolBarIcon(icon), toolTip);
    action->setObjectName(key);
    action->setToolTip(toolTip);
    connect(action, &QAction::triggered, this, [this, command] {
        if (hasConnectionOrSaySo())
            (this->*command)();
    });
}

void ServerPane::createContextMenu()
{
    m_contextMenu->setObjectName(QStringLiteral("frmPopUpfrmServer"));
    // The context menu is only shown over a selected row; its commands run without asking
    // for the connection first and report a failed server call in their own lines.
    const auto add = [this](QMenu *menu, const char *name, const QString &caption, auto command) {
        QAction *action = menu->addAction(caption, this, command);
        action->setObjectName(QLatin1String(name));
        return action;
    };
    m_contextMenu->setDefaultAction(
        add(m_contextMenu, "mnuDownload", text("FRMPUSERVER_DOWNLOAD"), &ServerPane::downloadWithoutReconnect));
    add(m_contextMenu, "mnuDownloadAls", text("FRMPUSERVER_DOWNLOADAS"), &ServerPane::downloadAs);
    m_contextMenu->addSeparator();
    add(m_contextMenu, "mnuOeffnen", text("FRMPUSERVER_OPEN"),
        [this] { m_itemCommands->open(ServerCommands::Texts::Menu); });
    add(m_contextMenu, "mnuOeffnenMit", text("FRMPUSERVER_OPENWITH"), [this] { m_itemCommands->openWith(); });
    m_contextMenu->addSeparator();
    add(m_contextMenu, "mnuUmbenennen", text("FRMPUSERVER_RENAME"), [this] { m_itemCommands->rename(); });
    m_contextMenu->addSeparator();
    add(m_contextMenu, "mnuLoeschen", text("FRMPUSERVER_DELETE"), &ServerPane::askAndDelete);
    m_contextMenu->addSeparator();
    QMenu *newMenu = m_contextMenu->addMenu(text("FRMPUSERVER_NEW"));
    newMenu->menuAction()->setObjectName(QStringLiteral("mnuNeu"));
    add(newMenu, "mnuNeuVerzeichnis", text("FRMPUSERVER_NEWFOLDER"), &ServerPane::createFolder);
    m_contextMenu->addSeparator();
    add(m_contextMenu, "mnuAktualisieren", text("FRMPUSERVER_REFRESH"), &ServerPane::refreshList);
}

bool ServerPane::isConnected() const
{
    return m_services.session.isConnected();
}

bool ServerPane::hasConnectionOrSaySo()
{
    if (isConnected())
        return true;
    m_services.prompts.message(text("FRMSERVER_NOCONNECTION"), Prompts::Icon::Information);
    return false;
}

void ServerPane::setTransferHost(TransferHost *host)
{
    m_host = host;
    m_itemCommands->setTransferHost(host);
}

void ServerPane::RefreshServerList()
{
    if (m_services.session.isBusy()) {
        m_refreshPending = true;
        return;
    }
    listServerFolder(PathBoxStep::Take);
}

void ServerPane::returnToShownFolder()
{
    if (m_services.session.isBusy()) {
        m_returnPending = true;
        return;
    }
    FtpConnection *connection = m_services.session.connection();
    const QString shown = m_paths->currentText();
    // The run that reconnected may have gone back there itself.
    if (!connection || (!shown.isEmpty() && GetServerDirectory(connection) == shown))
        return;
    Session::Run run(m_services.session);
    if (SetServerDirectory(connection, shown))
        RelistServerFolder();
    else
        listServerFolder(PathBoxStep::Take);
}

void ServerPane::showServerPath(const QString &path)
{
    if (!isConnected() || m_services.session.isBusy())
        return;
    Session::Run run(m_services.session);
    // A link does not say whether it names a folder or a file: only the server knows, and it
    // refuses to enter a file. A refused folder then fails once more, with its red line.
    QString fileName;
    if (!SetServerDirectory(m_services.session.connection(), path)) {
        const qsizetype slash = path.lastIndexOf(u'/');
        fileName = path.mid(slash + 1);
        enterServerFolder(path.left(slash + 1));
    }
    listServerFolder(PathBoxStep::Take);
    if (fileName.isEmpty())
        return;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->rowName(row) == fileName) {
            const QModelIndex index = m_model->index(row, 0);
            m_list->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            m_list->currentItemView()->scrollTo(index);
            return;
        }
    }
    m_services.history.appendLine(text("LINK_NOTFOUND") + u' ' + path + QStringLiteral("\r\n"), HistoryLog::Colour::Red);
}

void ServerPane::RelistServerFolder()
{
    listServerFolder(PathBoxStep::Skip);
}

void ServerPane::listServerFolder(PathBoxStep step, Session::Pointer pointer)
{
    Session::Run run(m_services.session, pointer);
    FtpConnection *connection = m_services.session.connection();
    // A listing that failed may have taken the connection with it (a data connection the
    // server would not open): the folder must not pass for an empty one then either.
    const bool wasConnected = isConnected();
    ListingProblems problems;
    auto entries = ReadServerEntries(connection, GetFileTypeName, &problems);
    if (!entries && wasConnected) {
        m_services.history.appendLine(
            text("FRMSERVER_LISTFAILED") + u' ' + describe(connection->error()) + QStringLiteral("\r\n"),
            HistoryLog::Colour::Red);
    }
    // A folder read in part must not pass for the whole of it.
    if (problems.unreadableLines > 0)
        m_services.history.appendLine(
            describeUnreadableLines(problems) + QStringLiteral("\r\n"), HistoryLog::Colour::Red);
    m_model->setEntries(entries ? std::move(*entries) : std::vector<ServerEntry>());
    if (step == PathBoxStep::Take)
        takePathBoxStep();
    processPendingEvents();
}

void ServerPane::takePathBoxStep()
{
    const QString directory = GetServerDirectory(m_services.session.connection());
    // Without a connection there is no directory to show; an empty entry would lead nowhere.
    if (directory.isEmpty()) {
        m_paths->setCurrentIndex(-1);
        return;
    }
    int index = m_paths->findText(directory, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        m_paths->addItem(directory);
        index = m_paths->count() - 1;
    }
    m_paths->setCurrentIndex(index);
}

void ServerPane::prunePathBox()
{
    FtpConnection *connection = m_services.session.connection();
    const QString remembered = GetServerDirectory(connection);
    // Without a known way back, or when even the root cannot be entered, a failing entry says
    // nothing about its folder: leave the box alone.
    if (remembered.isEmpty())
        return;
    Session::Run run(m_services.session);
    const QString root = QStringLiteral("/");
    for (int index = 0; index < m_paths->count();) {
        const QString entry = m_paths->itemText(index);
        if (!entry.isEmpty()) {
            // Entries are full paths: each is tried from the root.
            if (!SetServerDirectory(connection, root))
                break;
            if (!SetServerDirectory(connection, entry)) {
                m_paths->removeItem(index);
                continue;
            }
        }
        ++index;
    }
    SetServerDirectory(connection, root);
    SetServerDirectory(connection, remembered);
    m_paths->setCurrentIndex(m_paths->findText(remembered, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

bool ServerPane::enterServerFolder(const QString &path)
{
    if (SetServerDirectory(m_services.session.connection(), path))
        return true;
    if (!path.isEmpty()) {
        m_services.history.appendLine(
            text("FRMSERVER_CDFAILED") + u' ' + path + QStringLiteral("\r\n"), HistoryLog::Colour::Red);
    }
    return false;
}

void ServerPane::enterSelectedRow()
{
    if (m_services.session.isBusy())
        return;
    Session::Run run(m_services.session);
    // A file row (or none) cannot be entered; the same folder is listed again.
    enterServerFolder(m_model->rowName(m_list->selectedRow()));
    listServerFolder(PathBoxStep::Take);
}

void ServerPane::rowDoubleClicked(int row)
{
    if (!isConnected() || m_services.session.isBusy())
        return;
    BusyCursor busy;
    Session::Run run(m_services.session);
    // Folder rows and ".." have an empty size; a file row is never downloaded or opened here.
    if (m_model->hasEmptySize(row)) {
        enterServerFolder(m_model->rowName(row));
        listServerFolder(PathBoxStep::Take);
        return;
    }
    // A link may lead to a folder whatever its row says: entered when the server takes the CWD,
    // a file otherwise, without a red line.
    const ServerEntry *entry = m_model->entryAt(row);
    if (entry && entry->isLink && SetServerDirectory(m_services.session.connection(), entry->name)) {
        listServerFolder(PathBoxStep::Take);
        return;
    }
    takePathBoxStep();
}

void ServerPane::pathChosen(int index)
{
    if (m_services.session.isBusy())
        return;
    const QString path = m_paths->itemText(index);
    processPendingEvents();
    BusyCursor busy;
    Session::Run run(m_services.session);
    if (enterServerFolder(path)) {
        RelistServerFolder();
    } else {
        // The folder is gone: show where the server really is, under its own name.
        listServerFolder(PathBoxStep::Take);
    }
}

void ServerPane::askAndDelete()
{
    if (m_services.session.isBusy())
        return;
    if (m_services.prompts.askYesNo(QStringLiteral("Delete Selection?")))
        runDelete();
}

void ServerPane::showContextMenu(const QPoint &globalPosition)
{
    if (m_list->selectedRow() < 0)
        return;
    m_contextMenu->popup(globalPosition);
}

void ServerPane::clearList()
{
    m_model->clear();
}

void ServerPane::refreshList()
{
    BusyCursor busy;
    RefreshServerList();
}

QList<TransferItem> ServerPane::selectedItems() const
{
    return m_model->transferItems(m_list->selectedRows());
}

void ServerPane::downloadWithReconnect()
{
    emit downloadRequested(true);
}

void ServerPane::downloadWithoutReconnect()
{
    emit downloadRequested(false);
}

void ServerPane::runDelete()
{
    if (!m_host || m_services.session.isBusy())
        return;
    Session::Run run(m_services.session);
    DeleteEngine engine(m_services, *m_host);
    engine.DeleteSelection(selectedItems());
    // Nothing can be listed; the pane keeps its folder for the reconnect to return to.
    if (engine.hasLostServer())
        return;
    if (m_services.session.isRunCancelled()) {
        // Lists as soon as the stopped run has ended and the connection answers again.
        RefreshServerList();
        return;
    }
    prunePathBox();
    // Where the server is now, which is not the folder shown before when that one went.
    listServerFolder(PathBoxStep::Take);
}

void ServerPane::openFromToolBar()
{
    m_itemCommands->open(ServerCommands::Texts::ToolBar);
}

void ServerPane::createFolder()
{
    m_itemCommands->newFolder();
}

// The "Mein Server" menu's commands first make sure there is a connection.
void ServerPane::openSelection()
{
    if (hasConnectionOrSaySo())
        m_itemCommands->open(ServerCommands::Texts::Menu);
}

void ServerPane::openSelectionWith()
{
    if (hasConnectionOrSaySo())
        m_itemCommands->openWith();
}

void ServerPane::renameSelection()
{
    if (hasConnectionOrSaySo())
        m_itemCommands->rename();
}

void ServerPane::deleteSelection()
{
    if (hasConnectionOrSaySo())
        askAndDelete();
}

void ServerPane::newFolder()
{
    if (hasConnectionOrSaySo())
        createFolder();
}

void ServerPane::refresh()
{
    if (hasConnectionOrSaySo())
        refreshList();
}

void ServerPane::downloadAs()
{
    emit downloadAsRequested();
}
