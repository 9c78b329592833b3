#pragma once
// The command exchange every operation builds on: sends a command once the replies still owed are
// in, waits for its replies within the call's time-outs, and keeps the reason of the last failure.
// Where the connection stands between calls is kept here too.

#include "session/ftpcall.h"
#include "session/ftpconnection.h"
#include "session/ftpcontrollink.h"
#include "session/ftpdatalink.h"
#include "session/ftperror.h"
#include "session/ftpreply.h"

#include <QString>

#include <functional>
#include <optional>

class FtpExchange {
public:
    enum class State {
        Unconnected, // no link: never connected, closed, or dropped after a failure
        Connecting, // TCP connect and the server's greeting are awaited
        LoggingIn, // AUTH TLS, PBSZ/PROT, USER/PASS, FEAT and OPTS are being exchanged
        Ready, // logged in; any command may be sent
        Uploading // STOR is open: only writeFile() and closeFile() may follow
    };

    // announce hears every command line as it goes out, the password masked.
    explicit FtpExchange(std::function<void(const QString &)> announce);

    void setTimeouts(const FtpConnection::Timeouts &timeouts) { m_timeouts = timeouts; }
    const FtpConnection::Timeouts &timeouts() const { return m_timeouts; }

    FtpControlLink &link() { return m_link; }
    FtpControlChannel &control() { return m_link.channel(); }
    const FtpControlChannel &control() const { return m_link.channel(); }
    FtpDataLink &data() { return m_data; }
    FtpNameCodec &names() { return m_link.names(); }
    FtpCall &call() { return m_call; }
    const FtpCall &call() const { return m_call; }

    State state() const { return m_state; }
    void setState(State state) { m_state = state; }
    bool isConnected() const;

    FtpError error() const { return m_error; }
    void clearError() { m_error = {}; }
    // Records the reason of this call's failure; false, for the caller to return.
    bool fail(const FtpError &error);
    bool fail(FtpError::Kind kind) { return fail(FtpError(kind)); }
    bool failWith(const FtpReply &reply) { return fail(FtpError::fromReply(reply)); }

    // Waits until done() holds. False when it did not in time (no activity for timeoutMs), when the
    // call was cancelled, or when the control or data connection failed; error() says which.
    bool waitFor(const std::function<bool()> &done, int timeoutMs, bool cancellable = true);

    // False when a reply still owed by an abandoned command did not arrive in time, or when the
    // call was cancelled.
    bool sendCommand(const QString &command);
    // Waits for the newest command's next reply (final: skipping 1yz ones).
    std::optional<FtpReply> readReply(int timeoutMs);
    std::optional<FtpReply> readFinalReply(int timeoutMs);
    std::optional<FtpReply> command(const QString &command);
    bool expectCompletion(const QString &command);

    // A line break would end the command early and smuggle the rest in as a second command.
    static bool hasLineBreak(const QString &text);
    // The call may send a command: connected, no upload open.
    bool checkReady();
    // The same, and argument is a name the command may carry.
    bool checkArgument(const QString &argument);

    // RFC 959, 4.1.3 ABOR: ends the transfer under way and leaves the connection usable; drops
    // the link when the replies do not come within a few seconds or ABOR is refused.
    void abortTransfer();
    // Says goodbye (QUIT) and closes the link; for use between calls.
    void quit();
    // Drops the link at once: after a failure nothing the server says can be trusted any more.
    void drop();

private:
    FtpConnection::Timeouts m_timeouts;
    FtpControlLink m_link;
    FtpDataLink m_data;
    FtpCall m_call;
    State m_state = State::Unconnected;
    FtpError m_error;
};
