#pragma once
// Why an FTP call failed, as a value: what went wrong, the reply that said so, and the words (the
// server's, Qt's) and numbers a description needs. describe() (ftperrortext.h) puts it into the
// user's language; the engine itself knows no catalogue.

#include "session/ftpreply.h"
#include "session/ftpreplyreader.h"

#include <QString>

class QAbstractSocket;

class FtpError {
public:
    enum class Kind {
        None,
        // The call could not start, or was ended from outside.
        Busy, // another call runs on this connection
        NotConnected,
        UploadOpen, // only writeFile() and closeFile() may follow
        NoUpload, // writeFile(), closeFile() or abortFile() without an open upload
        Cancelled,
        Closed, // close() came while the call waited
        // What the call was to send.
        NoName,
        UnsafeName, // a line break or NUL in the name (detail)
        UnsafeLogin, // a line break in the user name or password
        // The control connection.
        TimedOut, // the server said nothing for amount() milliseconds
        ConnectionRefused,
        HostNotFound,
        ClosedByServer,
        TlsFailed, // the handshake or the encrypted link failed; detail: Qt's reason
        SocketFailed, // any other socket failure; detail: Qt's words
        LineTooLong, // the server sent a line past FtpReplyReader::MaxLineLength
        ReplyTooLong, // ... or a reply past FtpReplyReader::MaxReplyLength
        // The server's replies; replyCode() and detail (its text) tell which.
        Reply, // the server refused or failed the command
        UnexpectedReply, // a reply to command() the engine cannot use
        TlsNotOffered, // AUTH TLS refused while TLS is required
        ProtectionRefused, // PBSZ or PROT refused
        UploadEnded, // the server ended an upload before its end
        CertificateRefused, // neither the system nor the run's trust accepted the certificate
        // The data connection and the local side.
        DataClosed, // it closed before the upload was complete
        DataFailed, // it failed without a reason of its own
        DataPeerMismatch, // it showed another certificate than the control connection
        ListingTooLong, // past ListingReader::MaxEntries or MaxBytes
        DownloadShort, // amount() of the total() bytes the server announced arrived
        LocalFile // a local file could not be opened or written; detail: Qt's words
    };

    FtpError() = default;
    explicit FtpError(Kind kind, QString detail = {}, int replyCode = 0);
    // A reply that failed the call: its code and text (Kind::Reply unless kind says otherwise).
    static FtpError fromReply(const FtpReply &reply, Kind kind = Kind::Reply);
    static FtpError unexpectedReply(const QString &command, const FtpReply &reply);
    static FtpError timedOut(int timeoutMs);
    static FtpError downloadShort(qint64 arrived, qint64 announced);
    // Why a socket failed: the common cases by kind, the rest in Qt's words.
    static FtpError fromSocket(const QAbstractSocket &socket);
    static FtpError unreadableReply(FtpReplyReader::Error error);

    Kind kind() const { return m_kind; }
    bool isError() const { return m_kind != Kind::None; }
    // The code of the reply that caused it; 0 when no reply did.
    int replyCode() const { return m_replyCode; }
    FtpReply::ReplyClass replyClass() const;
    // The server's reply text, Qt's words, or the name the call refused.
    QString detail() const { return m_detail; }
    // The command an unexpected reply answered ("PASV").
    QString command() const { return m_command; }
    // The milliseconds of a time-out, the bytes that arrived of a short download.
    qint64 amount() const { return m_amount; }
    // The bytes a short download's server announced.
    qint64 total() const { return m_total; }

private:
    Kind m_kind = Kind::None;
    int m_replyCode = 0;
    QString m_detail;
    QString m_command;
    qint64 m_amount = 0;
    qint64 m_total = 0;
};
