#pragma once
// Assembles the bytes of an FTP control connection into complete replies. Knows nothing of
// commands: it only applies RFC 959's reply syntax.

#include "session/ftpreply.h"

#include <QByteArray>
#include <QStringList>

#include <deque>
#include <optional>

class FtpReplyReader
{
public:
    // A server may send anything; these bound what the reader keeps before it gives up.
    static constexpr qsizetype MaxLineLength = 64 * 1024;
    static constexpr qsizetype MaxReplyLength = 1024 * 1024;

    enum class Error {
        None,
        LineTooLong, // a line over MaxLineLength bytes, complete or not
        ReplyTooLong // a multi-line reply over MaxReplyLength bytes
    };

    // Appends received bytes; complete replies become available through takeReply(). After an
    // error the reader ignores everything until clear(): the stream's position is lost.
    void addData(const QByteArray &data);
    Error error() const { return m_error; }
    bool hasReply() const { return !m_replies.empty(); }
    // The oldest complete reply, nullopt when none is complete yet.
    std::optional<FtpReply> takeReply();
    void clear();

private:
    void addLine(const QByteArray &line);
    void fail(Error error);

    QByteArray m_pending; // bytes of an unfinished line
    int m_multiLineCode = 0; // code of the open "xyz-" reply, 0 when none is open
    QStringList m_lines;
    bool m_firstLineIsLatin1 = false; // of the open multi-line reply
    qsizetype m_replyLength = 0; // bytes of the lines of the open multi-line reply
    Error m_error = Error::None;
    std::deque<FtpReply> m_replies;
};
