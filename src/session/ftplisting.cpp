#include "session/ftplisting.h"

#include "session/listingreader.h"

FtpListing::FtpListing(FtpExchange &exchange, FtpDataConnection &dataConnection)
    : m_exchange(exchange)
    , m_dataConnection(dataConnection)
{
}

void FtpListing::reset(bool machineListingOffered)
{
    m_machineListing = machineListingOffered ? MachineListing::Offered : MachineListing::NotOffered;
}

std::optional<QList<RemoteEntry>> FtpListing::list(ListingProblems *problems)
{
    if (problems)
        *problems = {};
    // Listings travel in ASCII type (RFC 959, 4.1.3 LIST; RFC 3659, 7 MLSD).
    if (!m_exchange.checkReady() || !m_dataConnection.ensureType(FtpConnection::TransferType::Ascii))
        return std::nullopt;
    bool machineListing = m_machineListing == MachineListing::Offered;
    std::optional<ListingReader> reader;
    const auto receiveListing = [&](std::optional<FtpReply> *refusal) {
        reader.emplace(
            machineListing ? ListingReader::Format::Mlsd : ListingReader::Format::List, &m_exchange.names());
        if (!m_dataConnection.open())
            return false;
        // Parsed as it arrives, even before the server's 150: only the entries are kept.
        m_exchange.data().channel()->setSink(&*reader);
        return m_dataConnection.receive(machineListing ? QStringLiteral("MLSD") : QStringLiteral("LIST"), {}, refusal);
    };
    std::optional<FtpReply> refusal;
    bool received = receiveListing(&refusal);
    // Some servers announce MLST and still refuse MLSD (a proxy in between, a module switched off).
    if (!received && machineListing && refusal && refusal->replyClass() == FtpReply::ReplyClass::PermanentError) {
        machineListing = false;
        received = receiveListing(nullptr);
        if (received)
            m_machineListing = MachineListing::Refused;
    }
    m_exchange.data().release();
    if (!received) {
        // The reader refused more data; the data connection takes it for a failing local sink.
        if (reader->hasOverflowed() && m_exchange.error().kind() == FtpError::Kind::LocalFile)
            m_exchange.fail(FtpError(FtpError::Kind::ListingTooLong));
        return std::nullopt;
    }
    reader->finish();
    // The last bytes arrived before the parser found the entries too many.
    if (reader->hasOverflowed()) {
        m_exchange.fail(FtpError(FtpError::Kind::ListingTooLong));
        return std::nullopt;
    }
    if (problems)
        *problems = reader->problems();
    return reader->takeEntries();
}
