// OpenVMS directory listings (DIRECTORY/SIZE/DATE/OWNER/PROTECTION, as VMS FTP servers send them):
//   Directory DISK$USER:[ANONYMOUS]
//   CERN.DIR;1            1/3       12-FEB-1998 10:47:51  [SYSTEM]        (RWE,RWE,RE,RE)
//   A_NAME_TOO_LONG_FOR_ITS_COLUMN.TXT;12
//                        14/16       2-MAR-2001 09:12:00.11  [ANON,USER] (RWED,RWED,RE,)
//   Total of 2 files, 15/19 blocks.
#include "session/listingparser_p.h"

#include <QRegularExpression>

namespace ListingParser::Detail {

namespace {

// "README.TXT;3"
bool isVersionedName(QStringView word)
{
    static const QRegularExpression pattern(QStringLiteral("^[^;\\[\\]%]+;\\d+$"));
    return pattern.match(word).hasMatch();
}

// "14/16" used and allocated blocks of 512 bytes, "14" used blocks, or "12KB", "1.5MB".
std::optional<qint64> vmsSize(QStringView text)
{
    if (text.endsWith(u'B', Qt::CaseInsensitive) && text.size() > 2 && text.at(text.size() - 2).isLetter())
        return listedSize(text.chopped(1));
    const qsizetype slash = text.indexOf(u'/');
    const auto blocks = plainSize(slash < 0 ? text : text.left(slash));
    if (!blocks || (slash >= 0 && !plainSize(text.mid(slash + 1))) || *blocks > (qint64(1) << 50))
        return std::nullopt;
    return *blocks * 512;
}

// "12-FEB-1998"
std::optional<QDate> vmsDate(QStringView text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2})-([A-Za-z]{3})-(\\d{4})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.capturedView(3).toInt(), monthNumber(match.capturedView(2)), match.capturedView(1).toInt());
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

// The name without its version; a folder is a file of type DIR.
LineResult vmsEntry(QStringView versionedName, qint64 size, const QDateTime &lastWrite)
{
    QStringView name = versionedName.left(versionedName.lastIndexOf(u';'));
    const bool isFolder = name.endsWith(QStringLiteral(".DIR"), Qt::CaseInsensitive);
    if (isFolder)
        name.chop(4);
    return entryResult(makeEntry(name.toString(), isFolder, size, lastWrite));
}

} // namespace

bool isVmsNameAlone(QStringView line)
{
    return !line.isEmpty() && line.at(0) != u' ' && line.contains(u';') && isVersionedName(line.trimmed());
}

std::optional<LineResult> readVmsLine(const QString &line)
{
    const QList<Token> tokens = leadingTokens(line, 4);
    if (tokens.isEmpty())
        return std::nullopt;
    const QStringView first = tokens.at(0).text;
    if ((first == u"Directory" && tokens.size() == 2 && tokens.at(1).text.endsWith(u']'))
        || (first == u"Total" && tokens.size() >= 2 && tokens.at(1).text == u"of")
        || (first == u"Grand" && tokens.size() >= 2 && tokens.at(1).text == u"total"))
        return skippedLine();
    if (line.at(0) == u' ' || !isVersionedName(first))
        return std::nullopt;
    // A name alone, or a file the server may not read ("%RMS-E-PRV, insufficient privilege").
    if (tokens.size() == 1 || tokens.at(1).text.startsWith(u'%'))
        return vmsEntry(first, -1, {});
    if (tokens.size() < 4)
        return std::nullopt;
    const auto size = vmsSize(tokens.at(1).text);
    const auto date = vmsDate(tokens.at(2).text);
    const auto clock = parseClock(tokens.at(3).text);
    if (!size || !date || !clock)
        return std::nullopt;
    return vmsEntry(first, *size, listedTime(*date, *clock));
}

} // namespace ListingParser::Detail
