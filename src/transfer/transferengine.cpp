#include "transfer/transferengine.h"

#include "app/appservices.h"
#include "app/textcatalogue.h"
#include "session/ftpconnection.h"
#include "session/session.h"
#include "transfer/serverpath.h"
#include "transfer/transferhost.h"

TransferEngine::TransferEngine(const AppServices &services, TransferHost &host)
    : m_services(services)
    , m_host(host)
{
}

FtpConnection *TransferEngine::connection() const
{
    return m_services.session.connection();
}

bool TransferEngine::reconnect()
{
    if (m_reconnectFailed || isCancelled())
        return false;
    m_reconnectFailed = !m_host.ReconnectFtp();
    return !m_reconnectFailed;
}

bool TransferEngine::isCancelled() const
{
    return m_services.session.isRunCancelled();
}

void TransferEngine::writeLine(const QString &text, HistoryLog::Colour colour)
{
    m_services.history.appendLine(text + QStringLiteral("\r\n"), colour);
}

void TransferEngine::writeFailure(const char *key, const QString &reason)
{
    QString line = text(key);
    if (!reason.isEmpty())
        line += u' ' + reason;
    writeLine(line, HistoryLog::Colour::Red);
}

bool TransferEngine::enterFolder(const QString &folder)
{
    const QString path = withClosingSlash(folder);
    if (path == m_serverFolder)
        return true;
    m_serverFolder.clear();
    if (!EnterServerPath(connection(), SplitServerPath(path)))
        return false;
    m_serverFolder = path;
    return true;
}

std::optional<std::vector<QString>> TransferEngine::listFolderInto(
    const QString &folder, std::vector<TransferEntry> &list)
{
    const QString path = withClosingSlash(folder);
    if (!enterFolder(path)) {
        if (!isCancelled())
            writeFailure("FRMSERVER_CDFAILED", path);
        return std::nullopt;
    }
    const std::optional<QList<RemoteEntry>> listing = connection()->list();
    if (!listing) {
        if (!isCancelled())
            writeFailure("FRMSERVER_LISTFAILED", path + u' ' + connection()->lastError());
        return std::nullopt;
    }
    std::vector<QString> subfolders;
    for (const RemoteEntry &entry : *listing) {
        if (!entry.isFolder) {
            list.push_back({ entry.name, path, entry.attributes, entry.size });
        } else if (entry.name != QLatin1String(".") && entry.name != QLatin1String("..")) {
            list.push_back({ QString(), path + entry.name + u'/', entry.attributes, -1 });
            subfolders.push_back(path + entry.name + u'/');
        }
    }
    return subfolders;
}
