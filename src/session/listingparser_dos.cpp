// The DOS-shaped listings: IIS and other Windows servers in their MS-DOS style, and OS/2.
#include "session/listingparser_p.h"

#include <QRegularExpression>

namespace ListingParser::Detail {

namespace {

// "09:05PM", "21:05" or "21:05:33"; nullopt for a 12-hour time past 12.
std::optional<Clock> dosClock(QStringView clockText, QStringView halfDay)
{
    auto clock = parseClock(clockText);
    if (!clock || halfDay.isEmpty())
        return clock;
    if (clock->hour < 1 || clock->hour > 12)
        return std::nullopt;
    clock->hour %= 12;
    if (halfDay.compare(u"PM", Qt::CaseInsensitive) == 0)
        clock->hour += 12;
    return clock;
}

// The servers of small boards (ESP8266, ESP32 and the devices built on them) write the size, or
// "<DIR>", into a column of 14 after four blanks, and two blanks before the name:
// "2024-03-05  09:05    <DIR>           logs", "2024-03-05  09:05              1234  data.csv".
// Read as IIS lines, every name would begin with a blank.
std::optional<LineResult> readDeviceDosLine(const QString &line)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2})  (\\d{2}:\\d{2})    (<DIR>         | *\\d+)  (.+)$"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch() || match.capturedLength(5) != 14)
        return std::nullopt;
    const QDate date(match.capturedView(1).toInt(), match.capturedView(2).toInt(), match.capturedView(3).toInt());
    const auto clock = parseClock(match.capturedView(4));
    const bool isFolder = match.capturedView(5).startsWith(u'<');
    const auto size = isFolder ? std::optional<qint64>(0) : plainSize(match.capturedView(5).trimmed());
    if (!date.isValid() || !clock || !size)
        return std::nullopt;
    return entryResult(makeEntry(match.captured(6), isFolder, *size, listedTime(date, *clock)));
}

} // namespace

// "03-07-04  09:05AM       <DIR>          name", "03-07-2004  21:05   1,234 name" or the year first,
// "2002-09-02  19:06  1234 name". The size column is right-aligned, so exactly one blank separates it
// from the name. IIS pads <DIR> to the width of that column; other servers right-align it too.
std::optional<LineResult> readDosLine(const QString &line)
{
    if (auto result = readDeviceDosLine(line))
        return result;
    static const QRegularExpression pattern(QStringLiteral(
        "^(?:(\\d{2})-(\\d{2})-(\\d{2}|\\d{4})|(\\d{4})-(\\d{2})-(\\d{2})) +(\\d{1,2}:\\d{2}(?::\\d{2})?) *"
        "([AaPp][Mm])? +(?:<[Dd][Ii][Rr]>( +)|([\\d,.]+) )(.+)$"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch())
        return std::nullopt;

    const bool isYearFirst = match.hasCaptured(4);
    const auto field = [&match](int index) { return match.capturedView(index).toInt(); };
    const QDate date = isYearFirst ? QDate(field(4), field(5), field(6))
                                   : QDate(fullYear(field(3), match.capturedLength(3)), field(1), field(2));
    const auto clock = dosClock(match.capturedView(7), match.capturedView(8));
    if (!date.isValid() || !clock)
        return std::nullopt;

    const bool isFolder = match.hasCaptured(9);
    qint64 size = 0;
    QString name = match.captured(11);
    if (isFolder) {
        // Blanks past the padding belong to the name.
        const QStringView padding = match.capturedView(9);
        if (padding.size() > 10)
            name.prepend(padding.mid(10));
    } else {
        const auto parsed = listedSize(match.capturedView(10));
        if (!parsed)
            return std::nullopt;
        size = *parsed;
    }
    return entryResult(makeEntry(name, isFolder, size, listedTime(date, *clock)));
}

// OS/2's "     0           DIR   05-12-97   16:44  PSFONTS" and "  36611      A    04-23-103   10:57  OS2 file":
// the size first, then the attributes, the date (with the years since 1900 past 1999) and the time.
std::optional<LineResult> readOs2Line(const QString &line)
{
    static const QRegularExpression pattern(QStringLiteral(
        "^ *(\\d+) +((?:(?:DIR|[AHRS]{1,4}) +)*)(\\d{2})-(\\d{2})-(\\d{2,4}) +(\\d{1,2}:\\d{2}) +(.+)$"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(fullYear(match.capturedView(5).toInt(), match.capturedLength(5)), match.capturedView(3).toInt(),
        match.capturedView(4).toInt());
    const auto clock = parseClock(match.capturedView(6));
    const auto size = plainSize(match.capturedView(1));
    if (!date.isValid() || !clock || clock->hour == 24 || !size)
        return std::nullopt;
    const bool isFolder = match.capturedView(2).contains(QStringLiteral("DIR"));
    return entryResult(makeEntry(match.captured(7), isFolder, *size, listedTime(date, *clock)));
}

} // namespace ListingParser::Detail
