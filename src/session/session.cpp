#include "session/session.h"

#include "session/ftpservermemory.h"

Session::Session(QObject *parent)
    : QObject(parent)
    , m_serverMemory(std::make_shared<FtpServerMemory>())
{
}

Session::~Session()
{
    closeConnection();
}

bool Session::isConnected() const
{
    return m_connection && m_connection->isConnected();
}

std::unique_ptr<FtpConnection> Session::createConnection() const
{
    auto connection = std::make_unique<FtpConnection>();
    connection->setRunCancellation(&m_cancellation);
    connection->setCertificateTrust(m_trust);
    connection->setServerMemory(m_serverMemory);
    return connection;
}

void Session::noteTlsServer(const QString &host, quint16 port)
{
    m_tlsServers.insert(FtpServerMemory::serverKey(host, port));
}

bool Session::isTlsServer(const QString &host, quint16 port) const
{
    return m_tlsServers.contains(FtpServerMemory::serverKey(host, port));
}

void Session::setConnection(std::unique_ptr<FtpConnection> connection)
{
    closeConnection();
    m_connection = std::move(connection);
    if (m_connection)
        m_connection->setRunCancellation(&m_cancellation);
}

void Session::closeConnection()
{
    m_connectionStopped = false;
    if (m_connection) {
        m_connection->close();
        m_connection.reset();
    }
}

void Session::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    emit busyChanged(busy);
}

void Session::cancelRun()
{
    if (m_busy)
        m_cancellation.cancel();
}

void Session::setRunning(bool running)
{
    if (!running && m_cancellation.isCancelled() && m_connection)
        m_connectionStopped = true;
    // Cleared at both ends: the watch between runs and the next command never see an old Stop.
    m_cancellation.reset();
    setBusy(running);
}
