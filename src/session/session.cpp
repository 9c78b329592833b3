#include "session/session.h"

Session::Session(QObject *parent) : QObject(parent) {}

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
    return connection;
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
    // Cleared at both ends: the watch between runs and the next command never see an old Stop.
    m_cancellation.reset();
    setBusy(running);
}
