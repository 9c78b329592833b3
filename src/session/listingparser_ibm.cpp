// The listings of IBM's systems: IBM i (AS/400) and z/OS (MVS data sets and the members of
// partitioned data sets).
#include "session/listingparser_p.h"

#include <QRegularExpression>

namespace ListingParser::Detail {

namespace {

// "2003/05/21"
std::optional<QDate> slashDate(QStringView text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})/(\\d{2})/(\\d{2})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const QDate date(match.capturedView(1).toInt(), match.capturedView(2).toInt(), match.capturedView(3).toInt());
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

// In the server job's format: "04/15/03" (MDY) or "15.04.03" (DMY).
std::optional<QDate> ibmiDate(QStringView text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{2})([/.])(\\d{2})\\2(\\d{2}|\\d{4})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int first = match.capturedView(1).toInt();
    const int second = match.capturedView(3).toInt();
    const bool isDayFirst = match.capturedView(2) == u".";
    const QDate date(fullYear(match.capturedView(4).toInt(), match.capturedLength(4)), isDayFirst ? second : first,
        isDayFirst ? first : second);
    return date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

} // namespace

// "owner size date time type name" ("QSYS           18432 04/15/03 12:34:56 *DIR       QOpenSys/"),
// each column blank when it does not apply: no owner on anonymous sessions, no size, date or time
// for members ("QPGMR                                  *MEM       QCLSRC.FILE/HELLO.MBR"). A path
// names the object by its last part; a save file is a *FILE too, so only *DIR, *LIB, *FLR and
// names ending in "/" are folders.
std::optional<LineResult> readIbmiLine(const QString &line)
{
    const QList<Token> tokens = leadingTokens(line, 6);
    static const QRegularExpression objectType(QStringLiteral("^\\*[A-Z]{2,10}$"));
    qsizetype type = 0;
    while (type < tokens.size() && !objectType.match(tokens.at(type).text).hasMatch())
        ++type;
    if (type >= tokens.size() - 1 || type > 4)
        return std::nullopt;
    // The columns before the type, counted from the type back: time and date, size, owner.
    qint64 size = -1;
    QDateTime lastWrite;
    if (type >= 2) {
        const auto date = ibmiDate(tokens.at(type - 2).text);
        const auto clock = parseClock(tokens.at(type - 1).text.toString().replace(u'.', u':'));
        if (!date || !clock)
            return std::nullopt;
        lastWrite = listedTime(*date, *clock);
        if (type >= 3) {
            const auto parsed = plainSize(tokens.at(type - 3).text);
            if (!parsed && type == 4)
                return std::nullopt;
            size = parsed.value_or(-1);
        }
    }
    QString name = line.mid(tokens.at(type + 1).start);
    const QStringView typeName = tokens.at(type).text;
    const bool isFolder = name.endsWith(u'/') || typeName == u"*DIR" || typeName == u"*LIB" || typeName == u"*FLR";
    while (name.endsWith(u'/'))
        name.chop(1);
    name = name.mid(name.lastIndexOf(u'/') + 1);
    return entryResult(makeEntry(name, isFolder, isFolder ? 0 : size, lastWrite));
}

// Data sets below "Volume Unit Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname" (newer servers
// leave out the unit, older ones say "Date" for "Referred"):
// "WYOSPT 3390   2003/05/21  1  200  FB      80  8053  PS  USER.JCL", a partitioned data set (PO)
// being a folder of members; "Migrated" ones without their columns. Members below
// "Name VV.MM Created Changed Size Init Mod Id": "HELLO     01.03 2002/09/12 2002/09/12 13:55    20 ...".
// The size columns count tracks and records, not bytes.
std::optional<LineResult> readMvsLine(const QString &line)
{
    const QList<Token> tokens = leadingTokens(line, 12);
    if (tokens.size() < 2)
        return std::nullopt;
    const QStringView first = tokens.at(0).text;
    if (first == u"Volume" && (tokens.at(1).text == u"Unit" || tokens.at(1).text == u"Referred"))
        return skippedLine();
    if (first == u"Migrated" && tokens.size() == 2)
        return entryResult(makeEntry(tokens.at(1).text.toString(), false, -1, {}));
    if (first == u"Pseudo" && tokens.size() == 3 && tokens.at(1).text == u"Directory")
        return entryResult(makeEntry(tokens.at(2).text.toString(), true, -1, {}));
    static const QRegularExpression version(QStringLiteral("^\\d{2}\\.\\d{2}$"));
    if (tokens.size() >= 6 && version.match(tokens.at(1).text).hasMatch()) {
        const auto created = slashDate(tokens.at(2).text);
        const auto changed = slashDate(tokens.at(3).text);
        const auto clock = parseClock(tokens.at(4).text);
        if (!created || !changed || !clock)
            return std::nullopt;
        return entryResult(makeEntry(first.toString(), false, -1, listedTime(*changed, *clock)));
    }
    // With or without the unit column, the date ("2003/05/21", older servers "07/16/97") second or third.
    if (tokens.size() < 9 || tokens.size() > 11 || line.at(0) == u' ')
        return std::nullopt;
    const qsizetype dateColumn = tokens.size() - 8;
    const QStringView dateText = tokens.at(dateColumn).text;
    const auto referred = slashDate(dateText) ? slashDate(dateText) : ibmiDate(dateText);
    if (!referred && dateText != u"**NONE**")
        return std::nullopt;
    const QStringView organisation = tokens.at(tokens.size() - 2).text;
    return entryResult(makeEntry(tokens.back().text.toString(), organisation.startsWith(u"PO"), -1,
        referred ? listedTime(*referred) : QDateTime()));
}

bool isMvsMemberHeader(QStringView line)
{
    const QList<Token> tokens = leadingTokens(line, 3);
    return tokens.size() == 3 && tokens.at(0).text == u"Name"
        && (tokens.at(1).text == u"VV.MM" || (tokens.at(1).text == u"Size" && tokens.at(2).text == u"TTR"));
}

// Below a member header: a member without statistics is its name alone; a load module's line
// gives its size in hexadecimal ("IEFBR14   000008   000011      00 FO ...").
std::optional<LineResult> readMvsMemberLine(const QString &line)
{
    const QList<Token> tokens = leadingTokens(line, 3);
    if (tokens.size() == 1)
        return entryResult(makeEntry(tokens.at(0).text.toString(), false, -1, {}));
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{6,8}$"));
    if (tokens.size() >= 3 && hex.match(tokens.at(1).text).hasMatch())
        return entryResult(
            makeEntry(tokens.at(0).text.toString(), false, tokens.at(1).text.toLongLong(nullptr, 16), {}));
    return std::nullopt;
}

} // namespace ListingParser::Detail
