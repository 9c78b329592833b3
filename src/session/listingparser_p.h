#pragma once
// What the listing families share: words with their positions, numbers, month names, times, and
// the one way an entry becomes a result. Each family reads a line it recognises and answers
// nullopt for any other, so that the next family can try.

#include "session/listingparser.h"

#include <QList>
#include <QStringView>

#include <optional>

namespace ListingParser::Detail {

struct Token {
    qsizetype start;
    qsizetype end; // one past the last character
    QStringView text;
};

// The first maxCount blank-separated words with their positions, so the name can be cut out of the
// line itself instead of being glued together from words (which would lose repeated blanks).
QList<Token> leadingTokens(QStringView line, int maxCount);
bool isAllDigits(QStringView text);
std::optional<int> smallNumber(QStringView text, int maxDigits);

// "1234"
std::optional<qint64> plainSize(QStringView text);
// "1234", "1,234,567", "1.234.567", "1'234" and the rounded sizes of ls -h: "33.5k", "1.2M", "2G".
std::optional<qint64> listedSize(QStringView text);

// "Mar", "mar.", "Mär", "Mrz", "févr.", "juil.", "ene", "Okt", "Dez", ... in the languages servers
// list in; 0 for none.
int monthNumber(QStringView text);

struct Clock {
    int hour = 0;
    int minute = 0;
    int second = 0;
};
// "9:05", "09:05", "09:05:33", "09:05:33.12"; "24:00" is the midnight that ends the day.
std::optional<Clock> parseClock(QStringView text);
// A listed time without a time zone: the server's own clock, kept as it reads (as UTC).
QDateTime listedTime(const QDate &date, const Clock &clock = {});
// A time the listing gives in UTC (MLSD, EPLF) as this machine's clock reads it, kept like a listed
// time, so that one folder shows the same times through LIST and through MLSD.
QDateTime listedTimeOfUtc(const QDateTime &utc);
// Two-digit years of the 20th century from 70 on, of the 21st before; "103" counts from 1900.
int fullYear(int year, qsizetype digits);

RemoteEntry makeEntry(const QString &name, bool isFolder, qint64 size, const QDateTime &lastWrite);
// The entry, refused when its name must not reach the program, skipped when it only names the
// folder itself or its parent, which every listing may show; a line without a name is unreadable.
LineResult entryResult(RemoteEntry entry);
LineResult skippedLine();

std::optional<LineResult> readMlsdEntry(const QString &line);
// The families of LIST lines.
std::optional<LineResult> readUnixLine(const QString &line, const QDateTime &now);
std::optional<LineResult> readDosLine(const QString &line);
std::optional<LineResult> readOs2Line(const QString &line);
std::optional<LineResult> readEplfLine(const QString &line);
std::optional<LineResult> readVmsLine(const QString &line);
// A VMS name too long for its column: the rest of the entry may follow on the next line.
bool isVmsNameAlone(QStringView line);
std::optional<LineResult> readIbmiLine(const QString &line);
std::optional<LineResult> readMvsLine(const QString &line);
// The header above a z/OS member list, below which a line may hold a member's name alone.
bool isMvsMemberHeader(QStringView line);
std::optional<LineResult> readMvsMemberLine(const QString &line);
std::optional<LineResult> readZvmLine(const QString &line);
std::optional<LineResult> readNonStopLine(const QString &line);

} // namespace ListingParser::Detail
