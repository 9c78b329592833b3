#pragma once
// What a listing left out: the entries it refused for their names and the lines no listing form
// explains. A run says so, so that a folder the client read in part does not pass for all of it.

#include <QString>
#include <QStringList>

struct ListingProblems {
    // Names the server listed that cannot stand for an entry of this folder ("../x", "a/b",
    // "/etc/passwd"), in listing order.
    QStringList refusedNames;
    int unreadableLines = 0;
    QString firstUnreadable; // without its line end
};

// The red line for a listing with unreadable lines: how many, and the first of them.
QString describeUnreadableLines(const ListingProblems &problems);
