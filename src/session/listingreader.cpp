#include "session/listingreader.h"

#include "core/backgroundwork.h"
#include "session/ftpnamecodec.h"
#include "session/listingparser.h"

ListingReader::ListingReader(Format format, FtpNameCodec *names, const QDateTime &now)
    : m_format(format)
    , m_names(names)
    , m_listParser(now)
{
    open(QIODevice::WriteOnly);
}

ListingReader::~ListingReader()
{
    m_stopped = true;
    m_drainTask.waitForFinished();
}

qint64 ListingReader::readData(char *, qint64)
{
    return -1;
}

qint64 ListingReader::writeData(const char *data, qint64 size)
{
    m_received += size;
    if (m_received > MaxBytes || m_overflowed)
        return fail();
    const QMutexLocker locker(&m_queueLock);
    m_queue.append(data, size);
    if (!std::exchange(m_draining, true))
        m_drainTask = QtConcurrent::run([this] { drain(); });
    return size;
}

void ListingReader::drain()
{
    for (;;) {
        QByteArray block;
        {
            const QMutexLocker locker(&m_queueLock);
            if (m_queue.isEmpty() || m_stopped) {
                m_queue.clear();
                m_draining = false;
                return;
            }
            block = std::exchange(m_queue, {});
        }
        parseBlock(block);
    }
}

void ListingReader::parseBlock(QByteArrayView rest)
{
    // Lines end with CR LF (RFC 959, 3.1.1.1; RFC 3659, 7.2); the parsers drop the CR.
    for (qsizetype end = rest.indexOf('\n'); end >= 0 && !m_stopped; end = rest.indexOf('\n')) {
        if (std::exchange(m_skippingLine, false)) {
            // The end of an over-long line: no entry, but a line the folder's reader lost.
            noteUnreadable(m_longLineStart);
        } else if (m_partialLine.isEmpty()) {
            parseLine(rest.first(end));
        } else {
            m_partialLine += rest.first(end);
            parseLine(std::exchange(m_partialLine, {}));
        }
        rest = rest.sliced(end + 1);
        if (m_entries.size() > MaxEntries) {
            fail();
            return;
        }
    }
    if (!m_skippingLine)
        m_partialLine += rest;
    // No name is this long; the line is skipped instead of kept.
    if (m_partialLine.size() > MaxLineLength) {
        m_longLineStart = QString::fromUtf8(m_partialLine.first(LongLineShown)) + QStringLiteral("...");
        m_partialLine.clear();
        m_skippingLine = true;
    }
}

void ListingReader::finish()
{
    waitLettingEventsRun(m_drainTask);
    if (m_stopped)
        return;
    if (std::exchange(m_skippingLine, false))
        noteUnreadable(m_longLineStart);
    else if (!m_partialLine.isEmpty())
        parseLine(std::exchange(m_partialLine, {}));
    if (m_format == Format::List) {
        m_listParser.finish();
        takeResults();
    }
}

void ListingReader::parseLine(QByteArrayView bytes)
{
    bool isLatin1 = false;
    const QString line = FtpNameCodec::decodeLine(bytes, &isLatin1);
    m_latin1Lines[0] = std::exchange(m_latin1Lines[1], isLatin1 ? line : QString());
    if (m_format == Format::Mlsd) {
        keep(ListingParser::readMlsdLine(line));
        return;
    }
    // A LIST entry may take two lines (VMS) or depend on a header above it (z/OS members).
    m_listParser.addLine(line);
    takeResults();
}

void ListingReader::takeResults()
{
    while (std::optional<ListingParser::LineResult> result = m_listParser.takeResult())
        keep(std::move(*result));
}

void ListingReader::keep(ListingParser::LineResult result)
{
    using Kind = ListingParser::LineResult::Kind;
    switch (result.kind) {
    case Kind::Entry:
        result.entry.name = serverName(result.entry.name);
        result.entry.linkTarget = serverName(result.entry.linkTarget);
        m_entries.append(std::move(result.entry));
        break;
    case Kind::Skipped:
        break;
    case Kind::Refused:
        m_problems.refusedNames.append(result.refusedName);
        break;
    case Kind::Unreadable:
        noteUnreadable(result.text);
        break;
    }
}

QString ListingReader::serverName(const QString &text) const
{
    if (!m_names || (m_latin1Lines[0].isEmpty() && m_latin1Lines[1].isEmpty()) || text.isEmpty())
        return text;
    for (const QString &line : m_latin1Lines) {
        if (line.contains(text))
            return m_names->decodeName(text.toLatin1());
    }
    return text;
}

void ListingReader::noteUnreadable(const QString &line)
{
    if (m_problems.unreadableLines++ == 0)
        m_problems.firstUnreadable = line;
}

qint64 ListingReader::fail()
{
    // The pool task may still be parsing: it sees the flags and stops; the entries are dropped
    // by takeEntries() and the destructor.
    m_overflowed = true;
    m_stopped = true;
    return -1;
}
