#include "session/ftpreply.h"

FtpReply::FtpReply(int code, QStringList lines, bool firstLineIsLatin1)
    : m_code(code)
    , m_lines(std::move(lines))
    , m_firstLineIsLatin1(firstLineIsLatin1)
{
}

FtpReply::ReplyClass FtpReply::replyClass() const
{
    if (!isValid())
        return ReplyClass::Invalid;
    switch (m_code / 100) {
    case 1:
        return ReplyClass::Preliminary;
    case 2:
        return ReplyClass::Completion;
    case 3:
        return ReplyClass::Intermediate;
    case 4:
        return ReplyClass::TransientError;
    default:
        return ReplyClass::PermanentError;
    }
}

bool FtpReply::isError() const
{
    const ReplyClass kind = replyClass();
    return kind == ReplyClass::TransientError || kind == ReplyClass::PermanentError || kind == ReplyClass::Invalid;
}

QString FtpReply::message() const
{
    return m_lines.isEmpty() ? QString() : m_lines.first().mid(4);
}
