#pragma once
// Setting up the data connection of one transfer: the representation type (TYPE), the connection
// itself (PASV/EPSV, or PORT/EPRT in active mode), and the data commands that receive over it
// until both the data and the server's final reply are in.

#include "session/ftpconnection.h"
#include "session/ftpexchange.h"
#include "session/ftplogin.h"

#include <functional>
#include <optional>

class FtpDataConnection {
public:
    using TransferType = FtpConnection::TransferType;

    FtpDataConnection(FtpExchange &exchange, const FtpLogin &login);

    // For a new connection: the type the server uses is unknown again.
    void reset(bool passive);

    bool ensureType(TransferType type);
    // A new data connection, connected in passive mode and listening in active mode.
    bool open();
    // Sends a data command (LIST, MLSD, RETR) and receives until it is complete; started() runs
    // with the server's first reply once it accepted the command. A refusing reply is also given
    // in refusal.
    // Sends a data command (STOR, or the ones receive() sends) and waits for the server's first
    // reply; nullopt, the data connection released, when the command could not go or no reply
    // came.
    std::optional<FtpReply> start(const QString &command);
    bool receive(const QString &command, const std::function<bool(const FtpReply &first)> &started,
        std::optional<FtpReply> *refusal = nullptr);
    // Waits for the end of the transfer whose data command is out.
    bool finish(std::optional<FtpReply> finalReply, bool upload = false);
    // After a refused transfer command: the data connection it did not use, see FtpDataLink.
    void setAsideUnused();

private:
    bool openPassive();
    bool openActive();

    FtpExchange &m_exchange;
    const FtpLogin &m_login;
    bool m_passive = false;
    std::optional<TransferType> m_type;
};
