#pragma once
// Turns the lines of a LIST or MLSD reply into folder entries.

#include "session/remoteentry.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace ListingParser {

// What one line (or, for the forms that spread an entry over two lines, one entry) gave.
struct LineResult {
    enum class Kind {
        Entry, // entry holds it
        Skipped, // nothing to show, nothing lost: blank and "total" lines, headers, "." and ".."
        Refused, // an entry whose name must not reach the program; refusedName holds it
        Unreadable, // no listing form the parser knows; text holds the line
    };
    Kind kind = Kind::Skipped;
    RemoteEntry entry;
    QString refusedName;
    QString text; // without its line end
};

// One line of a LIST reply in any of the forms that keep an entry on one line: Unix `ls -l` and
// its variants, DOS/IIS, OS/2, EPLF, IBM i, z/OS data sets, z/VM, HP NonStop and VMS lines that
// hold a whole entry.
// now decides the year of Unix lines that give a time of day instead of a year.
LineResult readListLine(const QString &line, const QDateTime &now = QDateTime::currentDateTimeUtc());

// One line of an MLSD reply ("type=file;size=12;modify=20040307090500; name with blanks"); an entry
// without a size fact has size -1.
LineResult readMlsdLine(const QString &line);

// A whole LIST reply, line by line. Some servers need more than one line: VMS moves the rest of an
// entry to the next line when the name is long, z/OS lists members by name alone below a header.
// Every line goes to addLine() in order, finish() follows the last; each result can be taken as
// soon as it is ready, in listing order.
class ListParser {
public:
    explicit ListParser(const QDateTime &now = QDateTime::currentDateTimeUtc());

    void addLine(const QString &line);
    void finish();
    std::optional<LineResult> takeResult();

private:
    enum class Context { Any, MemberList };

    void addResult(LineResult result) { m_results.append(std::move(result)); }

    QDateTime m_now;
    Context m_context = Context::Any;
    QString m_heldLine; // a VMS name whose rest may follow on the next line
    QList<LineResult> m_results;
};

// False for names that could leave the listed folder or mean the folder itself.
bool isAcceptableName(const QString &name);

} // namespace ListingParser
