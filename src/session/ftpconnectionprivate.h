#pragma once
// The engine behind FtpConnection: the command exchange, and one part per kind of operation on
// top of it, each written top to bottom in its own file.

#include "session/ftpconnection.h"
#include "session/ftpdataconnection.h"
#include "session/ftpdownload.h"
#include "session/ftpexchange.h"
#include "session/ftplisting.h"
#include "session/ftplogin.h"
#include "session/ftpprobe.h"
#include "session/ftpupload.h"

#include <QPointer>

class FtpConnection::Private {
public:
    explicit Private(FtpConnection *owner);
    ~Private();

    // Runs one public call: refused at once while another is under way (a nested event loop can
    // call in again) or the run is cancelled, and error() tells only of this call's failure.
    template <typename Work> auto call(Work work) -> decltype(work())
    {
        if (!beginCall())
            return {};
        auto result = work();
        m_exchange.call().end();
        return result;
    }

    // The owner is going away; a running call sees the link closed and returns false.
    void detach();
    void close();
    void cancel() { m_exchange.call().cancel(); }
    void setRunCancellation(const RunCancellation *cancellation);
    bool isBusy() const;
    bool isEncrypted() const;
    QString encryptionProtocol() const { return m_exchange.control().protocolName(); }

    bool connectToHost(const QString &host, quint16 port, const QString &user, const QString &password, bool passive);

    FtpExchange &exchange() { return m_exchange; }
    const FtpExchange &exchange() const { return m_exchange; }
    FtpLogin &login() { return m_login; }
    FtpListing &listing() { return m_listing; }
    FtpDownload &download() { return m_download; }
    FtpUpload &upload() { return m_upload; }
    FtpProbe &probe() { return m_probe; }
    const FtpProbe &probe() const { return m_probe; }

private:
    bool beginCall();
    void onRunCancelled();
    void quit();
    void deliverProbeOutcome(bool answered);

    QPointer<FtpConnection> m_owner;
    FtpExchange m_exchange;
    FtpLogin m_login;
    FtpDataConnection m_dataConnection;
    FtpListing m_listing;
    FtpDownload m_download;
    FtpUpload m_upload;
    FtpProbe m_probe;
};
