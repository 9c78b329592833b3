#include "session/ftpdownload.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// RFC 3659, 4.2: "213 1234"; nullopt for any other reply, "213 lots" included: unknown, not 0.
std::optional<qint64> sizeFrom(const FtpReply &reply)
{
    bool isNumber = false;
    const qint64 size = reply.message().trimmed().toLongLong(&isNumber);
    if (reply.code() != 213 || !isNumber || size < 0)
        return std::nullopt;
    return size;
}

} // namespace

FtpDownload::FtpDownload(FtpExchange &exchange, FtpDataConnection &dataConnection)
    : m_exchange(exchange)
    , m_dataConnection(dataConnection)
{
}

bool FtpDownload::getFile(const QString &remoteName, const QString &localPath, qint64 knownSize)
{
    if (!m_exchange.checkArgument(remoteName) || !m_dataConnection.ensureType(FtpConnection::TransferType::Binary))
        return false;
    // RFC 3659 SIZE gives the progress its total, unless a listing already did: a round trip per
    // file saved. A server without it leaves the total unknown.
    std::optional<qint64> announced;
    bool listingSizeOnly = knownSize >= 0;
    if (knownSize >= 0) {
        announced = knownSize;
    } else {
        const std::optional<FtpReply> sizeReply = m_exchange.command(QStringLiteral("SIZE ") + remoteName);
        if (!sizeReply)
            return false;
        announced = sizeFrom(*sizeReply);
    }
    QFile file(localPath);
    if (!m_dataConnection.open())
        return false;
    FtpDataLink &data = m_exchange.data();
    data.setTotal(announced.value_or(-1));
    const bool received = m_dataConnection.receive(QStringLiteral("RETR ") + remoteName, [&](const FtpReply &first) {
        // vsftpd and proftpd: "150 Opening BINARY mode data connection for a.bin (12345 bytes)",
        // the size at the moment the transfer starts.
        static const QRegularExpression byteCount(QStringLiteral("\\((\\d+) bytes\\)"));
        const QRegularExpressionMatch match = byteCount.match(first.text());
        bool isNumber = false;
        const qint64 count = match.captured(1).toLongLong(&isNumber);
        if (isNumber) {
            announced = count;
            listingSizeOnly = false;
            data.setTotal(count);
        }
        // Opened only once the server agreed to send, so a refused download leaves an existing
        // local file untouched. Unbuffered: the channel already writes megabyte blocks.
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered))
            return m_exchange.fail(FtpError(FtpError::Kind::LocalFile, file.errorString()));
        data.channel()->setSink(&file);
        return true;
    });
    // A cut data connection looks like the end of the file (stream mode, RFC 959, 3.4), and
    // some servers have already answered 226 for what they handed to the network.
    const qint64 arrived = data.channel() ? data.channel()->bytesTransferred() : 0;
    data.release();
    // A listing's size may be rounded (ls -h "1.2M", VMS blocks) or older than the file: only the
    // server's own count decides that a download came up short or long.
    if (received && announced && arrived != *announced && listingSizeOnly) {
        const std::optional<FtpReply> sizeReply = m_exchange.command(QStringLiteral("SIZE ") + remoteName);
        if (!sizeReply)
            return false;
        announced = sizeFrom(*sizeReply);
        data.reportCorrectedTotal(arrived, announced.value_or(-1));
    }
    if (received && announced && arrived < *announced)
        return m_exchange.fail(FtpError::downloadShort(arrived, *announced));
    return received;
}

std::optional<qint64> FtpDownload::fileSize(const QString &name)
{
    // RFC 3659, 4: the size depends on the type; in image type it is the stored byte count.
    if (!m_exchange.checkArgument(name) || !m_dataConnection.ensureType(FtpConnection::TransferType::Binary))
        return std::nullopt;
    const std::optional<FtpReply> reply = m_exchange.command(QStringLiteral("SIZE ") + name);
    if (!reply)
        return std::nullopt;
    if (!reply->isCompletion()) {
        m_exchange.failWith(*reply);
        return std::nullopt;
    }
    const std::optional<qint64> size = sizeFrom(*reply);
    if (!size)
        m_exchange.fail(FtpError::unexpectedReply(QStringLiteral("SIZE"), *reply));
    return size;
}
