#pragma once
// How names travel between a server's bytes and the program's text. RFC 959 leaves the bytes of a
// pathname to the server, and RFC 2640 asks for UTF-8, which old servers never heard of: a name
// that is not valid UTF-8 (a Latin-1 "caf\xe9.txt") is shown as Latin-1 and remembered, so that
// every command about it sends the server's own bytes again.

#include <QByteArray>
#include <QByteArrayView>
#include <QSet>
#include <QString>

#include <memory>

class FtpNameCodec {
public:
    // A line from the server: UTF-8 when it is valid UTF-8, otherwise Latin-1, one character per
    // byte, so that toLatin1() of the text gives the bytes back. isLatin1, when given, says which.
    static QString decodeLine(QByteArrayView bytes, bool *isLatin1 = nullptr);

    // A name or path as the server's bytes; each '/'-separated part is read on its own, and the
    // parts that are not UTF-8 are remembered.
    QString decodeName(QByteArrayView bytes);
    // A path as the server's bytes: remembered parts as they came, every other part as UTF-8.
    QByteArray encodeName(const QString &name) const;
    // A command line as it goes out; the argument of a command that names a file or folder is
    // encoded as encodeName() does, every other command as UTF-8.
    QByteArray encodeCommand(const QString &command) const;

    // A new connection: the parts learnt of its server earlier in the run (shared with the run's
    // memory of that server, so a reconnect sends them back as they came), or none.
    void useKnownParts(std::shared_ptr<QSet<QString>> parts)
    {
        m_latin1Parts = parts ? std::move(parts) : std::make_shared<QSet<QString>>();
    }

private:
    // Decoded parts whose server bytes are Latin-1.
    std::shared_ptr<QSet<QString>> m_latin1Parts = std::make_shared<QSet<QString>>();
};
