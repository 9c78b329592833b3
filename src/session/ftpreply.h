#pragma once
// One complete FTP server reply: the three-digit code and its text lines (RFC 959, 4.2).

#include <QString>
#include <QStringList>

class FtpReply
{
public:
    // RFC 959, 4.2.1: the first digit says how the command fared.
    enum class ReplyClass {
        Invalid, // no reply (a default-constructed value)
        Preliminary, // 1yz: action started, expect another reply
        Completion, // 2yz: action done
        Intermediate, // 3yz: send the next command of the sequence (PASS, RNTO)
        TransientError, // 4yz: not done, may work later
        PermanentError // 5yz: not done
    };

    FtpReply() = default;
    FtpReply(int code, QStringList lines, bool firstLineIsLatin1 = false);

    int code() const { return m_code; }
    ReplyClass replyClass() const;
    bool isValid() const { return m_code >= 100 && m_code <= 599; }
    bool isPreliminary() const { return replyClass() == ReplyClass::Preliminary; }
    bool isCompletion() const { return replyClass() == ReplyClass::Completion; }
    bool isIntermediate() const { return replyClass() == ReplyClass::Intermediate; }
    bool isError() const;

    // Every line as the server sent it, code included ("550 No such file").
    QStringList lines() const { return m_lines; }
    // The lines joined with line feeds: what a user reads as the server's answer.
    QString text() const { return m_lines.join(QLatin1Char('\n')); }
    // The text after the code of the first line ("No such file" of "550 No such file").
    QString message() const;
    // The first line was not UTF-8 and was read as Latin-1: its toLatin1() is the server's bytes.
    bool isFirstLineLatin1() const { return m_firstLineIsLatin1; }

private:
    int m_code = 0;
    QStringList m_lines;
    bool m_firstLineIsLatin1 = false;
};
