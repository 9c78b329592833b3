#pragma once
// The commands that need no data connection: PWD, CWD/CDUP, MKD, RMD, DELE, RNFR/RNTO, NOOP.

#include "session/ftpexchange.h"
#include "session/ftpreply.h"

#include <QString>

#include <optional>

namespace FtpDirectoryCommands {

std::optional<QString> currentDirectory(FtpExchange &exchange);
bool setCurrentDirectory(FtpExchange &exchange, const QString &path);
// Sends "VERB argument" (or NOOP, bare) and expects a 2yz reply.
bool simpleCommand(FtpExchange &exchange, const QString &verb, const QString &argument);
bool rename(FtpExchange &exchange, const QString &from, const QString &to);
// The path of a 257 reply to PWD; nullopt (error() says why) for any other reply.
std::optional<QString> directoryFrom(FtpExchange &exchange, const FtpReply &reply);

} // namespace FtpDirectoryCommands
