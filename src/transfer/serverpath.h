#pragma once
// Moving the server between folders named by absolute paths: one command a step where that is
// enough, and one name at a time from the root, an ordinary relative CWD each, where it is not.

#include <QString>
#include <QStringList>

class FtpConnection;

// The folder names of an absolute server path: "/pub/docs/img/" gives pub, docs, img; "/pub/docs"
// gives pub, docs; "/" gives the single name "/". Names keep their blanks.
QStringList SplitServerPath(const QString &path);

// Changes to "/" and then into each name in turn; false as soon as a step is refused, so that
// nobody works on in whatever folder the server happens to be in.
bool EnterServerPath(FtpConnection *connection, const QStringList &names);

// Moves the server from folder from to folder to (absolute, with closing slashes; from empty when
// where it is is not known): into a child of from by its name, anywhere else by one CWD of the
// absolute path. Never CDUP or "..": after a link the server may be in the folder behind it,
// whose parent is another one. A refused step, or a path that does not start with "/", falls
// back to EnterServerPath, which leaves the server in the deepest folder of the way it entered.
bool MoveServerPath(FtpConnection *connection, const QString &from, const QString &to);
