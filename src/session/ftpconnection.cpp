#include "session/ftpconnection.h"

#include "session/ftpconnectionprivate.h"
#include "session/ftpdirectorycommands.h"

// Every public call runs through Private::call(), which refuses re-entry and, because it holds a
// shared reference to the engine state, lets the call unwind safely even when this object is
// deleted from inside one of its waits (for example by a handler that drops the session).

FtpConnection::FtpConnection(QObject *parent)
    : QObject(parent)
    , d(std::make_shared<Private>(this))
{
}

FtpConnection::~FtpConnection()
{
    d->detach();
}

void FtpConnection::setTimeouts(const Timeouts &timeouts)
{
    d->exchange().setTimeouts(timeouts);
}

FtpConnection::Timeouts FtpConnection::timeouts() const
{
    return d->exchange().timeouts();
}

void FtpConnection::setProgressCallback(ProgressCallback callback)
{
    d->exchange().data().setProgressCallback(std::move(callback));
}

void FtpConnection::setSecurity(FtpSecurity security)
{
    d->login().setSecurity(security);
}

void FtpConnection::setCertificateTrust(std::shared_ptr<CertificateTrust> trust)
{
    d->login().setCertificateTrust(std::move(trust));
}

void FtpConnection::setServerMemory(std::shared_ptr<FtpServerMemory> memory)
{
    d->login().setServerMemory(std::move(memory));
}

bool FtpConnection::isEncrypted() const
{
    return d->isEncrypted();
}

QString FtpConnection::encryptionProtocol() const
{
    return d->encryptionProtocol();
}

bool FtpConnection::connectToHost(
    const QString &host, quint16 port, const QString &user, const QString &password, bool passive)
{
    const std::shared_ptr<Private> keep = d;
    return keep->call([&] { return keep->connectToHost(host, port, user, password, passive); });
}

bool FtpConnection::isConnected() const
{
    return d->exchange().isConnected();
}

bool FtpConnection::isBusy() const
{
    return d->isBusy();
}

void FtpConnection::cancel()
{
    d->cancel();
}

void FtpConnection::setRunCancellation(const RunCancellation *cancellation)
{
    d->setRunCancellation(cancellation);
}

std::optional<QString> FtpConnection::currentDirectory()
{
    const std::shared_ptr<Private> keep = d;
    return keep->call([&] { return FtpDirectoryCommands::currentDirectory(keep->exchange()); });
}

bool FtpConnection::setCurrentDirectory(const QString &path)
{
    const std::shared_ptr<Private> keep = d;
    return keep->call([&] { return FtpDirectoryCommands::setCurrentDirectory(keep->exchange(), path); });
}

std::optional<QList<RemoteEntry>> FtpConnection::list(ListingProblems *problems)
{
    const std::shared_ptr<Private> keep = d;
    return keep->call([&] { return keep->listing().list(problems); });
}

bool FtpConnection::getFile(const QString &remoteName, const QString &localPath, qint64 knownSize)
{
    const std::shared_ptr<Private> keep = d;
    return keep->call([&] { return keep->download().getFile(remoteName, localPath, knownSize); });
}

bool FtpConnection::openFileForWriting(const QString &remoteName, TransferType type)
{
    const std::shared_ptr<Private> keep = d;
    return keep->call([&] { return keep->upload().open(remoteName, type); });
}

bool FtpConnection::writeFile(const QByteArray &block)
{
    const std::shared_ptr<Private> keep = d;
    return keep->call([&] { return keep->upload().write(block); });
}

bool FtpConnection::closeFile()
{
    const std::shared_ptr<Private> keep = d;
    return keep->call([&] { return keep->upload().close(); });
}

bool FtpConnection::abortFile()
{
    const std::shared_ptr<Private> keep = d;
    return keep->call([&] { return keep->upload().abort(); });
}

std::optional<qint64> FtpConnection::fileSize(const QString &name)
{
    const std::shared_ptr<Private> keep = d;
    return keep->call([&] { return keep->download().fileSize(name); });
}

bool FtpConnection::noop()
{
    const std::shared_ptr<Private> keep = d;
    return keep->call(
        [&] { return FtpDirectoryCommands::simpleCommand(keep->exchange(), QStringLiteral("NOOP"), {}); });
}

bool FtpConnection::createDirectory(const QString &name)
{
    const std::shared_ptr<Private> keep = d;
    return keep->call(
        [&] { return FtpDirectoryCommands::simpleCommand(keep->exchange(), QStringLiteral("MKD"), name); });
}

bool FtpConnection::removeDirectory(const QString &name)
{
    const std::shared_ptr<Private> keep = d;
    return keep->call(
        [&] { return FtpDirectoryCommands::simpleCommand(keep->exchange(), QStringLiteral("RMD"), name); });
}

bool FtpConnection::deleteFile(const QString &name)
{
    const std::shared_ptr<Private> keep = d;
    return keep->call(
        [&] { return FtpDirectoryCommands::simpleCommand(keep->exchange(), QStringLiteral("DELE"), name); });
}

bool FtpConnection::rename(const QString &from, const QString &to)
{
    const std::shared_ptr<Private> keep = d;
    return keep->call([&] { return FtpDirectoryCommands::rename(keep->exchange(), from, to); });
}

bool FtpConnection::startProbe()
{
    return d->probe().start();
}

bool FtpConnection::isProbing() const
{
    return d->probe().isProbing();
}

void FtpConnection::close()
{
    d->close();
}

FtpError FtpConnection::error() const
{
    return d->exchange().error();
}
