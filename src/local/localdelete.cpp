#include "local/localdelete.h"

#include "core/eventpump.h"
#include "core/historylog.h"
#include "core/progresssink.h"
#include "core/prompts.h"
#include "core/textcatalogue.h"

#include <QFile>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

const QString LineEnd = QStringLiteral("\r\n");

fs::path nativePath(const QString &path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

// Looks at the entry itself, never through a symbolic link.
bool isRealFolder(const QString &path)
{
    std::error_code ec;
    return fs::is_directory(fs::symlink_status(nativePath(path), ec));
}

} // namespace

LocalDelete::LocalDelete(HistoryLog &history, Prompts &prompts, ProgressSink &progress)
    : m_history(history)
    , m_prompts(prompts)
    , m_progress(progress)
{
}

bool LocalDelete::confirm(const QStringList &paths)
{
    if (paths.isEmpty())
        return false;
    QString question;
    if (paths.size() == 1) {
        const QString &path = paths.first();
        m_history.appendLine(text("MSDEL_DELETE") + u' ' + path + LineEnd);
        // The question names what the entry really is, so a folder tree is never announced as a
        // file.
        question = isRealFolder(path) ? text("MSDEL_FOLDDEL1") + u' ' + path + u' ' + text("MSDEL_FOLDDEL2")
                                      : text("MSDEL_DELETEIT1") + u' ' + path + u' ' + text("MSDEL_DELETEIT2");
    } else {
        m_history.appendLine(QStringLiteral("Aktion: Beginne mit löschen") + LineEnd);
        question = text("MSDEL_FILEDEL1") + u' ' + QString::number(paths.size()) + u' ' + text("MSDEL_FILEDEL2");
    }
    if (m_prompts.askYesNo(question))
        return true;
    m_history.appendLine(text("MSDEL_DELCANCEL") + LineEnd, HistoryLog::Colour::Red);
    return false;
}

void LocalDelete::remove(const QStringList &paths)
{
    if (paths.size() == 1) {
        m_progress.setRange(1, 10);
        m_progress.setValue(10);
        const bool removed = removePermanently(paths.first());
        m_progress.setValue(10);
        reportOutcome(removed);
        m_progress.setValue(1);
        return;
    }
    m_progress.setRange(1, int(paths.size()));
    m_progress.setValue(1);
    // Thousands of entries go in a second or two: repainting the log after each would be most
    // of the work.
    EventPump pump;
    int handled = 0;
    for (const QString &path : paths) {
        m_history.appendLine(text("MSDEL_WILLDELETE1") + u' ' + path + LineEnd);
        const bool removed = removePermanently(path);
        m_progress.setValue(++handled);
        reportOutcome(removed);
        pump.pump();
    }
    m_progress.setValue(1);
}

bool LocalDelete::removePermanently(const QString &path)
{
    const fs::path target = nativePath(path);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(target, ec);
    // remove_all walks with symlink_status too, so links inside the tree go as links and the
    // walk never leaves the selected folder.
    if (fs::is_directory(status))
        fs::remove_all(target, ec);
    else if (fs::exists(status))
        fs::remove(target, ec);
    // Only "not found" counts as gone; an entry we cannot even look at may still be there.
    std::error_code probe;
    return fs::symlink_status(target, probe).type() == fs::file_type::not_found;
}

void LocalDelete::reportOutcome(bool removed)
{
    if (removed)
        m_history.appendLine(text("MSDEL_DELSUCC") + LineEnd, HistoryLog::Colour::Green);
    else
        m_history.appendLine(text("MSDEL_DELFAILED") + LineEnd, HistoryLog::Colour::Red);
}
