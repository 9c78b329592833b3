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

void Session::setConnection(std::unique_ptr<FtpConnection> connection)
{
    closeConnection();
    m_connection = std::move(connection);
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
