#include "session/listingparser.h"

#include "session/listingparser_p.h"

namespace {

using namespace ListingParser::Detail;
using ListingParser::LineResult;

// The line without its CR LF; every other character, blanks included, belongs to the entry.
QString withoutLineEnd(const QString &line)
{
    qsizetype length = line.size();
    while (length > 0 && (line.at(length - 1) == u'\r' || line.at(length - 1) == u'\n'))
        --length;
    return line.left(length);
}

// "total 12", "insgesamt 1234", "合計 48": the blocks that ls counts above the entries, in the
// languages servers run in.
bool isTotalLine(QStringView line)
{
    static const QStringList words = QString::fromUtf8(
        "total totale totaal totalt insgesamt razem celkem összesen yhteensä итого всего 合計 总用量 總用量 합계")
                                         .split(u' ');
    if (line.size() > 40)
        return false;
    const QList<Token> tokens = leadingTokens(line, 3);
    return tokens.size() == 2 && listedSize(tokens.at(1).text)
        && words.contains(tokens.at(0).text.toString().toLower());
}

LineResult unreadable(const QString &line)
{
    LineResult result;
    result.kind = LineResult::Kind::Unreadable;
    result.text = line;
    return result;
}

// The result, with the line when the parser could not read it.
LineResult withText(std::optional<LineResult> result, const QString &line)
{
    if (!result || result->kind == LineResult::Kind::Unreadable)
        return unreadable(line);
    return std::move(*result);
}

std::optional<LineResult> readAnyListLine(const QString &line, const QDateTime &now)
{
    if (QStringView(line).trimmed().isEmpty() || isTotalLine(line))
        return skippedLine();
    if (line.startsWith(u'+'))
        return readEplfLine(line);
    // Most lines are Unix lines; then come the families that are easiest to tell.
    if (auto result = readUnixLine(line, now))
        return result;
    for (const auto read :
        { readDosLine, readOs2Line, readVmsLine, readIbmiLine, readMvsLine, readZvmLine, readNonStopLine }) {
        if (auto result = read(line))
            return result;
    }
    return std::nullopt;
}

} // namespace

namespace ListingParser {

bool isAcceptableName(const QString &name)
{
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'/') && !name.contains(QChar(0));
}

LineResult readListLine(const QString &rawLine, const QDateTime &now)
{
    const QString line = withoutLineEnd(rawLine);
    return withText(readAnyListLine(line, now), line);
}

LineResult readMlsdLine(const QString &rawLine)
{
    const QString line = withoutLineEnd(rawLine);
    if (QStringView(line).trimmed().isEmpty())
        return skippedLine();
    return withText(readMlsdEntry(line), line);
}

ListParser::ListParser(const QDateTime &now)
    : m_now(now)
{
}

void ListParser::addLine(const QString &rawLine)
{
    const QString line = withoutLineEnd(rawLine);
    if (!m_heldLine.isEmpty()) {
        const QString held = std::exchange(m_heldLine, {});
        // The rest is indented to its column by most servers, not by all (MultiNet).
        if (auto result = readVmsLine(held + u' ' + line); result && result->kind != LineResult::Kind::Unreadable) {
            addResult(std::move(*result));
            return;
        }
        addResult(readListLine(held, m_now));
    }
    if (isVmsNameAlone(line)) {
        m_heldLine = line;
        return;
    }
    if (isMvsMemberHeader(line)) {
        m_context = Context::MemberList;
        addResult(skippedLine());
        return;
    }
    if (m_context == Context::MemberList) {
        if (auto result = readMvsMemberLine(line)) {
            addResult(std::move(*result));
            return;
        }
    }
    addResult(readListLine(line, m_now));
}

void ListParser::finish()
{
    if (!m_heldLine.isEmpty())
        addResult(readListLine(std::exchange(m_heldLine, {}), m_now));
}

std::optional<LineResult> ListParser::takeResult()
{
    if (m_results.isEmpty())
        return std::nullopt;
    return m_results.takeFirst();
}

} // namespace ListingParser
