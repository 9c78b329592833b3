// The reply assembler on its own: RFC 959 reply syntax, byte stream cut anywhere.
#include "session/ftpreplyreader.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

struct ReplyCase {
    const char *name;
    QByteArray stream;
    QList<int> codes; // the complete replies, in order
    QList<int> lineCounts; // lines of each reply
};

void PrintTo(const ReplyCase &c, std::ostream *out)
{
    *out << c.name;
}

class FtpReplyReaderTest : public ::testing::TestWithParam<ReplyCase> { };

TEST_P(FtpReplyReaderTest, AssemblesWholeRepliesWhereverTheStreamIsCut)
{
    const ReplyCase &c = GetParam();
    // Whole, byte by byte, and in two halves: the assembler may not depend on packet borders.
    for (const int chunk : { int(c.stream.size()), 1, int(c.stream.size() / 2 + 1) }) {
        FtpReplyReader reader;
        for (qsizetype at = 0; at < c.stream.size(); at += std::max(chunk, 1))
            reader.addData(c.stream.mid(at, std::max(chunk, 1)));
        QList<int> codes;
        QList<int> lineCounts;
        while (std::optional<FtpReply> reply = reader.takeReply()) {
            codes.append(reply->code());
            lineCounts.append(int(reply->lines().size()));
        }
        EXPECT_EQ(codes, c.codes) << c.name << " chunk " << chunk;
        EXPECT_EQ(lineCounts, c.lineCounts) << c.name << " chunk " << chunk;
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, FtpReplyReaderTest,
    ::testing::Values(ReplyCase { "single", "220 ready\r\n", { 220 }, { 1 } },
        ReplyCase { "two at once", "150 opening\r\n226 done\r\n", { 150, 226 }, { 1, 1 } },
        ReplyCase { "bare LF and code alone", "200 ok\n331\r\n", { 200, 331 }, { 1, 1 } },
        ReplyCase { "multi-line FEAT", "211-Features:\r\n MLST type*;\r\n UTF8\r\n211 End\r\n", { 211 }, { 4 } },
        // RFC 959, 4.2: inner lines may start with digits, even another code or the same code with
        // a hyphen; only "211 " ends the reply.
        ReplyCase { "inner lines look like codes",
            "230-Welcome\r\n230-still welcome\r\n123 not a reply\r\n230 Logged in\r\n", { 230 }, { 4 } },
        ReplyCase { "junk before the code", "Welcome banner without code\r\n\r\n220 ready\r\n", { 220 }, { 1 } },
        ReplyCase { "incomplete reply is held back", "226-Transfer\r\n226-more", {}, {} },
        ReplyCase { "not a code", "22 short\r\n2200 long\r\nabc\r\n550 No such file\r\n", { 550 }, { 1 } },
        // RFC 959, 4.2.1: the first digit is 1 to 5; isDigit() would also take other scripts' digits.
        ReplyCase { "first digit outside 1 to 5", "020 zero\r\n600 six\r\n\u0662\u0662\u0660 arabic\r\n220 ok\r\n",
            { 220 }, { 1 } }),
    [](const ::testing::TestParamInfo<ReplyCase> &info) {
        QString name = QString::fromLatin1(info.param.name);
        name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
        return name.toStdString();
    });

struct BoundCase {
    const char *name;
    QByteArray stream;
    FtpReplyReader::Error error;
    int replies; // complete before the error
};

void PrintTo(const BoundCase &c, std::ostream *out)
{
    *out << c.name;
}

QByteArray manyLines(int count, qsizetype length)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += ' ' + QByteArray(length - 3, 'x') + "\r\n";
    return lines;
}

const qsizetype MaxLine = FtpReplyReader::MaxLineLength;

const BoundCase BoundCases[] = {
    { "line_at_the_limit", "200 " + QByteArray(MaxLine - 4, 'a') + "\r\n", FtpReplyReader::Error::None, 1 },
    { "line_over_the_limit", "220 ok\r\n200 " + QByteArray(MaxLine, 'a') + "\r\n", FtpReplyReader::Error::LineTooLong,
        1 },
    { "line_without_end", "200 " + QByteArray(2 * MaxLine, 'a'), FtpReplyReader::Error::LineTooLong, 0 },
    { "junk_line_over_the_limit", QByteArray(MaxLine + 10, 'j') + "\n220 ok\r\n", FtpReplyReader::Error::LineTooLong,
        0 },
    { "reply_at_the_limit", "211-a\r\n" + manyLines(1023, 1024) + "211 End\r\n", FtpReplyReader::Error::None, 1 },
    { "reply_over_the_limit", "211-a\r\n" + manyLines(1100, 1024) + "211 End\r\n", FtpReplyReader::Error::ReplyTooLong,
        0 },
};

class FtpReplyReaderBounds : public ::testing::TestWithParam<BoundCase> { };

// What the reader keeps is bounded whatever the server sends, and an overlong reply is an error
// that stops the reader rather than a reply cut short.
TEST_P(FtpReplyReaderBounds, FailsOnOverlongLinesAndReplies)
{
    const BoundCase &c = GetParam();
    for (const qsizetype chunk : { qsizetype(1000), c.stream.size() }) {
        FtpReplyReader reader;
        for (qsizetype at = 0; at < c.stream.size(); at += chunk)
            reader.addData(c.stream.mid(at, chunk));
        reader.addData("230 after\r\n");
        int replies = 0;
        while (reader.takeReply())
            ++replies;
        EXPECT_EQ(reader.error(), c.error) << "chunk " << chunk;
        EXPECT_EQ(replies, c.replies + (c.error == FtpReplyReader::Error::None ? 1 : 0)) << "chunk " << chunk;
        reader.clear();
        reader.addData("220 again\r\n");
        EXPECT_EQ(reader.error(), FtpReplyReader::Error::None);
        EXPECT_TRUE(reader.takeReply().has_value());
    }
}

INSTANTIATE_TEST_SUITE_P(Limits, FtpReplyReaderBounds, ::testing::ValuesIn(BoundCases),
    [](const ::testing::TestParamInfo<BoundCase> &info) { return std::string(info.param.name); });

TEST(FtpReply, ClassifiesByFirstDigitAndKeepsTheServersWords)
{
    const FtpReply reply(550, { QStringLiteral("550 No such file") });
    EXPECT_EQ(reply.replyClass(), FtpReply::ReplyClass::PermanentError);
    EXPECT_TRUE(reply.isError());
    EXPECT_EQ(reply.text(), QStringLiteral("550 No such file"));
    EXPECT_EQ(reply.message(), QStringLiteral("No such file"));
    EXPECT_EQ(FtpReply(150, {}).replyClass(), FtpReply::ReplyClass::Preliminary);
    EXPECT_EQ(FtpReply(257, {}).replyClass(), FtpReply::ReplyClass::Completion);
    EXPECT_EQ(FtpReply(350, {}).replyClass(), FtpReply::ReplyClass::Intermediate);
    EXPECT_EQ(FtpReply(421, {}).replyClass(), FtpReply::ReplyClass::TransientError);
    EXPECT_EQ(FtpReply().replyClass(), FtpReply::ReplyClass::Invalid);
}

} // namespace
