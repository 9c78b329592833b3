// HP NonStop (Tandem) Guardian: the files of one subvolume as its FTP server lists them.
#include "session/listingparser_p.h"

#include <QRegularExpression>

namespace ListingParser::Detail {

namespace {

// "27-Jan-07": day, English month, two-digit year.
std::optional<QDate> guardianDate(QStringView text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2})-([A-Za-z]{3})-(\\d{2})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int month = monthNumber(match.capturedView(2));
    const QDate date(fullYear(match.capturedView(3).toInt(), 2), month, match.capturedView(1).toInt());
    return month && date.isValid() ? std::optional<QDate>(date) : std::nullopt;
}

} // namespace

// Below "File  Code  EOF  Last Modification  Owner  RWEP":
// "ALTERDAT      101            4242 27-Jan-07 13:23:02 255,255 "nunu"". A Guardian name is a
// letter and up to seven letters or digits; the owner is "group,user"; the file code says what
// the file holds. A subvolume holds no folders. An edit file (code 101) keeps its text in a
// structure of its own, so its EOF does not count the bytes a transfer gives.
std::optional<LineResult> readNonStopLine(const QString &line)
{
    const QList<Token> tokens = leadingTokens(line, 8);
    if (tokens.size() >= 6 && tokens.at(0).text == u"File" && tokens.at(1).text == u"Code"
        && tokens.at(2).text == u"EOF")
        return skippedLine();
    if (tokens.size() < 7 || tokens.size() > 8)
        return std::nullopt;
    static const QRegularExpression name(QStringLiteral("^[A-Za-z][A-Za-z0-9]{0,7}$"));
    static const QRegularExpression code(QStringLiteral("^\\d{1,5}[A-Z]?$"));
    static const QRegularExpression owner(QStringLiteral("^\\d{1,3}, ?\\d{1,3}$"));
    static const QRegularExpression rights(QStringLiteral("^\"[-ACGNOUacgnou]{4}\"$"));
    // The owner may hold a blank ("255, 255"), which makes it two words.
    const QStringView ownerText = tokens.size() == 8
        ? QStringView(line).mid(tokens.at(5).start, tokens.at(6).end - tokens.at(5).start)
        : tokens.at(5).text;
    const auto size = plainSize(tokens.at(2).text);
    const auto date = guardianDate(tokens.at(3).text);
    const auto clock = parseClock(tokens.at(4).text);
    if (!name.match(tokens.at(0).text).hasMatch() || !code.match(tokens.at(1).text).hasMatch() || !size || !date
        || !clock || !owner.match(ownerText).hasMatch() || !rights.match(tokens.back().text).hasMatch())
        return std::nullopt;
    const bool isEditFile = tokens.at(1).text == u"101";
    return entryResult(
        makeEntry(tokens.at(0).text.toString(), false, isEditFile ? -1 : *size, listedTime(*date, *clock)));
}

} // namespace ListingParser::Detail
