#include "transfer/serverengine.h"

#include "core/appservices.h"
#include "core/paths.h"
#include "core/textcatalogue.h"
#include "session/ftpconnection.h"
#include "session/session.h"
#include "transfer/serverpath.h"
#include "transfer/transferhost.h"

ServerEngine::ServerEngine(const AppServices &services, TransferHost &host)
    : m_services(services)
    , m_host(host)
{
}

FtpConnection *ServerEngine::connection() const
{
    return m_services.session.connection();
}

bool ServerEngine::reconnect()
{
    if (m_reconnectFailed || isCancelled())
        return false;
    m_reconnectFailed = !m_host.ReconnectFtp();
    return !m_reconnectFailed;
}

bool ServerEngine::regainServer()
{
    const FtpConnection *ftp = connection();
    if (ftp && ftp->isConnected())
        return true;
    forgetServerFolder();
    return reconnect();
}

bool ServerEngine::hasLostServer() const
{
    return m_reconnectFailed && !isCancelled();
}

void ServerEngine::writeServerLost(int entriesLeft)
{
    // Every entry that is left would fail the same way: one line says it for all of them.
    if (hasLostServer())
        writeLine(text("TRANSFER_SERVERLOST").arg(entriesLeft), HistoryLog::Colour::Red);
}

bool ServerEngine::isCancelled() const
{
    return m_services.session.isRunCancelled();
}

void ServerEngine::writeLine(const QString &text, HistoryLog::Colour colour)
{
    m_services.history.appendLine(text + QStringLiteral("\r\n"), colour);
}

void ServerEngine::writeFailure(const char *key, const QString &reason)
{
    QString line = text(key);
    if (!reason.isEmpty())
        line += u' ' + reason;
    writeLine(line, HistoryLog::Colour::Red);
}

bool ServerEngine::enterFolder(const QString &folder)
{
    pumpEvents();
    FtpConnection *ftp = connection();
    const QString path = withClosingSlash(folder);
    // A reconnect that kept the connection left the server where it was; a new login did not.
    const QString from = ftp && m_folderConnection == ftp ? m_serverFolder : QString();
    if (!from.isEmpty() && path == from)
        return true;
    forgetServerFolder();
    if (!MoveServerPath(ftp, from, path))
        return false;
    setServerFolder(path);
    return true;
}

void ServerEngine::setServerFolder(const QString &folder)
{
    m_serverFolder = withClosingSlash(folder);
    m_folderConnection = connection();
}

void ServerEngine::forgetServerFolder()
{
    m_serverFolder.clear();
    m_folderConnection.clear();
}
