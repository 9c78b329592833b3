#pragma once
// Walking the server's folders by absolute path, one name at a time from the root, so that every
// step is an ordinary relative CWD whatever the server's path syntax.

#include <QString>
#include <QStringList>

class FtpConnection;

// The folder names of an absolute server path: "/pub/docs/img/" gives pub, docs, img; "/pub/docs"
// gives pub, docs; "/" gives the single name "/". Names keep their blanks.
QStringList SplitServerPath(const QString &path);

// Changes to "/" and then into each name in turn; false as soon as a step is refused, so that
// nobody works on in whatever folder the server happens to be in.
bool EnterServerPath(FtpConnection *connection, const QStringList &names);
