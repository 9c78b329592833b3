#pragma once
// The local delete: one question for the whole selection, then each entry removed for good,
// with a history line per step and the progress bar moving along.

#include <QStringList>

class HistoryLog;
class Prompts;
class ProgressSink;

class LocalDelete {
public:
    LocalDelete(HistoryLog &history, Prompts &prompts, ProgressSink &progress);

    // Deletes the entries at paths after asking once. False when nothing was asked or the user
    // said No; true when the deletion ran (each entry's outcome is in the history).
    bool run(const QStringList &paths);

    // Removes the entry at path permanently: a folder with everything below it, a symbolic link
    // as the link itself. True when nothing is left at path afterwards.
    static bool removePermanently(const QString &path);

private:
    bool runOne(const QString &path);
    bool runMany(const QStringList &paths);
    void reportOutcome(bool removed);

    HistoryLog &m_history;
    Prompts &m_prompts;
    ProgressSink &m_progress;
};
