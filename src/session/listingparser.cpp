#include "session/listingparser.h"

#include "core/fileattributes.h"

#include <QList>
#include <QRegularExpression>
#include <QStringView>

namespace {

struct Token {
    qsizetype start;
    qsizetype end; // one past the last character
    QStringView text;
};

// The line without its CR LF; every other character, blanks included, belongs to the entry.
QString withoutLineEnd(const QString &line)
{
    qsizetype length = line.size();
    while (length > 0 && (line.at(length - 1) == u'\r' || line.at(length - 1) == u'\n'))
        --length;
    return line.left(length);
}

// The first maxCount blank-separated words with their positions, so the name can be cut out of the
// line itself instead of being glued together from words (which would lose repeated blanks).
QList<Token> leadingTokens(QStringView line, int maxCount)
{
    QList<Token> tokens;
    qsizetype pos = 0;
    while (tokens.size() < maxCount) {
        while (pos < line.size() && line.at(pos) == u' ')
            ++pos;
        if (pos == line.size())
            break;
        const qsizetype start = pos;
        while (pos < line.size() && line.at(pos) != u' ')
            ++pos;
        tokens.append({ start, pos, line.mid(start, pos - start) });
    }
    return tokens;
}

bool isAllDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

std::optional<qint64> parseSize(QStringView text)
{
    if (!isAllDigits(text))
        return std::nullopt;
    bool ok = false;
    const qint64 size = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(size) : std::nullopt;
}

RemoteEntry makeEntry(const QString &name, bool isFolder, qint64 size, const QDateTime &lastWrite)
{
    RemoteEntry entry;
    entry.name = name;
    entry.isFolder = isFolder;
    entry.size = size;
    entry.lastWrite = lastWrite;
    entry.attributes = isFolder ? FileAttribute::Directory : FileAttribute::Normal;
    return entry;
}

// The entry, or nullopt when its name must not reach the program; such a name goes to
// refusedName unless it only names the folder itself or its parent, which every listing may show.
std::optional<RemoteEntry> accepted(RemoteEntry entry, QString *refusedName)
{
    if (ListingParser::isAcceptableName(entry.name))
        return entry;
    if (refusedName && entry.name != u"." && entry.name != u"..")
        *refusedName = entry.name;
    return std::nullopt;
}

// ---- Unix `ls -l` --------------------------------------------------------------------------

// "drwxr-xr-x", optionally followed by an ACL or extended-attribute marker ("+", "@", ".").
bool isUnixMode(QStringView mode)
{
    static const QRegularExpression pattern(QStringLiteral("^[-dlbcpsD][-rwxsStTlL]{9}[+@.]?$"));
    return pattern.match(mode).hasMatch();
}

int monthNumber(QStringView text)
{
    static const QStringList months
        = { QStringLiteral("jan"), QStringLiteral("feb"), QStringLiteral("mar"), QStringLiteral("apr"),
              QStringLiteral("may"), QStringLiteral("jun"), QStringLiteral("jul"), QStringLiteral("aug"),
              QStringLiteral("sep"), QStringLiteral("oct"), QStringLiteral("nov"), QStringLiteral("dec") };
    if (text.size() != 3)
        return 0;
    return int(months.indexOf(text.toString().toLower())) + 1;
}

std::optional<QTime> parseTimeOfDay(QStringView text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 1 || colon > 2 || text.size() != colon + 3)
        return std::nullopt;
    const QStringView hours = text.left(colon);
    const QStringView minutes = text.mid(colon + 1);
    if (!isAllDigits(hours) || !isAllDigits(minutes))
        return std::nullopt;
    const QTime time(hours.toInt(), minutes.toInt());
    return time.isValid() ? std::optional<QTime>(time) : std::nullopt;
}

// ls shows a time of day instead of the year for entries of roughly the last six months, so the
// year is the latest one that does not put the entry in the future. A day of slack covers
// servers whose clock or time zone is ahead of ours.
std::optional<QDateTime> unixDate(int month, QStringView dayText, QStringView timeOrYear, const QDateTime &now)
{
    if (!isAllDigits(dayText) || dayText.size() > 2)
        return std::nullopt;
    const int day = dayText.toInt();
    if (const auto time = parseTimeOfDay(timeOrYear)) {
        const QDateTime latest = now.toUTC().addDays(1);
        const int thisYear = latest.date().year();
        // Going back up to four years finds the last February 29.
        for (int year = thisYear; year >= thisYear - 4; --year) {
            const QDate date(year, month, day);
            if (!date.isValid())
                continue;
            const QDateTime candidate(date, *time, Qt::UTC);
            if (candidate <= latest)
                return candidate;
        }
        return std::nullopt;
    }
    if (timeOrYear.size() != 4 || !isAllDigits(timeOrYear))
        return std::nullopt;
    const QDate date(timeOrYear.toInt(), month, day);
    if (!date.isValid())
        return std::nullopt;
    return QDateTime(date, QTime(0, 0), Qt::UTC);
}

// Where the date columns end and the name begins.
struct UnixDate {
    QDateTime lastWrite;
    qsizetype nameStart; // position in the line
};

// "2005-06-07"
std::optional<QDate> isoDate(QStringView text)
{
    if (text.size() != 10 || text.at(4) != u'-' || text.at(7) != u'-' || !isAllDigits(text.left(4))
        || !isAllDigits(text.mid(5, 2)) || !isAllDigits(text.mid(8, 2)))
        return std::nullopt;
    const QDate date(text.left(4).toInt(), text.mid(5, 2).toInt(), text.mid(8, 2).toInt());
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

// full-iso's "21:22:33.123456789" with the zone "+0200" that follows it, as UTC.
std::optional<QDateTime> fullIsoTime(const QDate &date, QStringView clock, QStringView zone)
{
    if (clock.size() < 8 || clock.at(5) != u':' || !isAllDigits(clock.mid(6, 2)))
        return std::nullopt;
    const auto time = parseTimeOfDay(clock.left(5));
    if (!time || (clock.size() > 8 && (clock.at(8) != u'.' || !isAllDigits(clock.mid(9)))))
        return std::nullopt;
    if (zone.size() != 5 || (zone.at(0) != u'+' && zone.at(0) != u'-') || !isAllDigits(zone.mid(1)))
        return std::nullopt;
    const int seconds = clock.mid(6, 2).toInt();
    const int offsetMinutes = zone.mid(1, 2).toInt() * 60 + zone.mid(3, 2).toInt();
    if (seconds > 59 || zone.mid(3, 2).toInt() > 59)
        return std::nullopt;
    const QDateTime local(date, time->addSecs(seconds), Qt::UTC);
    return local.addSecs(qint64(zone.at(0) == u'+' ? -offsetMinutes : offsetMinutes) * 60);
}

// The date columns that begin at word i, in the forms of ls and of GNU ls --time-style:
//   "Mar  5 09:05" / "Mar  5  2004"              (default, POSIX locale)
//   "2005-06-07 21:22"                           (long-iso)
//   "2005-06-07 21:22:33.000000000 +0200"        (full-iso)
//   "06-07 21:22" / "2005-06-07 "                (iso: the old form is padded to the width of the recent one)
std::optional<UnixDate> unixDateAt(const QString &line, const QList<Token> &tokens, qsizetype i, const QDateTime &now)
{
    const QStringView first = tokens.at(i).text;
    // The name follows the one blank after the date's last word.
    const auto wordEnd = [&](qsizetype index) { return UnixDate { {}, tokens.at(index).end + 1 }; };
    if (const int month = monthNumber(first)) {
        if (i + 2 >= tokens.size())
            return std::nullopt;
        const auto lastWrite = unixDate(month, tokens.at(i + 1).text, tokens.at(i + 2).text, now);
        if (!lastWrite)
            return std::nullopt;
        UnixDate date = wordEnd(i + 2);
        date.lastWrite = *lastWrite;
        return date;
    }
    if (const auto day = isoDate(first)) {
        if (i + 2 < tokens.size()) {
            if (const auto lastWrite = fullIsoTime(*day, tokens.at(i + 1).text, tokens.at(i + 2).text)) {
                UnixDate date = wordEnd(i + 2);
                date.lastWrite = *lastWrite;
                return date;
            }
        }
        if (i + 1 < tokens.size()) {
            if (const auto time = parseTimeOfDay(tokens.at(i + 1).text)) {
                UnixDate date = wordEnd(i + 1);
                date.lastWrite = QDateTime(*day, *time, Qt::UTC);
                return date;
            }
        }
        UnixDate date = wordEnd(i);
        date.lastWrite = QDateTime(*day, QTime(0, 0), Qt::UTC);
        if (date.nameStart < line.size() && line.at(date.nameStart) == u' ')
            ++date.nameStart;
        return date;
    }
    // iso's recent form: "06-07 21:22", the year as ls leaves it out.
    if (first.size() == 5 && first.at(2) == u'-' && isAllDigits(first.left(2)) && isAllDigits(first.mid(3))
        && i + 1 < tokens.size()) {
        const int month = first.left(2).toInt();
        if (month < 1 || month > 12)
            return std::nullopt;
        const auto lastWrite = unixDate(month, first.mid(3), tokens.at(i + 1).text, now);
        if (!lastWrite || !parseTimeOfDay(tokens.at(i + 1).text))
            return std::nullopt;
        UnixDate date = wordEnd(i + 1);
        date.lastWrite = *lastWrite;
        return date;
    }
    return std::nullopt;
}

std::optional<RemoteEntry> parseUnixLine(const QString &line, const QDateTime &now, QString *refusedName)
{
    // mode, links, owner, group, size, month, day, time: with a device's "major, minor" pair in
    // place of the size, or full-iso's zone after the time, this is at most nine words before the name.
    const QList<Token> tokens = leadingTokens(line, 9);
    if (tokens.size() < 4 || !isUnixMode(tokens.first().text))
        return std::nullopt;
    const QChar type = tokens.first().text.at(0);

    // The owner, the group and even the link count are optional on some servers, so the columns
    // are found from the date: the first date after at least one more word and the size.
    for (qsizetype i = 2; i < tokens.size(); ++i) {
        const std::optional<UnixDate> date = unixDateAt(line, tokens, i, now);
        if (!date)
            continue;

        qint64 size = 0;
        const bool isDevice = type == u'b' || type == u'c';
        if (isDevice) {
            // "1,   3" or "1,3": the device numbers, no size.
            const QStringView previous = tokens.at(i - 1).text;
            if (!previous.contains(u',') && !(i >= 3 && tokens.at(i - 2).text.endsWith(u',')))
                continue;
        } else {
            const auto parsed = parseSize(tokens.at(i - 1).text);
            if (!parsed)
                continue;
            size = *parsed;
        }

        // The name is everything after the one blank that ends the date, blanks and all.
        if (date->nameStart >= line.size())
            return std::nullopt;
        QString name = line.mid(date->nameStart);
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
        RemoteEntry entry = makeEntry(name, isFolder, size, date->lastWrite);
        entry.isLink = type == u'l';
        entry.linkTarget = target;
        return accepted(std::move(entry), refusedName);
    }
    return std::nullopt;
}

// ---- DOS / IIS ---------------------------------------------------------------------------

// "03-07-04  09:05AM       <DIR>          name" or "03-07-2004  21:05   1234 name". The size column
// is right-aligned, so exactly one blank separates it from the name; <DIR> is padded.
std::optional<RemoteEntry> parseDosLine(const QString &line, QString *refusedName)
{
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{2})-(\\d{2})-(\\d{2}|\\d{4}) +(\\d{1,2}):(\\d{2}) *([AaPp][Mm])? +"
                       "(?:(<[Dd][Ii][Rr]>) +|(\\d+) )(.+)$"));
    const QRegularExpressionMatch match = pattern.match(line);
    if (!match.hasMatch())
        return std::nullopt;

    int year = match.capturedView(3).toInt();
    if (match.capturedLength(3) == 2)
        year += year >= 70 ? 1900 : 2000;
    const QDate date(year, match.capturedView(1).toInt(), match.capturedView(2).toInt());

    int hour = match.capturedView(4).toInt();
    const QStringView halfDay = match.capturedView(6);
    if (!halfDay.isEmpty()) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour %= 12;
        if (halfDay.compare(u"PM", Qt::CaseInsensitive) == 0)
            hour += 12;
    }
    const QTime time(hour, match.capturedView(5).toInt());
    if (!date.isValid() || !time.isValid())
        return std::nullopt;

    const bool isFolder = match.hasCaptured(7);
    qint64 size = 0;
    if (!isFolder) {
        const auto parsed = parseSize(match.capturedView(8));
        if (!parsed)
            return std::nullopt;
        size = *parsed;
    }
    return accepted(makeEntry(match.captured(9), isFolder, size, QDateTime(date, time, Qt::UTC)), refusedName);
}

// ---- MLSD (RFC 3659, 7.2) ----------------------------------------------------------------

// "YYYYMMDDHHMMSS[.sss]", always UTC (RFC 3659, 2.3).
QDateTime mlsdTime(QStringView value)
{
    if (value.size() < 14 || !isAllDigits(value.left(14)))
        return {};
    // Built from its fields: QDateTime::fromString consults the local time zone for every line,
    // which dominated the time of a 20,000-entry listing.
    const auto field = [&value](int from, int length) { return value.mid(from, length).toInt(); };
    const QDate date(field(0, 4), field(4, 2), field(6, 2));
    const QTime clock(field(8, 2), field(10, 2), field(12, 2));
    if (!date.isValid() || !clock.isValid())
        return {};
    QDateTime time(date, clock, Qt::UTC);
    if (value.size() > 15 && value.at(14) == u'.') {
        const QStringView fraction = value.mid(15, 3);
        if (isAllDigits(fraction))
            time = time.addMSecs(fraction.toInt() * (fraction.size() == 1 ? 100 : fraction.size() == 2 ? 10 : 1));
    }
    return time;
}

} // namespace

namespace ListingParser {

bool isAcceptableName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(0));
}

std::optional<RemoteEntry> parseListLine(const QString &rawLine, const QDateTime &now, QString *refusedName)
{
    const QString line = withoutLineEnd(rawLine);
    if (line.trimmed().isEmpty())
        return std::nullopt;
    if (line.at(0).isDigit())
        return parseDosLine(line, refusedName);
    return parseUnixLine(line, now, refusedName);
}

std::optional<RemoteEntry> parseMlsdLine(const QString &rawLine, QString *refusedName)
{
    const QString line = withoutLineEnd(rawLine);
    // The facts end at the first blank; the name may hold blanks and ";" of its own.
    const qsizetype blank = line.indexOf(u' ');
    if (blank < 0)
        return std::nullopt;
    const QString name = line.mid(blank + 1);

    std::optional<bool> isFolder;
    std::optional<qint64> size;
    QDateTime lastWrite;
    bool isLink = false;
    QString target;
    QString unique;
    const QStringView facts = QStringView(line).left(blank);
    for (const QStringView fact : facts.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype equals = fact.indexOf(u'=');
        if (equals <= 0)
            return std::nullopt;
        const QString key = fact.left(equals).toString().toLower();
        const QString value = fact.mid(equals + 1).toString();
        if (key == u"type") {
            const QString type = value.toLower();
            if (type == u"file") {
                isFolder = false;
            } else if (type == u"dir") {
                isFolder = true;
            } else if (type == u"cdir" || type == u"pdir") {
                return std::nullopt; // the listed folder itself and its parent
            } else if (type.startsWith(u"os.unix=slink") || type == u"os.unix=symlink") {
                // pure-ftpd: "OS.unix=slink:/target", proftpd: "OS.unix=symlink". A link counts
                // as a folder only when its target says so, as in a Unix listing.
                isLink = true;
                if (type.startsWith(u"os.unix=slink:"))
                    target = value.mid(value.indexOf(u':') + 1);
                isFolder = target.endsWith(u'/');
            } else if (type.startsWith(u"os.")) {
                isFolder = false; // devices, sockets and other system-specific kinds
            } else {
                return std::nullopt;
            }
        } else if (key == u"size" || (key == u"sizd" && !size)) {
            size = parseSize(value);
            if (!size)
                return std::nullopt;
        } else if (key == u"modify") {
            lastWrite = mlsdTime(value);
        } else if (key == u"unique") {
            unique = value;
        }
    }
    // Without a type fact there is no telling a folder from a file.
    if (!isFolder)
        return std::nullopt;
    RemoteEntry entry = makeEntry(name, *isFolder, size.value_or(-1), lastWrite);
    entry.isLink = isLink;
    entry.linkTarget = target;
    entry.unique = unique;
    return accepted(std::move(entry), refusedName);
}

} // namespace ListingParser
