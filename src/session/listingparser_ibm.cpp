// The listings of IBM's systems: IBM i (AS/400), z/OS (MVS data sets and the members of
// partitioned data sets) and z/VM (CMS minidisks and the Shared File System).
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

namespace {

// A CMS file name or type: up to eight of the characters CMS allows.
bool isCmsName(QStringView text)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9$#@+_:-]{1,8}$"));
    return pattern.match(text).hasMatch();
}

} // namespace

// z/VM's CMS files, "file name, file type, record format, record length, records, blocks, date,
// time" and, on a minidisk, its label: "PROFILE  EXEC     V         68          5          1
// 1999-07-28 13:45:47 TCM191". Older levels date "7/28/99". A Shared File System directory has
// the type DIR and dashes for the numbers. FTP names a file "NAME.TYPE". The numbers count records
// and blocks, not bytes.
std::optional<LineResult> readZvmLine(const QString &line)
{
    const QList<Token> tokens = leadingTokens(line, 10);
    if (tokens.size() < 8 || tokens.size() > 9 || line.at(0) == u' ')
        return std::nullopt;
    const auto text = [&tokens](qsizetype index) { return tokens.at(index).text; };
    if (!isCmsName(text(0)) || !isCmsName(text(1)))
        return std::nullopt;
    static const QRegularExpression numbers(QStringLiteral("^(?:\\d+|-)$"));
    for (qsizetype index = 3; index <= 5; ++index) {
        if (!numbers.match(text(index)).hasMatch())
            return std::nullopt;
    }
    static const QRegularExpression oldDate(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{2})$"));
    std::optional<QDate> date;
    if (const auto yearFirst = QDate::fromString(text(6).toString(), QStringLiteral("yyyy-MM-dd")); yearFirst.isValid())
        date = yearFirst;
    else if (const QRegularExpressionMatch match = oldDate.match(text(6)); match.hasMatch())
        date = QDate(
            fullYear(match.capturedView(3).toInt(), 2), match.capturedView(1).toInt(), match.capturedView(2).toInt());
    const auto clock = parseClock(text(7));
    if (!date || !date->isValid() || !clock)
        return std::nullopt;
    const bool isFolder = text(1) == u"DIR" && text(2) == u"-";
    if (!isFolder && text(2) != u"F" && text(2) != u"V")
        return std::nullopt;
    const QString name = isFolder ? text(0).toString() : text(0).toString() + u'.' + text(1).toString();
    return entryResult(makeEntry(name, isFolder, -1, listedTime(*date, *clock)));
}

} // namespace ListingParser::Detail
