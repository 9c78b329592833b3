#include "connection/passwordkeyring.h"

#include "core/productinfo.h"

#include <qt6keychain/keychain.h>

namespace {

// One entry per server and user, named so the user recognises it in the desktop's password
// manager.
QString entryName(const RecentServer &server)
{
    return server.user + u'@' + server.address + u':' + server.port.trimmed();
}

} // namespace

// The jobs have no parent: the secret service's answer reaches a job after its start whatever
// became of the window meanwhile, and QtKeychain cannot withdraw the request, so a job deletes
// itself once finished. Connections to this object end with it.
PasswordKeyring::PasswordKeyring(QObject *parent)
    : QObject(parent)
{
}

void PasswordKeyring::probe()
{
    auto *job = new QKeychain::ReadPasswordJob(QString::fromLatin1(ProductInfo::Name));
    // Only the secret service: never the plain-text file QtKeychain could fall back to.
    job->setInsecureFallback(false);
    job->setKey(QStringLiteral("probe"));
    connect(job, &QKeychain::Job::finished, this, [this](QKeychain::Job *finished) {
        // A service that looked and found nothing has answered.
        m_available = finished->error() == QKeychain::NoError || finished->error() == QKeychain::EntryNotFound;
        emit probed(m_available, m_available ? QString() : finished->errorString());
    });
    job->start();
}

template <typename JobType> JobType *PasswordKeyring::createJob(const RecentServer &server)
{
    if (!m_available)
        return nullptr;
    auto *job = new JobType(QString::fromLatin1(ProductInfo::Name));
    job->setInsecureFallback(false);
    job->setKey(entryName(server));
    connect(job, &QKeychain::Job::finished, this, [this](QKeychain::Job *finished) {
        // An entry that is not there is nothing to read and already forgotten.
        if (finished->error() != QKeychain::NoError && finished->error() != QKeychain::EntryNotFound)
            emit failed(finished->errorString());
    });
    return job;
}

void PasswordKeyring::store(const RecentServer &server, const QString &password)
{
    if (auto *job = createJob<QKeychain::WritePasswordJob>(server)) {
        job->setTextData(password);
        job->start();
    }
}

void PasswordKeyring::forget(const RecentServer &server)
{
    if (auto *job = createJob<QKeychain::DeletePasswordJob>(server))
        job->start();
}

void PasswordKeyring::read(const RecentServer &server)
{
    auto *job = createJob<QKeychain::ReadPasswordJob>(server);
    if (!job)
        return;
    connect(job, &QKeychain::Job::finished, this, [this, server, job] {
        if (job->error() == QKeychain::NoError)
            emit passwordRead(server, job->textData());
    });
    job->start();
}
