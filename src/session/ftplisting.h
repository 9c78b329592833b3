#pragma once
// Listing the current directory: MLSD where the server offers it (RFC 3659, 7), LIST otherwise.

#include "session/ftpdataconnection.h"
#include "session/ftpexchange.h"
#include "session/listingproblems.h"
#include "session/remoteentry.h"

#include <QList>

#include <optional>

class FtpListing {
public:
    enum class MachineListing {
        NotOffered, // the server did not announce MLST: LIST
        Offered, // MLSD, exact and locale-free
        Refused // announced, but the server refused MLSD and took LIST: LIST from here on
    };

    FtpListing(FtpExchange &exchange, FtpDataConnection &dataConnection);

    // For a new connection, from the features its server announced.
    void reset(bool machineListingOffered);
    std::optional<QList<RemoteEntry>> list(ListingProblems *problems);

private:
    FtpExchange &m_exchange;
    FtpDataConnection &m_dataConnection;
    MachineListing m_machineListing = MachineListing::NotOffered;
};
