#include "session/ftpreplyreader.h"

#include "session/ftpnamecodec.h"

namespace {

// The code of a line that begins with three digits, the first of them 1 to 5 (RFC 959, 4.2.1),
// followed by a blank, a hyphen or nothing; 0 for any other line.
int leadingCode(const QString &line, QChar *separator)
{
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    if (line.size() < 3 || line.at(0) < u'1' || line.at(0) > u'5' || !isDigit(line.at(1)) || !isDigit(line.at(2)))
        return 0;
    const QChar next = line.size() > 3 ? line.at(3) : QLatin1Char(' ');
    if (next != QLatin1Char(' ') && next != QLatin1Char('-'))
        return 0;
    *separator = next;
    return line.left(3).toInt();
}

} // namespace

void FtpReplyReader::addData(const QByteArray &data)
{
    if (m_error != Error::None)
        return;
    m_pending += data;
    qsizetype start = 0;
    for (qsizetype end = m_pending.indexOf('\n'); end >= 0; end = m_pending.indexOf('\n', start)) {
        // Telnet end of line is CR LF (RFC 959, 4.2); a lone LF is accepted as well.
        qsizetype length = end - start;
        if (length > 0 && m_pending.at(end - 1) == '\r')
            --length;
        addLine(QByteArray::fromRawData(m_pending.constData() + start, length));
        start = end + 1;
        if (m_error != Error::None)
            return;
    }
    m_pending.remove(0, start);
    // An unfinished line is checked too: a server that never sends a line end must not fill the memory.
    if (m_pending.size() > MaxLineLength + 1)
        fail(Error::LineTooLong);
}

void FtpReplyReader::fail(Error error)
{
    m_error = error;
    m_pending.clear();
    m_lines.clear();
    m_multiLineCode = 0;
    m_replyLength = 0;
}

// RFC 959, 4.2: a multi-line reply opens with "xyz-text" and ends with the first line that starts
// with the same code followed by a blank ("xyz text"); lines in between may look like anything,
// even like other codes. A line outside any reply that does not start with a code is junk some
// servers send (banners without code, stray blank lines) and is skipped.
void FtpReplyReader::addLine(const QByteArray &bytes)
{
    if (bytes.size() > MaxLineLength) {
        fail(Error::LineTooLong);
        return;
    }
    // Replies name paths (PWD, MKD), in whatever bytes the server keeps them.
    bool isLatin1 = false;
    const QString line = FtpNameCodec::decodeLine(bytes, &isLatin1);
    QChar separator;
    const int code = leadingCode(line, &separator);
    if (m_multiLineCode != 0) {
        m_replyLength += bytes.size() + 2;
        if (m_replyLength > MaxReplyLength) {
            fail(Error::ReplyTooLong);
            return;
        }
        m_lines.append(line);
        if (code == m_multiLineCode && separator == QLatin1Char(' ')) {
            m_replies.emplace_back(code, m_lines, m_firstLineIsLatin1);
            m_lines.clear();
            m_multiLineCode = 0;
        }
        return;
    }
    if (code == 0)
        return;
    if (separator == QLatin1Char('-')) {
        m_multiLineCode = code;
        m_replyLength = bytes.size() + 2;
        m_lines = { line };
        m_firstLineIsLatin1 = isLatin1;
        return;
    }
    m_replies.emplace_back(code, QStringList { line }, isLatin1);
}

std::optional<FtpReply> FtpReplyReader::takeReply()
{
    if (m_replies.empty())
        return std::nullopt;
    FtpReply reply = std::move(m_replies.front());
    m_replies.pop_front();
    return reply;
}

void FtpReplyReader::clear()
{
    m_pending.clear();
    m_multiLineCode = 0;
    m_lines.clear();
    m_replyLength = 0;
    m_error = Error::None;
    m_replies.clear();
}
