#include "transfer/transfercommands.h"

#include "app/appservices.h"
#include "app/prompts.h"
#include "app/textcatalogue.h"
#include "local/localpane.h"
#include "server/serverlisting.h"
#include "server/serverpane.h"
#include "session/connectioncontroller.h"
#include "session/session.h"
#include "transfer/downloadengine.h"

#include <QLabel>
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
    if (reconnectAfter && !session.isRunCancelled()) {
        // A fresh connection starts in "/"; the server pane still shows the folder the download
        // came from, and every later command must act on the folder it shows.
        const QString folder = GetServerDirectory(session.connection());
        if (ReconnectFtp() && !folder.isEmpty())
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
