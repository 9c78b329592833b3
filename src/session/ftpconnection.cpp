#include "session/ftpconnection.h"

// Placeholder until the protocol engine lands: every operation fails.
struct FtpConnection::Private {
    Timeouts timeouts;
    ProgressCallback progress;
};

FtpConnection::FtpConnection(QObject *parent) : QObject(parent), d(std::make_unique<Private>()) {}
FtpConnection::~FtpConnection() = default;
void FtpConnection::setTimeouts(const Timeouts &timeouts) { d->timeouts = timeouts; }
FtpConnection::Timeouts FtpConnection::timeouts() const { return d->timeouts; }
void FtpConnection::setProgressCallback(ProgressCallback callback) { d->progress = std::move(callback); }
bool FtpConnection::connectToHost(const QString &, quint16, const QString &, const QString &, bool) { return false; }
bool FtpConnection::isConnected() const { return false; }
bool FtpConnection::isBusy() const { return false; }
void FtpConnection::cancel() {}
std::optional<QString> FtpConnection::currentDirectory() { return std::nullopt; }
bool FtpConnection::setCurrentDirectory(const QString &) { return false; }
std::optional<QList<RemoteEntry>> FtpConnection::list() { return std::nullopt; }
bool FtpConnection::getFile(const QString &, const QString &) { return false; }
bool FtpConnection::openFileForWriting(const QString &, TransferType) { return false; }
bool FtpConnection::writeFile(const QByteArray &) { return false; }
bool FtpConnection::closeFile() { return false; }
bool FtpConnection::createDirectory(const QString &) { return false; }
bool FtpConnection::removeDirectory(const QString &) { return false; }
bool FtpConnection::deleteFile(const QString &) { return false; }
bool FtpConnection::rename(const QString &, const QString &) { return false; }
void FtpConnection::close() {}
QString FtpConnection::lastError() const { return {}; }
