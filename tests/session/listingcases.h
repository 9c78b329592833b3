#pragma once
// One table row per listing line: the line as the server sends it and what the parser must make
// of it.

#include "session/listingparser.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

namespace ListingCases {

using Kind = ListingParser::LineResult::Kind;

struct Expected {
    const char *name; // UTF-8
    bool isFolder;
    qint64 size;
    const char *lastWrite; // "yyyy-MM-dd HH:mm:ss" UTC, "" for none
    bool isLink = false;
    const char *linkTarget = "";
    const char *unique = "";
};

struct LineCase {
    const char *label;
    const char *line; // UTF-8, as the server sends it
    std::optional<Expected> expected;
    const char *refusedName = ""; // what the parser reports as left out
    Kind kindWithoutEntry = Kind::Unreadable; // when there is no entry and no refused name
};

// Shows the line itself in test output instead of the struct's bytes.
inline void PrintTo(const LineCase &lineCase, std::ostream *out)
{
    *out << '"' << lineCase.line << '"';
}

inline std::string caseName(const testing::TestParamInfo<LineCase> &info)
{
    return info.param.label;
}

// Lines of recent-date listings are read as if fetched on this day.
inline const QDateTime Now(QDate(2026, 6, 15), QTime(12, 0), Qt::UTC);

inline void checkEntry(const RemoteEntry &entry, const Expected &expected)
{
    SCOPED_TRACE(expected.name);
    EXPECT_EQ(entry.name, QString::fromUtf8(expected.name));
    EXPECT_EQ(entry.isFolder, expected.isFolder);
    EXPECT_EQ(entry.attributes, expected.isFolder ? 0x10u : 0x80u);
    EXPECT_EQ(entry.size, expected.size);
    EXPECT_EQ(entry.isLink, expected.isLink);
    EXPECT_EQ(entry.linkTarget, QString::fromUtf8(expected.linkTarget));
    EXPECT_EQ(entry.unique, QString::fromUtf8(expected.unique));
    EXPECT_EQ(
        entry.lastWrite.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString(), std::string(expected.lastWrite));
    if (entry.lastWrite.isValid()) {
        EXPECT_EQ(entry.lastWrite.timeSpec(), Qt::UTC);
    }
}

inline void checkResult(const ListingParser::LineResult &result, const LineCase &lineCase)
{
    if (lineCase.expected) {
        ASSERT_EQ(result.kind, Kind::Entry) << result.text.toStdString();
        checkEntry(result.entry, *lineCase.expected);
        return;
    }
    EXPECT_NE(int(result.kind), int(Kind::Entry)) << "accepted as " << result.entry.name.toStdString();
    const Kind kind = *lineCase.refusedName ? Kind::Refused : lineCase.kindWithoutEntry;
    EXPECT_EQ(int(result.kind), int(kind));
    EXPECT_EQ(result.refusedName, QString::fromUtf8(lineCase.refusedName));
    if (kind == Kind::Unreadable) {
        EXPECT_EQ(
            result.text.toStdString(), QString::fromUtf8(lineCase.line).remove(u'\r').remove(u'\n').toStdString());
    }
}

inline void checkListLine(const LineCase &lineCase)
{
    checkResult(ListingParser::readListLine(QString::fromUtf8(lineCase.line), Now), lineCase);
}

} // namespace ListingCases
