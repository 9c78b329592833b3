#pragma once
// The servers the user logged in to last, most recent first, kept in the program's config folder
// between runs. Passwords never go into this file.

#include <QList>
#include <QString>

class HistoryLog;

struct RecentServer {
    QString address; // as typed, in whatever form the address field takes (ftpes://host ...)
    QString port;
    QString user;
    bool operator==(const RecentServer &) const = default;
};

class RecentServers {
public:
    static constexpr qsizetype Capacity = 10;

    // The list lives in file; defaultPath() is the user's own.
    explicit RecentServers(QString file = defaultPath());
    static QString defaultPath();

    // Reads the file. A damaged one is ignored with a blue line in history and written anew,
    // empty, so the next start finds it sound.
    void load(HistoryLog &history);
    const QList<RecentServer> &servers() const { return m_servers; }
    // Puts server first, dropping an older entry for it and whatever falls past the capacity.
    // False when the file could not be written (the list in memory has changed all the same).
    bool remember(const RecentServer &server);
    // Empties the list and its file; false when the file could not be written.
    bool clear();
    const QString &file() const { return m_file; }

private:
    bool save() const;

    QString m_file;
    QList<RecentServer> m_servers;
};
