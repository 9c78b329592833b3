#pragma once
// What the user typed into the address field: a bare host name, or ftp://, ftpes:// or ftps://
// with an optional port.

#include "session/ftpsecurity.h"

#include <QString>

#include <optional>

struct FtpAddress {
    QString host;
    std::optional<quint16> port; // named in the address; it wins over the port field
    FtpSecurity security = FtpSecurity::Opportunistic;

    // nullopt for an unknown scheme or a malformed host or port.
    static std::optional<FtpAddress> parse(const QString &text);
};
