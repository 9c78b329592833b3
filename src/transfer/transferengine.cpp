#include "transfer/transferengine.h"

#include "app/appservices.h"
#include "app/textcatalogue.h"
#include "session/session.h"
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
