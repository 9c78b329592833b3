#include "transfer/transfercommands.h"

#include "connection/connectioncontroller.h"
#include "core/appservices.h"
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
    Session &session = m_services.session;
    if (session.isBusy() || !session.connection())
        return;
    Session::Run run(session);
    DownloadEngine engine(m_services, *this);
    engine.DownloadSelection(m_server.selectedItems(), m_local.TreeNodePath());
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
    Session &session = m_services.session;
    if (session.isBusy())
        return;
    Session::Run run(session);
    UploadEngine engine(m_services, *this);
    engine.UploadSelection(m_local.selectedItems(), m_local.TreeNodePath(), variant);
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
