// libFuzzer target: one listing line, read as LIST and as MLSD. An accepted entry must keep the
// parser's promises; anything else is merely refused.
#include "session/listingparser.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QDateTime now(QDate(2026, 6, 15), QTime(12, 0), Qt::UTC);
    const QString line = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const ListingParser::LineResult &result :
        { ListingParser::readListLine(line, now), ListingParser::readMlsdLine(line) }) {
        const bool isEntry = result.kind == ListingParser::LineResult::Kind::Entry;
        if (isEntry && (!ListingParser::isAcceptableName(result.entry.name) || result.entry.size < -1))
            std::abort();
    }
    return 0;
}
