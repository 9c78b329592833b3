// The listing parser and the reply reader fed real server lines mutated at every position: they
// must neither crash nor hand out an entry or a reply that breaks their promises. The libFuzzer
// targets in fuzz/ search further; this runs on every build, with the normal compiler.
#include "core/fileattributes.h"
#include "session/ftpreplyreader.h"
#include "session/listingparser.h"

#include <QFile>

#include <gtest/gtest.h>

#include <random>

namespace {

const QDateTime Now(QDate(2026, 6, 15), QTime(12, 0), Qt::UTC);

QByteArray corpusFile(const char *name)
{
    QFile file(QStringLiteral(FERROLINK_TEST_SOURCE_DIR "/fuzz/corpus/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QList<QByteArray> listingLines()
{
    QList<QByteArray> lines = corpusFile("listing-lines.txt").split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

// Each reply of the corpus as the server sends it, lines ended with CR LF.
QList<QByteArray> replyStreams()
{
    QList<QByteArray> streams;
    for (const QByteArray &block : corpusFile("replies.txt").split('%')) {
        QByteArray stream = block.trimmed();
        if (!stream.isEmpty())
            streams.append(stream.replace('\n', "\r\n") + "\r\n");
    }
    return streams;
}

// Every variant of text with one fault at position at: a random byte in place, a control
// character inserted, the text cut off there.
QList<QByteArray> mutations(const QByteArray &text, qsizetype at, std::mt19937 &random)
{
    static const char controls[] = { '\0', '\t', '\r', '\n', '\x1b', '\x7f', '\xff' };
    QByteArray replaced = text;
    replaced[at] = char(random() & 0xff);
    QByteArray inserted = text;
    inserted.insert(at, controls[random() % sizeof(controls)]);
    return { replaced, inserted, text.left(at) };
}

void checkEntry(const ListingParser::LineResult &result, const QByteArray &line)
{
    if (result.kind != ListingParser::LineResult::Kind::Entry)
        return;
    const RemoteEntry &entry = result.entry;
    ASSERT_TRUE(ListingParser::isAcceptableName(entry.name)) << line.toStdString();
    EXPECT_GE(entry.size, -1) << line.toStdString();
    EXPECT_EQ(entry.attributes, entry.isFolder ? quint32(FileAttribute::Directory) : quint32(FileAttribute::Normal));
    if (entry.lastWrite.isValid()) {
        EXPECT_EQ(entry.lastWrite.timeSpec(), Qt::UTC) << line.toStdString();
    }
}

void parseBoth(const QByteArray &line)
{
    const QString text = QString::fromUtf8(line);
    checkEntry(ListingParser::readListLine(text, Now), line);
    checkEntry(ListingParser::readMlsdLine(text), line);
}

TEST(ParserFuzz, ListingLinesMutatedAtEveryPosition)
{
    const QList<QByteArray> lines = listingLines();
    ASSERT_GE(lines.size(), 200);
    std::mt19937 random(20261208);
    for (const QByteArray &line : lines) {
        parseBoth(line);
        for (qsizetype at = 0; at < line.size(); ++at) {
            for (const QByteArray &mutated : mutations(line, at, random))
                parseBoth(mutated);
        }
    }
}

// The whole corpus as one LIST reply, each line mutated in turn: ListParser holds lines back for
// VMS and z/OS, and must still give every line a result that keeps its promises.
TEST(ParserFuzz, ListParserReadsTheMutatedCorpusAsOneListing)
{
    const QList<QByteArray> lines = listingLines();
    std::mt19937 random(9122026);
    for (qsizetype mutated = 0; mutated < lines.size(); ++mutated) {
        ListingParser::ListParser parser(Now);
        const QList<QByteArray> variants = mutations(lines.at(mutated), random() % lines.at(mutated).size(), random);
        for (qsizetype i = 0; i < lines.size(); ++i)
            parser.addLine(QString::fromUtf8(i == mutated ? variants.at(random() % variants.size()) : lines.at(i)));
        parser.finish();
        qsizetype results = 0;
        while (const auto result = parser.takeResult()) {
            ++results;
            checkEntry(*result, lines.at(mutated));
            if (result->kind == ListingParser::LineResult::Kind::Unreadable) {
                EXPECT_FALSE(result->text.trimmed().isEmpty()) << lines.at(mutated).toStdString();
            }
        }
        // A VMS entry spread over two lines gives one result for both.
        EXPECT_LE(results, lines.size());
        EXPECT_GE(results, lines.size() - 2);
    }
}

TEST(ParserFuzz, ListingLinesWithHugeNamesAndALineOfOneMebibyte)
{
    const QByteArray longName(10000, 'n');
    for (const QByteArray &line : listingLines()) {
        // The last word stands for the name in nearly every form.
        parseBoth(line.left(line.lastIndexOf(' ') + 1) + longName);
        parseBoth(line + longName);
    }
    const QByteArray mebibyte(1024 * 1024, 'x');
    parseBoth(mebibyte);
    parseBoth("-rw-r--r-- 1 a a 1 Mar 05  2004 " + mebibyte);
    parseBoth("03-07-04  09:05AM 12 " + mebibyte);
    parseBoth("type=file;size=1; " + mebibyte);
    parseBoth(QByteArray(1024 * 1024, ';') + ' ');
    parseBoth(QByteArray(1024 * 1024, ' '));
}

// The stream cut into pieces of random sizes, as the network may deliver it.
void readStream(const QByteArray &stream, std::mt19937 &random)
{
    FtpReplyReader reader;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype length = 1 + qsizetype(random() % 64);
        reader.addData(stream.mid(at, length));
        at += length;
    }
    while (const std::optional<FtpReply> reply = reader.takeReply()) {
        ASSERT_TRUE(reply->isValid()) << stream.toStdString();
        ASSERT_FALSE(reply->lines().isEmpty());
        EXPECT_TRUE(reply->lines().first().startsWith(QString::number(reply->code())));
    }
}

TEST(ParserFuzz, RepliesMutatedAtEveryPosition)
{
    const QList<QByteArray> streams = replyStreams();
    ASSERT_GE(streams.size(), 50);
    std::mt19937 random(8122026);
    for (const QByteArray &stream : streams) {
        readStream(stream, random);
        for (qsizetype at = 0; at < stream.size(); ++at) {
            for (const QByteArray &mutated : mutations(stream, at, random))
                readStream(mutated, random);
        }
    }
    // All of them in one stream, then a line and a reply past the reader's limits.
    readStream(streams.join(), random);
    readStream("220 " + QByteArray(1024 * 1024, 'x') + "\r\n", random);
    readStream("211-" + QByteArray(1024 * 1024, '\n') + "211 End\r\n", random);
}

} // namespace
