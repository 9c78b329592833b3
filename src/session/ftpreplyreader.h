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
    // Appends received bytes; complete replies become available through takeReply().
    void addData(const QByteArray &data);
    bool hasReply() const { return !m_replies.empty(); }
    // The oldest complete reply, nullopt when none is complete yet.
    std::optional<FtpReply> takeReply();
    void clear();

private:
    void addLine(const QString &line);

    QByteArray m_pending; // bytes of an unfinished line
    int m_multiLineCode = 0; // code of the open "xyz-" reply, 0 when none is open
    QStringList m_lines;
    std::deque<FtpReply> m_replies;
};
