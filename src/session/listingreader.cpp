#include "session/listingreader.h"

#include "session/listingparser.h"

ListingReader::ListingReader(Format format, const QDateTime &now)
    : m_format(format)
    , m_now(now)
{
    open(QIODevice::WriteOnly);
}

qint64 ListingReader::readData(char *, qint64)
{
    return -1;
}

qint64 ListingReader::writeData(const char *data, qint64 size)
{
    m_received += size;
    if (m_received > MaxBytes)
        return fail();
    QByteArrayView rest(data, size);
    // Lines end with CR LF (RFC 959, 3.1.1.1; RFC 3659, 7.2); the parsers drop the CR.
    for (qsizetype end = rest.indexOf('\n'); end >= 0; end = rest.indexOf('\n')) {
        if (std::exchange(m_skippingLine, false)) {
            // The end of an over-long line: no entry.
        } else if (m_partialLine.isEmpty()) {
            parseLine(rest.first(end));
        } else {
            m_partialLine += rest.first(end);
            parseLine(std::exchange(m_partialLine, {}));
        }
        rest = rest.sliced(end + 1);
        if (m_entries.size() > MaxEntries)
            return fail();
    }
    if (!m_skippingLine)
        m_partialLine += rest;
    // No name is this long; the line is skipped instead of kept.
    if (m_partialLine.size() > MaxLineLength) {
        m_partialLine.clear();
        m_skippingLine = true;
    }
    return size;
}

void ListingReader::finish()
{
    if (!m_partialLine.isEmpty())
        parseLine(std::exchange(m_partialLine, {}));
}

void ListingReader::parseLine(QByteArrayView bytes)
{
    const QString line = QString::fromUtf8(bytes);
    QString refused;
    std::optional<RemoteEntry> entry = m_format == Format::Mlsd ? ListingParser::parseMlsdLine(line, &refused)
                                                                : ListingParser::parseListLine(line, m_now, &refused);
    if (entry)
        m_entries.append(std::move(*entry));
    else if (!refused.isEmpty())
        m_refusedNames.append(refused);
}

qint64 ListingReader::fail()
{
    m_overflowed = true;
    m_entries.clear();
    m_partialLine.clear();
    return -1;
}
