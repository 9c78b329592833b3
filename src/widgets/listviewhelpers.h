#pragma once
// What both file lists do alike for their report, icon and list views: columns that fit their
// texts after every listing, tool tips with the full text of cut cells, and rows dragged from one
// pane into the other.

class QAbstractItemView;
class QTreeView;

// Shows a cell's full text as its tool tip wherever the view cuts it short ("08.12.2026 18:3…");
// cells shown whole get none.
void showFullTextWhereElided(QAbstractItemView *view);

// After every listing, sizes each column to its header and its cells (never below the width it
// was given at first) and gives spareColumn whatever width the view has left, also on resizes.
void fitColumnsToEveryListing(QTreeView *view, int spareColumn);

// Rows are dragged out and files dropped in as copies, never moved: a list's model decides what
// it takes. A list view turns this off whenever its view mode or movement changes: call again.
void enableCopyDragAndDrop(QAbstractItemView *view);
