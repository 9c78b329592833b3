#pragma once
// Reading files from the server: RETR into a local file, and SIZE (RFC 3659, 4).

#include "session/ftpdataconnection.h"
#include "session/ftpexchange.h"

#include <QString>

#include <optional>

class FtpDownload {
public:
    FtpDownload(FtpExchange &exchange, FtpDataConnection &dataConnection);

    // In binary mode, overwriting localPath once the server agreed to send; SIZE only when
    // knownSize is -1.
    bool getFile(const QString &remoteName, const QString &localPath, qint64 knownSize);
    // In binary mode: the size of the file as the server stores it.
    std::optional<qint64> fileSize(const QString &name);

private:
    FtpExchange &m_exchange;
    FtpDataConnection &m_dataConnection;
};
