// Unix `ls -l` lines and the servers that imitate them: GNU ls in its time styles and in other
// languages, NetWare, NetPresenz and other Mac servers, VShell, busybox and small devices.
#include "session/listingparser_p.h"

#include <QRegularExpression>

namespace ListingParser::Detail {

namespace {

// "drwxr-xr-x", optionally followed by an ACL or extended-attribute marker ("+", "@", ".").
bool isUnixMode(QStringView mode)
{
    static const QRegularExpression pattern(QStringLiteral("^[-dlbcpsD][-rwxsStTlL]{9}[+@.]?$"));
    return pattern.match(mode).hasMatch();
}

// NetWare's trustee rights: "d [RWCEAFMS] owner size date name".
bool isNetWareRights(QStringView rights)
{
    static const QRegularExpression pattern(QStringLiteral("^\\[[-RWCEAFMS]{8}\\]$"));
    return pattern.match(rights).hasMatch();
}

// A number with one of the unit characters of Chinese, Japanese or Korean dates after it:
// "2005年", "1월", "6日".
std::optional<int> unitNumber(QStringView text, QStringView units, int maxDigits)
{
    if (text.size() < 2 || !units.contains(text.back()))
        return std::nullopt;
    return smallNumber(text.chopped(1), maxDigits);
}

const QStringView YearUnits = u"年년";
const QStringView MonthUnits = u"月월";
const QStringView DayUnits = u"日일";

// ls shows a time of day instead of the year for entries of roughly the last six months, so the
// year is the latest one that does not put the entry in the future. A day of slack covers
// servers whose clock or time zone is ahead of ours.
std::optional<QDateTime> recentDate(int month, int day, const Clock &clock, const QDateTime &now)
{
    const QDateTime latest = now.toUTC().addDays(1);
    const int thisYear = latest.date().year();
    // Going back up to four years finds the last February 29.
    for (int year = thisYear; year >= thisYear - 4; --year) {
        const QDate date(year, month, day);
        if (!date.isValid())
            continue;
        const QDateTime candidate = listedTime(date, clock);
        if (candidate <= latest)
            return candidate;
    }
    return std::nullopt;
}

// The day and month with the word after them: a time of day or a year ("2004", "2004年").
std::optional<QDateTime> dayDate(int month, std::optional<int> day, QStringView timeOrYear, const QDateTime &now)
{
    if (!day)
        return std::nullopt;
    if (const auto clock = parseClock(timeOrYear))
        return recentDate(month, *day, *clock, now);
    auto year = smallNumber(timeOrYear, 4);
    if (!year)
        year = unitNumber(timeOrYear, YearUnits, 4);
    if (!year || *year < 1000)
        return std::nullopt;
    const QDate date(*year, month, *day);
    return date.isValid() ? std::optional<QDateTime>(listedTime(date)) : std::nullopt;
}

// "5", "05", and "5." as German and other languages write the day.
std::optional<int> dayNumber(QStringView text)
{
    return smallNumber(text.endsWith(u'.') ? text.chopped(1) : text, 2);
}

// "2005-06-07" or "1999/10/12"
std::optional<QDate> yearFirstDate(QStringView text)
{
    if (text.size() != 10 || text.at(4) != text.at(7) || (text.at(4) != u'-' && text.at(4) != u'/'))
        return std::nullopt;
    const auto year = smallNumber(text.left(4), 4);
    const auto month = smallNumber(text.mid(5, 2), 2);
    const auto day = smallNumber(text.mid(8, 2), 2);
    if (!year || !month || !day)
        return std::nullopt;
    const QDate date(*year, *month, *day);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

// "2005年1月6日" in one word, as Japanese and Chinese ls write it.
std::optional<QDate> joinedCjkDate(QStringView text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})[年년](\\d{1,2})[月월](\\d{1,2})[日일]?$"));
    if (text.size() < 7 || !YearUnits.contains(text.at(4)))
        return std::nullopt;
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.capturedView(1).toInt(), match.capturedView(2).toInt(), match.capturedView(3).toInt());
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

// full-iso's "21:22:33.123456789" with the zone "+0200" that follows it, as UTC.
std::optional<QDateTime> fullIsoTime(const QDate &date, QStringView clockText, QStringView zone)
{
    const auto clock = clockText.size() >= 8 ? parseClock(clockText) : std::nullopt;
    if (!clock || clock->hour == 24)
        return std::nullopt;
    if (zone.size() != 5 || (zone.at(0) != u'+' && zone.at(0) != u'-') || !isAllDigits(zone.mid(1))
        || zone.mid(3, 2).toInt() > 59)
        return std::nullopt;
    const int offsetMinutes = zone.mid(1, 2).toInt() * 60 + zone.mid(3, 2).toInt();
    return listedTime(date, *clock).addSecs(qint64(zone.at(0) == u'+' ? -offsetMinutes : offsetMinutes) * 60);
}

// Where the date columns end and the name begins.
struct UnixDate {
    QDateTime lastWrite;
    qsizetype nameStart; // position in the line
};

// The date columns that begin at word i, in the forms of ls and of GNU ls --time-style in the
// languages servers run in:
//   "Mar  5 09:05" / "Mar  5  2004" / "févr.  5 09:05"   (default)
//   "Mar  5 2004 09:05"                                  (VShell)
//   "29 Jul 02:27" / "5. Mär 2004"                       (day first)
//   "2005-06-07 21:22" / "1999/10/12 17:12"              (long-iso and its relatives)
//   "2005-06-07 21:22:33.000000000 +0200"                (full-iso)
//   "06-07 21:22" / "09-26 2000" / "2005-06-07 "         (iso: the old form is padded to the width of the recent one)
//   "2005년 1월 6일" / "2005年1月6日 10:20" / "1月  6 10:20" (Korean, Japanese, Chinese)
std::optional<UnixDate> unixDateAt(const QString &line, const QList<Token> &tokens, qsizetype i, const QDateTime &now)
{
    const QStringView first = tokens.at(i).text;
    const auto word = [&](qsizetype index) { return index < tokens.size() ? tokens.at(index).text : QStringView(); };
    // The name follows the one blank after the date's last word.
    const auto endingAt = [&](qsizetype index, const QDateTime &lastWrite) {
        return UnixDate { lastWrite, tokens.at(index).end + 1 };
    };
    const auto withDayDate = [&](qsizetype last, const std::optional<QDateTime> &lastWrite) {
        return lastWrite ? std::optional<UnixDate>(endingAt(last, *lastWrite)) : std::nullopt;
    };
    // A date of year, month and day that a time of day may follow.
    const auto withTimeAfter = [&](qsizetype last, const QDate &date) {
        if (const auto clock = parseClock(word(last + 1)))
            return endingAt(last + 1, listedTime(date, *clock));
        return endingAt(last, listedTime(date));
    };

    if (const int month = monthNumber(first)) {
        // VShell keeps the time after the year, "Jan 22 2009 10:05". ls pads a year to the width
        // of a time ("Jan 22  2009 10:05 name" is a name after a year): one blank tells them apart.
        const auto day = dayNumber(word(i + 1));
        if (day && i + 3 < tokens.size() && tokens.at(i + 2).start == tokens.at(i + 1).end + 1
            && word(i + 2).size() == 4 && isAllDigits(word(i + 2))) {
            const QDate date(word(i + 2).toInt(), month, *day);
            if (const auto clock = parseClock(word(i + 3)); clock && date.isValid())
                return endingAt(i + 3, listedTime(date, *clock));
        }
        return withDayDate(i + 2, dayDate(month, day, word(i + 2), now));
    }
    if (const int month = monthNumber(word(i + 1)); month && dayNumber(first))
        return withDayDate(i + 2, dayDate(month, dayNumber(first), word(i + 2), now));
    if (const auto month = unitNumber(first, MonthUnits, 2)) {
        const QStringView day = word(i + 1);
        const auto dayValue = unitNumber(day, DayUnits, 2) ? unitNumber(day, DayUnits, 2) : smallNumber(day, 2);
        return withDayDate(i + 2, dayDate(*month, dayValue, word(i + 2), now));
    }
    if (const auto year = unitNumber(first, YearUnits, 4)) {
        const auto month = unitNumber(word(i + 1), MonthUnits, 2);
        const auto day = unitNumber(word(i + 2), DayUnits, 2);
        const QDate date = month && day ? QDate(*year, *month, *day) : QDate();
        return date.isValid() ? std::optional<UnixDate>(withTimeAfter(i + 2, date)) : std::nullopt;
    }
    if (const auto date = joinedCjkDate(first))
        return withTimeAfter(i, *date);
    if (const auto day = yearFirstDate(first)) {
        if (const auto lastWrite = fullIsoTime(*day, word(i + 1), word(i + 2)))
            return endingAt(i + 2, *lastWrite);
        if (parseClock(word(i + 1)) || first.at(4) == u'/')
            return withTimeAfter(i, *day);
        UnixDate date = endingAt(i, listedTime(*day));
        if (date.nameStart < line.size() && line.at(date.nameStart) == u' ')
            ++date.nameStart;
        return date;
    }
    // iso's recent form "06-07 21:22", the year as ls leaves it out, or the year instead of the time.
    if (first.size() == 5 && first.at(2) == u'-') {
        const auto month = smallNumber(first.left(2), 2);
        if (!month || *month < 1 || *month > 12)
            return std::nullopt;
        return withDayDate(i + 1, dayDate(*month, smallNumber(first.mid(3), 2), word(i + 1), now));
    }
    return std::nullopt;
}

// The size column: a device's "major, minor" pair instead of a size reads as 0, a size that the
// owner or group ran into ("staff12345") as unknown.
std::optional<qint64> sizeBefore(const QList<Token> &tokens, qsizetype date, QChar type)
{
    const QStringView previous = tokens.at(date - 1).text;
    if (type == u'b' || type == u'c') {
        // "1,   3" or "1,3"
        if (previous.contains(u',') || (date >= 3 && tokens.at(date - 2).text.endsWith(u',')))
            return 0;
        return std::nullopt;
    }
    if (const auto size = listedSize(previous))
        return size;
    if (date >= 3 && previous.back().isDigit() && !previous.front().isDigit())
        return -1;
    return std::nullopt;
}

LineResult unixEntry(QString name, QChar type, qint64 size, const QDateTime &lastWrite)
{
    QString target;
    bool isFolder = type == u'd';
    if (type == u'l') {
        // "link -> ../real": a link counts as a folder only when its target says so (ls -F's
        // "target/"); deleting it then removes the link, never what it points to.
        const qsizetype arrow = name.indexOf(QStringLiteral(" -> "));
        if (arrow >= 0) {
            target = name.mid(arrow + 4);
            isFolder = target.endsWith(u'/');
            name.truncate(arrow);
        }
    }
    RemoteEntry entry = makeEntry(name, isFolder, size, lastWrite);
    entry.isLink = type == u'l';
    entry.linkTarget = target;
    return entryResult(std::move(entry));
}

} // namespace

std::optional<LineResult> readUnixLine(const QString &line, const QDateTime &now)
{
    // mode, links, owner, group, size, month, day, time: with owners and groups of several words,
    // a device's "major, minor" pair in place of the size, or full-iso's zone after the time, a
    // dozen words come before the name.
    const QList<Token> tokens = leadingTokens(line, 12);
    if (tokens.size() < 3)
        return std::nullopt;
    const bool isNetWare
        = (tokens.at(0).text == u"d" || tokens.at(0).text == u"-") && isNetWareRights(tokens.at(1).text);
    if (!isNetWare && !isUnixMode(tokens.first().text))
        return std::nullopt;
    const QChar type = tokens.first().text.at(0);

    // The owner, the group and even the link count are optional on some servers, so the columns
    // are found from the date: the first date after at least one more word and the size.
    for (qsizetype i = 2; i < tokens.size(); ++i) {
        const std::optional<UnixDate> date = unixDateAt(line, tokens, i, now);
        if (!date)
            continue;
        const auto size = sizeBefore(tokens, i, type);
        if (!size)
            continue;
        qsizetype nameStart = date->nameStart;
        // NetWare pads the name to a column of its own.
        while (isNetWare && nameStart < line.size() && line.at(nameStart) == u' ')
            ++nameStart;
        if (nameStart >= line.size())
            return std::nullopt;
        // The name is everything after the one blank that ends the date, blanks and all.
        return unixEntry(line.mid(nameStart), type, *size, date->lastWrite);
    }
    // Small servers that leave out the date: "mode links owner group size name". Only a name of one
    // word is taken, as a line with a date this parser cannot read would otherwise give its date
    // words as the name.
    if (tokens.size() == 6 && isAllDigits(tokens.at(1).text) && type != u'b' && type != u'c') {
        if (const auto size = listedSize(tokens.at(4).text))
            return unixEntry(line.mid(tokens.at(5).start), type, *size, {});
    }
    return std::nullopt;
}

} // namespace ListingParser::Detail
