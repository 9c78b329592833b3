#pragma once
// Writing a file to the server: STOR opened, then written block by block, then closed; or ended
// early with ABOR.

#include "session/ftpdataconnection.h"
#include "session/ftpexchange.h"
#include "session/ftpreply.h"

#include <QByteArray>
#include <QString>

#include <optional>

class FtpUpload {
public:
    using TransferType = FtpConnection::TransferType;

    FtpUpload(FtpExchange &exchange, FtpDataConnection &dataConnection);

    bool open(const QString &remoteName, TransferType type);
    bool write(const QByteArray &block);
    bool close();
    // ABOR before the end: the connection stays usable when the server answers.
    bool abort();
    // Ends an open upload between calls; the server's final reply to STOR stays owed.
    void abandon();

private:
    bool isOpen() const;
    bool failUpload();

    FtpExchange &m_exchange;
    FtpDataConnection &m_dataConnection;
    TransferType m_type = TransferType::Binary;
    bool m_endsInCr = false; // for the LF -> CR LF conversion of ASCII uploads
    std::optional<FtpReply> m_finalReply; // the server may end a STOR early (552 quota)
};
