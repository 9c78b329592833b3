#include "session/ftpnamecodec.h"

#include <QStringDecoder>

namespace {

// The commands whose argument is a pathname (RFC 959, 4.1; RFC 3659).
bool carriesPathname(QStringView verb)
{
    static const QStringList verbs = { QStringLiteral("CWD"), QStringLiteral("DELE"), QStringLiteral("MKD"),
        QStringLiteral("RMD"), QStringLiteral("RNFR"), QStringLiteral("RNTO"), QStringLiteral("RETR"),
        QStringLiteral("STOR"), QStringLiteral("APPE"), QStringLiteral("SIZE"), QStringLiteral("MDTM"),
        QStringLiteral("MLST"), QStringLiteral("MLSD"), QStringLiteral("LIST"), QStringLiteral("NLST") };
    return verbs.contains(verb);
}

std::optional<QString> fromUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

QString FtpNameCodec::decodeLine(QByteArrayView bytes, bool *isLatin1)
{
    std::optional<QString> text = fromUtf8(bytes);
    if (isLatin1)
        *isLatin1 = !text;
    return text ? *text : QString::fromLatin1(bytes);
}

QString FtpNameCodec::decodeName(QByteArrayView bytes)
{
    QString name;
    qsizetype start = 0;
    while (true) {
        const qsizetype slash = bytes.indexOf('/', start);
        const QByteArrayView part = bytes.sliced(start, (slash < 0 ? bytes.size() : slash) - start);
        bool isLatin1 = false;
        const QString text = decodeLine(part, &isLatin1);
        if (isLatin1)
            m_latin1Parts->insert(text);
        name += text;
        if (slash < 0)
            return name;
        name += QLatin1Char('/');
        start = slash + 1;
    }
}

QByteArray FtpNameCodec::encodeName(const QString &name) const
{
    if (m_latin1Parts->isEmpty())
        return name.toUtf8();
    QByteArray bytes;
    const QList<QStringView> parts = QStringView(name).split(u'/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            bytes += '/';
        // Only parts with a character past ASCII are remembered, and each of them is below 256.
        const QStringView part = parts.at(i);
        bytes += m_latin1Parts->contains(part.toString()) ? part.toLatin1() : part.toUtf8();
    }
    return bytes;
}

QByteArray FtpNameCodec::encodeCommand(const QString &command) const
{
    const qsizetype blank = command.indexOf(u' ');
    if (blank < 0 || !carriesPathname(QStringView(command).first(blank)))
        return command.toUtf8();
    return command.first(blank + 1).toUtf8() + encodeName(command.sliced(blank + 1));
}
