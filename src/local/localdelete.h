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

    // Asks the one question for the entries at paths, with its history lines. True for Yes;
    // false when the user said No or there was nothing to ask.
    bool confirm(const QStringList &paths);
    // Deletes the confirmed entries, each with its history lines and a step of the bar.
    void remove(const QStringList &paths);

    // Removes the entry at path permanently: a folder with everything below it, a symbolic link
    // as the link itself. True when nothing is left at path afterwards.
    static bool removePermanently(const QString &path);

private:
    void reportOutcome(bool removed);

    HistoryLog &m_history;
    Prompts &m_prompts;
    ProgressSink &m_progress;
};
