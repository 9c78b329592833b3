#include "transfer/transfercommands.h"

#include "connection/connectioncontroller.h"
#include "core/appservices.h"
#include "core/historylog.h"
#include "core/paths.h"
#include "core/prompts.h"
#include "core/textcatalogue.h"
#include "local/locallisting.h"
#include "local/localpane.h"
#include "server/serverlisting.h"
#include "server/serverlistmodel.h"
#include "server/serverlistview.h"
#include "server/serverpane.h"
#include "session/ftpconnection.h"
#include "session/session.h"
#include "transfer/downloadengine.h"
#include "transfer/renamingtransfer.h"
#include "transfer/transferasdialog.h"

#include <QLabel>
#include <QPointer>
#include <QTimer>

namespace {

// Takes the server into a run's folder when it is elsewhere, and back where it was at the end,
// so that the server pane goes on listing the folder it shows.
class ServerFolderVisit {
public:
    // folder: a server path, with or without its closing "/"; empty: where the server is.
    ServerFolderVisit(const AppServices &services, const QString &folder)
        : m_session(services.session)
    {
        if (folder.isEmpty())
            return;
        FtpConnection *connection = m_session.connection();
        m_home = GetServerDirectory(connection);
        if (withClosingSlash(folder) == withClosingSlash(m_home))
            return;
        // Without knowing the way back, the pane would be left showing a folder the server is not in.
        const QString path = folder.size() > 1 && folder.endsWith(u'/') ? folder.chopped(1) : folder;
        m_moved = !m_home.isEmpty() && SetServerDirectory(connection, path);
        if (!m_moved) {
            m_refused = true;
            services.history.appendLine(
                text("FRMSERVER_CDFAILED") + u' ' + folder + QStringLiteral("\r\n"), HistoryLog::Colour::Red);
        }
    }
    ~ServerFolderVisit()
    {
        if (m_moved && !m_session.isRunCancelled())
            SetServerDirectory(m_session.connection(), m_home);
    }
    ServerFolderVisit(const ServerFolderVisit &) = delete;
    ServerFolderVisit &operator=(const ServerFolderVisit &) = delete;

    // The server is in the run's folder.
    bool isInside() const { return !m_refused; }

private:
    Session &m_session;
    QString m_home;
    bool m_moved = false;
    bool m_refused = false;
};

} // namespace

TransferCommands::TransferCommands(const AppServices &services, ConnectionController &controller, LocalPane &local,
    ServerPane &server, QLabel &statusLine, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_controller(controller)
    , m_local(local)
    , m_server(server)
    , m_statusLine(statusLine)
{
    // A new login is in "/", wherever the server pane is.
    connect(&controller, &ConnectionController::reconnected, &server, &ServerPane::returnToShownFolder);
}

TransferCommands::~TransferCommands() = default;

void TransferCommands::download(bool reconnectAfter)
{
    downloadEntries({ QString(), m_server.selectedItems() }, m_local.TreeNodePath(), reconnectAfter);
}

void TransferCommands::downloadEntries(
    const TransferSelection &entries, const QString &targetFolder, bool reconnectAfter)
{
    Session &session = m_services.session;
    if (session.isBusy() || !session.connection())
        return;
    Session::Run run(session);
    DownloadEngine engine(m_services, *this);
    {
        const ServerFolderVisit visit(m_services, entries.folder);
        if (!visit.isInside())
            return;
        engine.DownloadSelection(entries.items, targetFolder);
    }
    // A lost server was reconnected once already, and the user told why that failed.
    if (reconnectAfter && !session.isRunCancelled() && !engine.hasLostServer()) {
        // A new login is in "/"; the server pane still shows the folder the download came from,
        // and every later command must act on the folder it shows. A kept connection is there.
        const QString folder = GetServerDirectory(session.connection());
        const QPointer<FtpConnection> before = session.connection();
        if (ReconnectFtp() && !folder.isEmpty() && session.connection() != before)
            SetServerDirectory(session.connection(), folder);
    }
}

void TransferCommands::downloadIfConnected()
{
    if (!m_services.session.connection()) {
        m_services.prompts.message(text("FRMSERVER_NOCONNECTION"), Prompts::Icon::Information);
        return;
    }
    download(true);
}

void TransferCommands::upload(UploadEngine::Variant variant)
{
    uploadFiles({ { m_local.TreeNodePath(), m_local.selectedItems() } }, QString(), variant);
}

void TransferCommands::uploadFiles(
    const QList<TransferSelection> &files, const QString &serverFolder, UploadEngine::Variant variant)
{
    Session &session = m_services.session;
    if (session.isBusy())
        return;
    Session::Run run(session);
    const ServerFolderVisit visit(m_services, serverFolder);
    if (!visit.isInside())
        return;
    UploadEngine engine(m_services, *this);
    for (const TransferSelection &group : files) {
        if (session.isRunCancelled() || engine.hasLostServer())
            break;
        engine.UploadSelection(group.items, group.folder, variant);
    }
}

bool TransferCommands::mayRunDrop()
{
    if (m_services.session.isBusy()) {
        m_services.prompts.message(text("FTP_BUSY"), Prompts::Icon::Information);
        return false;
    }
    if (!m_services.session.connection()) {
        m_services.prompts.message(text("FRMSERVER_NOCONNECTION"), Prompts::Icon::Information);
        return false;
    }
    return true;
}

void TransferCommands::downloadDropped(const TransferSelection &entries, const QString &localFolder)
{
    QMetaObject::invokeMethod(
        this,
        [this, entries, localFolder] {
            if (mayRunDrop())
                downloadEntries(entries, localFolder, true);
        },
        Qt::QueuedConnection);
}

void TransferCommands::uploadDropped(const QList<TransferSelection> &files, const QString &serverFolder)
{
    QMetaObject::invokeMethod(
        this,
        [this, files, serverFolder] {
            if (mayRunDrop())
                uploadFiles(files, serverFolder, UploadEngine::Variant::Selection);
        },
        Qt::QueuedConnection);
}

void TransferCommands::downloadAs()
{
    Session &session = m_services.session;
    if (session.isBusy())
        return;
    if (!session.connection()) {
        m_services.prompts.message(text("FRMSERVER_NOCONNECTION"), Prompts::Icon::Information);
        return;
    }
    // The ".." row counts like any other.
    const QList<int> rows = m_server.listView()->selectedRows();
    if (rows.size() >= 2) {
        m_services.prompts.message(text("FRMPUSERVER_ONEFILE"), Prompts::Icon::Information);
        return;
    }
    const ServerListModel &model = *m_server.model();
    const int row = rows.isEmpty() ? -1 : rows.first();
    const QString name = model.rowName(row);
    // Rules out the ".." row, and with it every name that holds two dots in a row.
    if (name.contains(QLatin1String("..")))
        return;
    const auto column = [&](int column) { return model.index(row, column).data().toString(); };
    // Taken now: a listing that arrives while the dialog is open replaces the entries.
    const ServerEntry *entry = model.entryAt(row);
    const qint64 size = entry ? entry->size : -1;
    TransferAsDialog dialog(TransferAsDialog::Direction::Download,
        { name, column(ServerListModel::TypeColumn), column(ServerListModel::SizeColumn),
            column(ServerListModel::ChangedColumn), model.hasEmptySize(row) },
        m_server.window());
    if (dialog.exec() != QDialog::Accepted)
        return;

    const QString target = m_local.TreeNodePath();
    {
        Session::Run run(session);
        RenamingTransfer transfer(m_services, *this);
        transfer.downloadAs(name, size, target, dialog.newName());
    }
    ViewLocalFolder(target);
}

void TransferCommands::uploadAs()
{
    Session &session = m_services.session;
    if (session.isBusy())
        return;
    const QList<LocalEntry> entries = m_local.selectedEntries();
    if (entries.size() >= 2) {
        m_services.prompts.message(text("FRMPULOC_ONEFILE"), Prompts::Icon::Information);
        return;
    }
    if (!session.connection()) {
        m_services.prompts.message(text("FRMPULOC_NOCONN"), Prompts::Icon::Information);
        return;
    }
    // Nothing selected opens the dialog all the same, with nothing in it to send.
    const LocalEntry entry = entries.isEmpty() ? LocalEntry() : entries.first();
    TransferAsDialog::File file { entry.name, {}, {}, {}, entry.isFolder };
    if (!entry.name.isEmpty()) {
        // The texts of the row as the file list shows them.
        file.typeName = entry.isFolder ? text("FOLDER") : entry.typeName.trimmed();
        file.sizeText = entry.isFolder ? QString() : FormatSize(entry.size);
        file.changedText = FormatFileTime(entry.lastWrite);
    }
    TransferAsDialog dialog(TransferAsDialog::Direction::Upload, file, m_local.window());
    if (dialog.exec() != QDialog::Accepted)
        return;

    Session::Run run(session);
    RenamingTransfer transfer(m_services, *this);
    transfer.uploadAs(m_local.TreeNodePath(), entry.name, dialog.newName());
}

void TransferCommands::ViewLocalFolder(const QString &folder)
{
    m_local.ViewFolder(folder);
}

bool TransferCommands::ReconnectFtp()
{
    return m_controller.ReconnectFtp();
}

void TransferCommands::setConnectionWatchEnabled(bool enabled)
{
    QTimer *watch = m_controller.watchTimer();
    if (enabled)
        watch->start();
    else
        watch->stop();
}

void TransferCommands::refreshServerList()
{
    // While the run holds the session, the pane lists as soon as the run has ended.
    m_server.RefreshServerList();
}

void TransferCommands::showLocalFolder(const QString &folder)
{
    // New folders appear in the tree only once it is read again.
    m_local.ReadDrive(m_local.driveRoot());
    m_local.selectFolder(folder);
}

void TransferCommands::showStatus(const QString &text)
{
    m_statusLine.setText(text);
}
