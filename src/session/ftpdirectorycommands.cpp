#include "session/ftpdirectorycommands.h"

namespace {

// RFC 959, appendix II: 257 "/dir with ""quotes""" is current directory. Some servers do not
// double the quotes inside (257 "/say "hi"" is your current location); where the RFC reading
// stops in the middle of a word, the path runs to the last quote before the reply's comment.
std::optional<QString> quotedPath(const QString &line)
{
    const qsizetype open = line.indexOf(QLatin1Char('"'));
    if (open < 0)
        return std::nullopt;
    QString path;
    for (qsizetype i = open + 1; i < line.size(); ++i) {
        if (line.at(i) != QLatin1Char('"')) {
            path += line.at(i);
        } else if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
            path += QLatin1Char('"');
            ++i;
        } else if (i + 1 == line.size() || line.at(i + 1) == QLatin1Char(' ')) {
            return path;
        } else {
            const qsizetype close = line.lastIndexOf(QStringLiteral("\" "));
            const qsizetype end = close > i ? close : line.lastIndexOf(QLatin1Char('"'));
            return line.mid(open + 1, end - open - 1);
        }
    }
    return std::nullopt;
}

} // namespace

namespace FtpDirectoryCommands {

std::optional<QString> currentDirectory(FtpExchange &exchange)
{
    if (!exchange.checkReady())
        return std::nullopt;
    const std::optional<FtpReply> reply = exchange.command(QStringLiteral("PWD"));
    if (!reply)
        return std::nullopt;
    return directoryFrom(exchange, *reply);
}

bool setCurrentDirectory(FtpExchange &exchange, const QString &path)
{
    if (!exchange.checkArgument(path))
        return false;
    // CDUP (RFC 959, 4.1.1) leaves the step up to the server, whatever its path syntax.
    if (path == QLatin1String(".."))
        return exchange.expectCompletion(QStringLiteral("CDUP"));
    return exchange.expectCompletion(QStringLiteral("CWD ") + path);
}

bool simpleCommand(FtpExchange &exchange, const QString &verb, const QString &argument)
{
    if (verb == QLatin1String("NOOP") ? !exchange.checkReady() : !exchange.checkArgument(argument))
        return false;
    return exchange.expectCompletion(argument.isEmpty() ? verb : verb + QLatin1Char(' ') + argument);
}

bool rename(FtpExchange &exchange, const QString &from, const QString &to)
{
    if (!exchange.checkArgument(from) || !exchange.checkArgument(to))
        return false;
    // RFC 959, 4.1.3: RNFR must be answered with 350 before RNTO may follow.
    const std::optional<FtpReply> reply = exchange.command(QStringLiteral("RNFR ") + from);
    if (!reply)
        return false;
    if (!reply->isIntermediate())
        return exchange.failWith(*reply);
    return exchange.expectCompletion(QStringLiteral("RNTO ") + to);
}

std::optional<QString> directoryFrom(FtpExchange &exchange, const FtpReply &reply)
{
    if (!reply.isCompletion()) {
        exchange.failWith(reply);
        return std::nullopt;
    }
    const std::optional<QString> path = quotedPath(reply.lines().constFirst());
    if (!path) {
        exchange.fail(FtpError::unexpectedReply(QStringLiteral("PWD"), reply));
        return std::nullopt;
    }
    // Read again part by part: a folder with a Latin-1 name may sit in one with a UTF-8 name, and
    // each must go back to the server as it came.
    return exchange.names().decodeName(reply.isFirstLineLatin1() ? path->toLatin1() : path->toUtf8());
}

} // namespace FtpDirectoryCommands
