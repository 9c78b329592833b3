#pragma once
// One FTP control connection with the blocking, true/false operations the program relies on.
// Every wait runs a local event loop, so the window stays responsive; one call runs at a time.
// A handler may close or even delete the connection while a call waits inside it: the call then
// returns false without touching the deleted object.

#include "session/ftperror.h"
#include "session/ftpsecurity.h"
#include "session/listingproblems.h"
#include "session/remoteentry.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class CertificateTrust;
class FtpServerMemory;
class RunCancellation;

class FtpConnection : public QObject
{
    Q_OBJECT
public:
    enum class TransferType { Ascii = 1, Binary = 2 };

    struct Timeouts {
        int connectMs = 20000;
        int replyMs = 30000;
        int dataIdleMs = 60000;
    };

    // Called at most about every 50 ms while data moves; total is -1 when unknown.
    using ProgressCallback = std::function<void(qint64 done, qint64 total)>;

    explicit FtpConnection(QObject *parent = nullptr);
    ~FtpConnection() override;

    void setTimeouts(const Timeouts &timeouts);
    Timeouts timeouts() const;
    void setProgressCallback(ProgressCallback callback);

    // For the next connectToHost(); Opportunistic unless set.
    void setSecurity(FtpSecurity security);
    // Judges certificates the system does not trust; without it they are refused.
    void setCertificateTrust(std::shared_ptr<CertificateTrust> trust);
    // Shares what the run's earlier logins learnt (TLS session, extensions) and adds to it.
    void setServerMemory(std::shared_ptr<FtpServerMemory> memory);

    // Connects and logs in; host is a name or an IPv4/IPv6 address.
    bool connectToHost(const QString &host, quint16 port, const QString &user, const QString &password, bool passive);
    bool isConnected() const;
    // Connected over TLS; every data connection is TLS as well.
    bool isEncrypted() const;
    // "TLS 1.3"; meaningful while encrypted.
    QString encryptionProtocol() const;
    // True while an operation is under way or an upload is open (between openFileForWriting() and
    // closeFile()); other calls meanwhile return false at once.
    bool isBusy() const;
    // Ends the operation under way; it returns false.
    void cancel();
    // Observes a run's Stop (the session sets its own): once it is cancelled, every call fails at
    // once with a Cancelled error(), sending nothing, and the call under way ends at once; an
    // upload left open is dropped.
    void setRunCancellation(const RunCancellation *cancellation);

    std::optional<QString> currentDirectory();
    // Absolute, relative or ".."; on failure the current directory is unchanged.
    bool setCurrentDirectory(const QString &path);
    // The entries of the current directory; nullopt when it cannot be listed. problems, when
    // given, receives what the listing left out: the names refused for this folder and the lines
    // no listing form explains. They never reach the program, but a run must say so.
    std::optional<QList<RemoteEntry>> list(ListingProblems *problems = nullptr);

    // Downloads in binary mode, overwriting localPath. knownSize is the size a listing gave
    // (-1 when none): the server is asked for it with SIZE only when there is none.
    bool getFile(const QString &remoteName, const QString &localPath, qint64 knownSize = -1);
    // Upload: open the remote file, write blocks to it, then close it to finish. Blocks of
    // 64–256 KiB move fastest; much larger ones pay for the socket buffer's extra copies.
    bool openFileForWriting(const QString &remoteName, TransferType type);
    bool writeFile(const QByteArray &block);
    bool closeFile();
    // Ends an open upload before its end with ABOR (a local read error, a Stop): the server's
    // file is incomplete, and the connection stays usable when the server answers.
    bool abortFile();

    // RFC 3659 SIZE in binary mode: the size of the file as the server stores it; nullopt when
    // the server has no SIZE or gave no number (error() says why).
    std::optional<qint64> fileSize(const QString &name);

    // NOOP: proves the server still answers without changing anything.
    bool noop();

    // Asks the server for its current directory (PWD) without waiting: false at once when it
    // cannot ask (not connected, busy, an upload open, a probe already out); otherwise
    // probeFinished() follows from the event loop. isBusy() stays false meanwhile: a call made
    // before the answer first collects it and then runs as usual, and the probe ends without a
    // signal, as it does when close() comes first.
    bool startProbe();
    bool isProbing() const;

    bool createDirectory(const QString &name);
    bool removeDirectory(const QString &name);
    bool deleteFile(const QString &name);
    bool rename(const QString &from, const QString &to);

    // Sends QUIT when connected and drops the connection. From a handler that runs while a call
    // waits inside this connection, it makes that call return false.
    void close();

    // Why the last call failed: the server's reply, the socket's failure, or the engine's own
    // reason; describe() (session/ftperrortext.h) gives the user's words for it.
    FtpError error() const;

signals:
    // Every command line as it goes to the server (the password masked), for logs and tests.
    void commandSent(const QString &command);
    // The probe's outcome: answered is false when the server refused, went away or did not
    // answer within the reply time-out (then the link is dropped, as after a call's time-out).
    void probeFinished(bool answered);

private:
    class Private;
    // Shared with every running call: deleting the connection while a call waits inside it
    // closes the link, and the call unwinds on the state it keeps alive and returns false.
    std::shared_ptr<Private> d;
};
