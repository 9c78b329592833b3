#include "session/listingproblems.h"

#include "core/textcatalogue.h"

QString describeUnreadableLines(const ListingProblems &problems)
{
    return text("LISTING_UNREADABLE").arg(problems.unreadableLines) + u' ' + problems.firstUnreadable;
}
