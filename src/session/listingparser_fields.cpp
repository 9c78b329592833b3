#include "session/listingparser_p.h"

#include "core/fileattributes.h"

#include <QHash>

#include <cmath>

namespace ListingParser::Detail {

QList<Token> leadingTokens(QStringView line, int maxCount)
{
    QList<Token> tokens;
    tokens.reserve(maxCount);
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

std::optional<int> smallNumber(QStringView text, int maxDigits)
{
    if (text.size() > maxDigits || !isAllDigits(text))
        return std::nullopt;
    return text.toInt();
}

std::optional<qint64> plainSize(QStringView text)
{
    if (!isAllDigits(text))
        return std::nullopt;
    bool ok = false;
    const qint64 size = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(size) : std::nullopt;
}

namespace {

// "1,234,567": groups of three after the first, all with the same separator.
std::optional<qint64> groupedSize(QStringView text)
{
    qsizetype firstEnd = 0;
    while (firstEnd < text.size() && text.at(firstEnd).isDigit())
        ++firstEnd;
    if (firstEnd < 1 || firstEnd > 3 || firstEnd == text.size() || !QStringView(u",.'").contains(text.at(firstEnd)))
        return std::nullopt;
    const QChar separator = text.at(firstEnd);
    QString digits = text.left(firstEnd).toString();
    for (qsizetype at = firstEnd; at < text.size(); at += 4) {
        const QStringView group = text.mid(at + 1, 3);
        if (text.at(at) != separator || group.size() != 3 || !isAllDigits(group))
            return std::nullopt;
        digits += group;
    }
    return plainSize(digits);
}

// ls -h and the like: a number with at most one decimal place and a binary unit letter.
std::optional<qint64> roundedSize(QStringView text)
{
    static const QString units = QStringLiteral("KMGTP");
    if (text.size() < 2)
        return std::nullopt;
    QStringView number = text.chopped(1);
    const qsizetype unit = units.indexOf(text.back().toUpper());
    if (unit < 0)
        return std::nullopt;
    const qsizetype point = number.indexOf(u'.') >= 0 ? number.indexOf(u'.') : number.indexOf(u',');
    if (!isAllDigits(point < 0 ? number : number.left(point)) || number.size() > 12
        || (point >= 0 && (point != number.size() - 2 || !isAllDigits(number.mid(point + 1)))))
        return std::nullopt;
    const double value = (point < 0 ? number : number.left(point)).toDouble()
        + (point < 0 ? 0.0 : number.mid(point + 1).toDouble() / 10);
    const double size = value * std::pow(1024.0, double(unit + 1));
    if (size >= 9.0e18)
        return std::nullopt;
    return qint64(std::llround(size));
}

} // namespace

std::optional<qint64> listedSize(QStringView text)
{
    if (const auto plain = plainSize(text))
        return plain;
    if (const auto grouped = groupedSize(text))
        return grouped;
    return roundedSize(text);
}

int monthNumber(QStringView text)
{
    // Lower case, without the abbreviation's dot. Where languages share a spelling they agree on
    // the month.
    static const QHash<QString, int> months = [] {
        const char *const names[12] = {
            "jan january janv janvier ene enero gen gennaio sty led янв",
            "feb february févr fevr fév février fev fevereiro febr febrero lut úno фев",
            "mar march mär märz mrz mars marzo març márc mrt bře мар",
            "apr april avr avril abr abril ápr kwi dub апр",
            "may mai maj mei mag mayo maggio máj kvě май мая",
            "jun june juni juin giu giugno jún cze čvn июн",
            "jul july juli juil juillet lug luglio júl lip čvc июл",
            "aug august août aout ago agosto sie srp авг",
            "sep sept september septembre set settembre szept wrz zář сен",
            "oct october okt oktober octobre out outubro ott ottobre paź říj окт",
            "nov november novembre noviembre lis ноя",
            "dec december dez dezember déc décembre dic diciembre des gru pro дек",
        };
        QHash<QString, int> table;
        for (int month = 0; month < 12; ++month) {
            for (const QString &name : QString::fromUtf8(names[month]).split(u' '))
                table.insert(name, month + 1);
        }
        return table;
    }();
    // Most words tried are numbers and owners: no month name begins with a digit.
    if (text.size() < 3 || text.size() > 10 || !text.front().isLetter())
        return 0;
    const QStringView word = text.endsWith(u'.') ? text.chopped(1) : text;
    return months.value(word.toString().toLower());
}

std::optional<Clock> parseClock(QStringView text)
{
    const qsizetype colon = text.indexOf(u':');
    if (colon < 1 || colon > 2 || text.size() < colon + 3)
        return std::nullopt;
    const auto hour = smallNumber(text.left(colon), 2);
    const auto minute = smallNumber(text.mid(colon + 1, 2), 2);
    if (!hour || !minute || *minute > 59)
        return std::nullopt;
    Clock clock { *hour, *minute, 0 };
    QStringView rest = text.mid(colon + 3);
    if (!rest.isEmpty()) {
        const auto second = rest.size() >= 3 && rest.at(0) == u':' ? smallNumber(rest.mid(1, 2), 2) : std::nullopt;
        if (!second || *second > 59 || (rest.size() > 3 && (rest.at(3) != u'.' || !isAllDigits(rest.mid(4)))))
            return std::nullopt;
        clock.second = *second;
    }
    if (clock.hour > 24 || (clock.hour == 24 && (clock.minute != 0 || clock.second != 0)))
        return std::nullopt;
    return clock;
}

QDateTime listedTime(const QDate &date, const Clock &clock)
{
    if (clock.hour == 24)
        return QDateTime(date.addDays(1), QTime(0, 0), Qt::UTC);
    return QDateTime(date, QTime(clock.hour, clock.minute, clock.second), Qt::UTC);
}

QDateTime listedTimeOfUtc(const QDateTime &utc)
{
    if (!utc.isValid())
        return utc;
    // LIST lines carry the server's clock, which is the user's own for a server in the user's
    // zone: the local reading is what both listings can agree on.
    const QDateTime local = utc.toLocalTime();
    return QDateTime(local.date(), local.time(), Qt::UTC);
}

int fullYear(int year, qsizetype digits)
{
    if (digits == 3)
        return 1900 + year;
    if (digits == 2)
        return year + (year >= 70 ? 1900 : 2000);
    return year;
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

LineResult entryResult(RemoteEntry entry)
{
    LineResult result;
    if (entry.name.isEmpty()) {
        result.kind = LineResult::Kind::Unreadable;
    } else if (ListingParser::isAcceptableName(entry.name)) {
        result.kind = LineResult::Kind::Entry;
        result.entry = std::move(entry);
    } else if (entry.name != u"." && entry.name != u"..") {
        result.kind = LineResult::Kind::Refused;
        result.refusedName = entry.name;
    }
    return result;
}

LineResult skippedLine()
{
    return {};
}

} // namespace ListingParser::Detail
