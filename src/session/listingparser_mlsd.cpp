// MLSD (RFC 3659, 7.2) and EPLF, the two listings of facts.
#include "session/listingparser_p.h"

namespace ListingParser::Detail {

namespace {

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

// Where the facts end and the name begins. RFC 3659 puts exactly one blank after the last
// fact's ";", and a correct server's name may begin with blanks of its own, so a second blank
// stays in the name. Some servers send a tab after the blank, or in its place; no name begins
// with one. A fact value may hold blanks ("UNIX.groupname=Domain Users;"), so the facts end at
// the first blank after a ";", not at the first blank; a server that leaves out the last ";"
// ends them at its first blank.
qsizetype nameStart(QStringView line)
{
    for (qsizetype at = line.indexOf(u';'); at >= 0 && at + 1 < line.size(); at = line.indexOf(u';', at + 1)) {
        const QChar next = line.at(at + 1);
        if (next == u'\t')
            return at + 2;
        if (next == u' ')
            return at + 2 < line.size() && line.at(at + 2) == u'\t' ? at + 3 : at + 2;
    }
    const qsizetype blank = line.indexOf(u' ');
    return blank < 0 ? -1 : blank + 1;
}

} // namespace

std::optional<LineResult> readMlsdEntry(const QString &line)
{
    const qsizetype start = nameStart(line);
    if (start < 0)
        return std::nullopt;
    const QString name = line.mid(start);

    std::optional<bool> isFolder;
    std::optional<qint64> size;
    QDateTime lastWrite;
    bool isLink = false;
    QString target;
    QString unique;
    const QStringView facts = QStringView(line).left(start - 1).trimmed();
    for (const QStringView fact : facts.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype equals = fact.indexOf(u'=');
        if (equals <= 0)
            return std::nullopt;
        const QString key = fact.left(equals).toString().toLower();
        const QStringView value = fact.mid(equals + 1);
        if (key == u"type") {
            const QString type = value.toString().toLower();
            if (type == u"file") {
                isFolder = false;
            } else if (type == u"dir") {
                isFolder = true;
            } else if (type == u"cdir" || type == u"pdir") {
                return skippedLine(); // the listed folder itself and its parent
            } else if (type.startsWith(u"os.unix=slink") || type == u"os.unix=symlink") {
                // pure-ftpd: "OS.unix=slink:/target", proftpd: "OS.unix=symlink". A link counts
                // as a folder only when its target says so, as in a Unix listing.
                isLink = true;
                if (type.startsWith(u"os.unix=slink:"))
                    target = value.mid(value.indexOf(u':') + 1).toString();
                isFolder = target.endsWith(u'/');
            } else if (type.startsWith(u"os.")) {
                isFolder = false; // devices, sockets and other system-specific kinds
            } else {
                return std::nullopt;
            }
        } else if (key == u"size" || (key == u"sizd" && !size)) {
            size = plainSize(value);
            if (!size)
                return std::nullopt;
        } else if (key == u"modify") {
            lastWrite = listedTimeOfUtc(mlsdTime(value));
        } else if (key == u"unique") {
            unique = value.toString();
        }
    }
    // Without a type fact there is no telling a folder from a file.
    if (!isFolder)
        return std::nullopt;
    RemoteEntry entry = makeEntry(name, *isFolder, size.value_or(-1), lastWrite);
    entry.isLink = isLink;
    entry.linkTarget = target;
    entry.unique = unique;
    return entryResult(std::move(entry));
}

// "+i8388621.48594,m825718503,r,s280,\tdjb.html": facts separated by commas, a tab, the name.
// "/" says the entry can be entered, "r" that it can be retrieved, "s" gives the size, "m" the
// time in seconds since 1970 UTC, "i" an identifier that is the same for the same object.
std::optional<LineResult> readEplfLine(const QString &line)
{
    const qsizetype tab = line.indexOf(u'\t');
    if (!line.startsWith(u'+') || tab < 0)
        return std::nullopt;
    bool isFolder = false;
    qint64 size = -1;
    QDateTime lastWrite;
    QString unique;
    for (const QStringView fact : QStringView(line).mid(1, tab - 1).split(u',', Qt::SkipEmptyParts)) {
        const QStringView value = fact.mid(1);
        switch (fact.at(0).unicode()) {
        case u'/':
            isFolder = true;
            break;
        case u's':
            if (const auto parsed = plainSize(value))
                size = *parsed;
            break;
        case u'm':
            if (const auto seconds = plainSize(value); seconds && *seconds < 253402300800LL)
                lastWrite = listedTimeOfUtc(QDateTime::fromSecsSinceEpoch(*seconds, Qt::UTC));
            break;
        case u'i':
            unique = value.toString();
            break;
        default:
            break; // "r", "up644" and facts of later versions
        }
    }
    RemoteEntry entry = makeEntry(line.mid(tab + 1), isFolder, size, lastWrite);
    entry.unique = unique;
    return entryResult(std::move(entry));
}

} // namespace ListingParser::Detail
