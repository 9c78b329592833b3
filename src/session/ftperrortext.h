#pragma once
// The words a user reads for an FTP failure, in the chosen language; the server's reply text and
// Qt's words are shown as they are.

#include "session/ftperror.h"

#include <QString>

QString describe(const FtpError &error);
