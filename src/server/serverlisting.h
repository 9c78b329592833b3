#pragma once
// The small operations every server command uses: the server's current directory, the column
// texts of a server listing, and the private scratch folder for files fetched to be opened.

#include <QDateTime>
#include <QString>

class FtpConnection;

// The server's current directory; empty when there is no connection or the server does not say.
QString GetServerDirectory(FtpConnection *connection);
// Absolute, relative or ".."; false (and the directory unchanged) when the server refuses it or
// there is no connection.
bool SetServerDirectory(FtpConnection *connection, const QString &path);

// "n KB" with n = size / 1024 rounded half to even, at least 1.
QString FormatServerSize(qint64 size);
// "07.03.2004 09:05" of the time as the server gave it (no conversion to local time); empty when
// the server gave none.
QString FormatServerTime(const QDateTime &time);
// The letters of the set bits in the server list's order T R H S D N C A.
QString FormatServerAttributes(quint32 word);

// Full path of an empty (or already present) file of that name in the private scratch folder;
// empty when the folder cannot be made or the name could leave it.
QString MakeScratchFile(const QString &name);

// Creates the folder name (relative to the server's current directory); false when the server
// refuses (it exists, or no permission) or there is no connection.
bool CreateServerFolder(FtpConnection *connection, const QString &name);
// Renames (or moves) oldName to newName; false when the server refuses or there is no connection.
bool RenameServerItem(FtpConnection *connection, const QString &oldName, const QString &newName);
// Removes the folder name, which must be empty; false when the server refuses or there is no
// connection.
bool RemoveServerFolder(FtpConnection *connection, const QString &name);
// Deletes the file name; false when the server refuses or there is no connection.
bool DeleteServerFile(FtpConnection *connection, const QString &name);
