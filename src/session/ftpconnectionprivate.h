#pragma once
// The protocol engine behind FtpConnection: the command sequences of every operation, written
// top to bottom, each wait a local event loop with a time-out.

#include "session/certificatetrust.h"
#include "session/ftpconnection.h"
#include "session/ftpcontrolchannel.h"
#include "session/ftpdatachannel.h"
#include "session/ftpreply.h"
#include "session/runcancellation.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QSet>
#include <QTimer>

class QEventLoop;

class FtpConnection::Private
{
public:
    // Where the control connection stands between calls.
    enum class State {
        Unconnected, // no link: never connected, closed, or dropped after a failure
        Connecting, // TCP connect and the server's greeting are awaited
        LoggingIn, // AUTH TLS, PBSZ/PROT, USER/PASS, FEAT and OPTS are being exchanged
        Ready, // logged in; any command may be sent
        Uploading // STOR is open: only writeFile() and closeFile() may follow
    };

    explicit Private(FtpConnection *owner);
    ~Private();

    // Runs one public call: refused at once while another is under way (a nested event loop can
    // call in again) or the run is cancelled, and lastError() describes only this call's failure.
    template <typename Work> auto call(Work work) -> decltype(work())
    {
        if (!beginCall())
            return {};
        auto result = work();
        m_callRunning = false;
        return result;
    }

    // The owner is going away; a running call sees the link closed and returns false.
    void detach();
    void close();
    void cancel();
    void setRunCancellation(const RunCancellation *cancellation);
    bool isConnected() const;
    bool isBusy() const { return m_callRunning || m_state == State::Uploading; }

    bool connectToHost(const QString &host, quint16 port, const QString &user, const QString &password, bool passive);
    std::optional<QString> currentDirectory();
    bool setCurrentDirectory(const QString &path);
    std::optional<QList<RemoteEntry>> list(QStringList *refusedNames);
    bool getFile(const QString &remoteName, const QString &localPath);
    bool openFileForWriting(const QString &remoteName, TransferType type);
    bool writeFile(const QByteArray &block);
    bool closeFile();
    bool abortFile();
    std::optional<qint64> fileSize(const QString &name);
    // Sends "VERB argument" (or the bare verb) and expects a 2yz reply.
    bool simpleCommand(const QString &verb, const QString &argument);
    bool rename(const QString &from, const QString &to);
    bool startProbe();
    bool isProbing() const { return m_probing; }

    bool isEncrypted() const { return isConnected() && m_control.isEncrypted(); }
    QString encryptionProtocol() const { return m_control.protocolName(); }

    Timeouts timeouts;
    ProgressCallback progress;
    QString lastError;
    FtpSecurity security = FtpSecurity::Opportunistic;
    std::shared_ptr<CertificateTrust> trust;

private:
    bool beginCall();
    bool isRunCancelled() const { return m_run && m_run->isCancelled(); }
    void onRunCancelled();
    // Drops an open upload between calls; the server's final reply to STOR stays owed.
    void abandonUpload();

    // Waits until done() holds. False when it did not in time (no activity for timeoutMs), when the
    // call was cancelled, or when the control or data connection failed; lastError says which.
    bool waitFor(const std::function<bool()> &done, int timeoutMs, bool cancellable = true);
    void wake();

    // False when a reply still owed by an abandoned command did not arrive in time, or when the
    // call was cancelled.
    bool sendCommand(const QString &command);
    // Sends at once; the caller has collected every owed reply.
    void transmit(const QString &command);
    // The next reply to the command sent last; nullopt when none is complete yet.
    std::optional<FtpReply> takeOwnReply();
    std::optional<FtpReply> takeOwnFinalReply();
    // Waits for the newest command's next reply (final: skipping 1yz ones).
    std::optional<FtpReply> readReply(int timeoutMs);
    std::optional<FtpReply> readFinalReply(int timeoutMs);
    std::optional<FtpReply> command(const QString &command);
    bool expectCompletion(const QString &command);
    bool failWith(const FtpReply &reply);
    // The path of a 257 reply to PWD; nullopt (lastError says why) for any other reply.
    std::optional<QString> directoryFrom(const FtpReply &reply);
    // The call may send a command naming argument: connected, no upload open, a safe name.
    bool checkArgument(const QString &argument);
    bool checkReady();

    bool readFeatures();
    // RFC 4217, 4: AUTH TLS and the handshake, when the security setting and the server allow;
    // false when the connection must not go on.
    bool secureControl();
    // The server's certificate, judged by the system or else by the run's trust.
    bool acceptCertificate();
    // RFC 4217, 8-9: PBSZ 0 and PROT P, so every data connection is TLS as well.
    bool protectData(bool loggedIn);
    bool ensureType(TransferType type);
    bool openDataChannel();
    bool openPassive();
    bool openActive();
    // Sends a data command (LIST, MLSD, RETR) and receives until it is complete; started() runs
    // with the server's first reply once it accepted the command. A refusing reply is also given
    // in refusal.
    bool receive(const QString &command, const std::function<bool(const FtpReply &first)> &started,
        std::optional<FtpReply> *refusal = nullptr);
    bool finishTransfer(std::optional<FtpReply> finalReply, bool upload = false);
    void abortData();
    // After a refused transfer command: the data connection it did not use, see the definition.
    void setAsideUnusedData();
    void dropUnusedData();
    // RFC 959, 4.1.3 ABOR: ends the transfer under way and leaves the connection usable; drops
    // the link when the replies do not come within a few seconds or ABOR is refused.
    void abortTransfer();
    // Sends ABOR without waiting; the next command collects its replies first.
    void sendAbort();
    void onDataActivity();
    void reportProgress();
    // Says goodbye (QUIT) and closes the link; for use between calls.
    void quit();
    // Drops the link at once: after a failure nothing the server says can be trusted any more.
    void dropLink();

    // The probe moves on each sign of life of the control connection, without any wait.
    void advanceProbe();
    void failProbe(const QString &reason);
    void finishProbe(bool answered);
    void endProbe();

    QPointer<FtpConnection> m_owner;
    FtpControlChannel m_control;
    std::unique_ptr<FtpDataChannel> m_data;
    std::unique_ptr<FtpDataChannel> m_unusedData; // set aside by setAsideUnusedData()
    int m_inDataSignal = 0; // the data channel's activity signal is being delivered
    State m_state = State::Unconnected;
    bool m_passive = false;
    QSet<QString> m_features;
    QString m_host;
    quint16 m_port = 0;
    bool m_protectData = false; // PROT P is in force
    bool m_protectAfterLogin = false; // the server takes PBSZ and PROT only once logged in
    bool m_mlsdRefused = false; // the server announced MLST but refused MLSD: LIST instead
    std::optional<TransferType> m_type;
    int m_awaitedReplies = 0; // final replies still owed: the command sent last's, and ABOR's
    bool m_transferring = false; // a data command was sent and its transfer is not over
    bool m_abortSent = false; // ABOR is out: its replies are owed only for a short while

    bool m_callRunning = false;
    bool m_cancelled = false;
    bool m_closed = false;
    QPointer<const RunCancellation> m_run;
    QMetaObject::Connection m_runObserver;
    QEventLoop *m_loop = nullptr;
    QElapsedTimer m_activity; // since the last sign of life of the server
    QElapsedTimer m_progressClock;
    qint64 m_transferTotal = -1;

    TransferType m_uploadType = TransferType::Binary;
    bool m_uploadEndsInCr = false; // for the LF -> CR LF conversion of ASCII uploads
    std::optional<FtpReply> m_uploadFinalReply; // the server may end a STOR early (552 quota)

    bool m_probing = false;
    bool m_probeSent = false; // PWD is out; before that, an abandoned command's reply is collected
    QTimer m_probeTimer;
};
