#pragma once
// The FTP layer's own failure reasons, in the user's language; a server's reply text is never
// put through here, it reaches the user as the server sent it.

#include "session/ftpreplyreader.h"

#include <QString>

class QAbstractSocket;

namespace FtpFailure {

// Why a socket failed: the common cases from the catalogue, the rest in Qt's words.
QString socketError(const QAbstractSocket &socket);
QString noAnswerWithin(int timeoutMs);
QString unreadableReply(FtpReplyReader::Error error);

} // namespace FtpFailure
