#pragma once
// What both file lists do alike for their report, icon and list views: columns that fit their
// texts on the first listing and tool tips with the full text of cut cells.

class QAbstractItemView;
class QTreeView;

// Shows a cell's full text as its tool tip wherever the view cuts it short ("08.12.2026 18:3…");
// cells shown whole get none.
void showFullTextWhereElided(QAbstractItemView *view);

// Widens every column to its header and its cells once the first listing with rows arrives;
// columns never get narrower than they were, and later listings leave the user's widths alone.
void fitColumnsOnFirstListing(QTreeView *view);
