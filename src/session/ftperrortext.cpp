#include "session/ftperrortext.h"

#include "core/textcatalogue.h"
#include "session/ftpreplyreader.h"
#include "session/listingreader.h"

#include <QLocale>

QString describe(const FtpError &error)
{
    using Kind = FtpError::Kind;
    // The catalogue's sentence, then what the server or Qt said.
    const auto withDetail = [&](const char *key) { return text(key) + u' ' + error.detail(); };
    switch (error.kind()) {
    case Kind::None:
        return {};
    case Kind::Busy:
        return text("FTP_BUSY");
    case Kind::NotConnected:
        return text("FTP_NOTCONNECTED");
    case Kind::UploadOpen:
        return text("FTP_UPLOADOPEN");
    case Kind::NoUpload:
        return text("FTP_NOUPLOAD");
    case Kind::Cancelled:
        return text("FTP_CANCELLED");
    case Kind::Closed:
        return text("FTP_CLOSED");
    case Kind::NoName:
        return text("FTP_NONAME");
    case Kind::UnsafeName:
        return withDetail("FTP_LINEBREAK");
    case Kind::UnsafeLogin:
        return text("FTP_LOGINLINEBREAK");
    case Kind::TimedOut:
        return text("FTP_TIMEOUT").arg(error.amount() / 1000.0);
    case Kind::ConnectionRefused:
        return text("FTP_REFUSED");
    case Kind::HostNotFound:
        return text("FTP_HOSTNOTFOUND");
    case Kind::ClosedByServer:
        return text("FTP_CLOSEDBYSERVER");
    case Kind::TlsFailed:
        return text("FTP_TLSFAILED").arg(error.detail());
    case Kind::SocketFailed:
    case Kind::Reply:
    case Kind::LocalFile:
        return error.detail();
    case Kind::LineTooLong:
        return text("FTP_LINETOOLONG").arg(FtpReplyReader::MaxLineLength / 1024);
    case Kind::ReplyTooLong:
        return text("FTP_REPLYTOOLONG").arg(FtpReplyReader::MaxReplyLength / (1024 * 1024));
    case Kind::UnexpectedReply:
        return text("FTP_UNEXPECTED").arg(error.command()) + u' ' + error.detail();
    case Kind::TlsNotOffered:
        return withDetail("FTP_TLSNOTOFFERED");
    case Kind::ProtectionRefused:
        return withDetail("FTP_TLSPROTREFUSED");
    case Kind::UploadEnded:
        return withDetail("FTP_UPLOADENDED");
    case Kind::CertificateRefused:
        return text("FTP_CERTREFUSED");
    case Kind::DataClosed:
        return text("FTP_DATACLOSED");
    case Kind::DataFailed:
        return text("FTP_DATAFAILED");
    case Kind::DataPeerMismatch:
        return text("FTP_TLSDATAPEER");
    case Kind::ListingTooLong:
        return text("FTP_LISTINGTOOLONG")
            .arg(QLocale().toString(qlonglong(ListingReader::MaxEntries)))
            .arg(ListingReader::MaxBytes / (1024 * 1024));
    case Kind::DownloadShort:
        return text("FTP_DOWNLOADSHORT").arg(error.amount()).arg(error.total());
    }
    return {};
}
