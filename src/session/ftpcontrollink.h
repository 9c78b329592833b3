#pragma once
// The control connection as the engine speaks over it: every command line that goes out, and the
// final replies still owed to them. Every command gets any number of 1yz replies and exactly one
// final reply (RFC 959, 4.2); ABOR adds its own.

#include "session/ftpcontrolchannel.h"
#include "session/ftpnamecodec.h"
#include "session/ftpreply.h"

#include <QString>

#include <functional>
#include <optional>

class FtpControlLink {
public:
    // announce hears every command line as it goes out, the password masked.
    explicit FtpControlLink(std::function<void(const QString &)> announce);

    FtpControlChannel &channel() { return m_channel; }
    const FtpControlChannel &channel() const { return m_channel; }
    // How this server's names become text and back; the commands go out through it.
    FtpNameCodec &names() { return m_names; }

    // RFC 959, 5.4: the greeting is the reply to the connection itself.
    void expectGreeting() { m_owedReplies = 1; }
    // Sends at once; the caller has collected every owed reply.
    void transmit(const QString &command);
    // RFC 959, 4.1.3 ABOR, sent without waiting: the aborted command's reply and ABOR's own are
    // owed then, in this order. Nothing goes out when the link is down.
    void sendAbort();

    bool owesReplies() const { return m_owedReplies > 0; }
    // ABOR is out and its replies are owed: they are awaited only for a short while.
    bool isAbortOut() const { return m_abortOut; }
    // The next reply to the commands sent; nullopt when none is complete yet.
    std::optional<FtpReply> takeOwnReply();
    std::optional<FtpReply> takeOwnFinalReply();
    // Takes the owed replies that have arrived; true once none is owed. sessionEnding, when given,
    // learns whether one of them announced the end of the session (421 or 5yz).
    bool collectOwedReplies(bool *sessionEnding = nullptr);

    // Says goodbye (QUIT) and closes gracefully.
    void quit();
    // Drops the link at once, discarding unsent commands and unread replies.
    void drop();

private:
    void forgetOwedReplies();

    FtpControlChannel m_channel;
    FtpNameCodec m_names;
    std::function<void(const QString &)> m_announce;
    int m_owedReplies = 0; // final replies still owed: the command sent last's, and ABOR's
    bool m_abortOut = false;
};
