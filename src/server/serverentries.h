#pragma once
// Reading the server's current folder into the entries the server pane shows: type names by
// extension, picture keys, and the column texts.

#include "local/filetypename.h"
#include "server/serverentry.h"
#include "session/listingproblems.h"
#include "session/remoteentry.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class FtpConnection;

// The type name of a file by its name; empty when the name says nothing.
using TypeNameLookup = std::function<QString(const QString &fileName)>;

// One ServerEntry per entry, in the server's order. Picture keys are "z" and the lower-case
// extension; the own-icon kinds (ico, exe, lnk, cur) get a running number instead ("zexe0") and a
// fixed type name. typeNameOf is asked once per key and listing.
std::vector<ServerEntry> BuildServerEntries(
    const QList<RemoteEntry> &entries, const TypeNameLookup &typeNameOf = GetFileTypeName);

// Lists the server's current folder (going to "/" first when the server cannot name it);
// nullopt when it cannot be listed. problems, when given, receives what the listing left out.
std::optional<std::vector<ServerEntry>> ReadServerEntries(
    FtpConnection *connection, const TypeNameLookup &typeNameOf = GetFileTypeName, ListingProblems *problems = nullptr);
