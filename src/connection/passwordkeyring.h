#pragma once
// Passwords of recent servers in the desktop's secret service, never in a file. Every call
// returns at once; the service answers through the signals.

#include "connection/recentservers.h"

#include <QObject>
#include <QString>

namespace QKeychain {
class Job;
}

class PasswordKeyring : public QObject {
    Q_OBJECT
public:
    explicit PasswordKeyring(QObject *parent = nullptr);

    // Asks the secret service whether it answers; probed() tells. Until then, and when it did
    // not answer, nothing is stored or read.
    void probe();
    bool isAvailable() const { return m_available; }

    void store(const RecentServer &server, const QString &password);
    void forget(const RecentServer &server);
    // passwordRead() follows when the service holds a password for server.
    void read(const RecentServer &server);

signals:
    // reason is the service's own word on why it did not answer.
    void probed(bool available, const QString &reason);
    void passwordRead(const RecentServer &server, const QString &password);
    // A store, read or forget the service refused, in its own words.
    void failed(const QString &reason);

private:
    // A job on server's entry that reports its failures, or none while the service is not known
    // to answer; the caller starts it.
    template <typename JobType> JobType *createJob(const RecentServer &server);

    bool m_available = false;
};
