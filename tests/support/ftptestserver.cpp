#include "support/ftptestserver.h"

#include "support/ftprelay.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int startTimeoutMs = 10000;
constexpr int curlTimeoutMs = 30000;

} // namespace

FtpTestServer::FtpTestServer() = default;

FtpTestServer::~FtpTestServer()
{
    stop();
}

bool FtpTestServer::start()
{
    stop();
    if (!startServer())
        return false;
    if (!m_relayed)
        return true;
    m_relay = std::make_unique<FtpRelay>(serverHost(), m_port);
    return m_relay->listen();
}

bool FtpTestServer::startServer()
{
    const QString externalUrl = qEnvironmentVariable("FERROLINK_TEST_FTP_URL");
    if (!externalUrl.isEmpty()) {
        m_external = QUrl(externalUrl);
        if (!m_external.isValid() || m_external.scheme() != QLatin1String("ftp")) {
            std::fprintf(stderr, "FtpTestServer: FERROLINK_TEST_FTP_URL is not an ftp:// URL\n");
            return false;
        }
        m_port = quint16(m_external.port(21));
        return true;
    }

    m_root = std::make_unique<QTemporaryDir>();
    if (!m_root->isValid())
        return false;
    m_process = std::make_unique<QProcess>();
    // Server complaints go to the test's own stderr; stdout carries only the port line.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments = { QStringLiteral(FERROLINK_TEST_SOURCE_DIR "/tests/support/ftpserver.py"), m_root->path(),
        QStringLiteral("--host"), m_listenAddress, QStringLiteral("--user"), user(), QStringLiteral("--password"),
        password() };
    if (!m_masqueradeAddress.isEmpty())
        arguments << QStringLiteral("--masquerade") << m_masqueradeAddress;
    m_process->start(QStringLiteral("/usr/bin/python3"), arguments);
    if (!m_process->waitForStarted(startTimeoutMs))
        return false;
    while (!m_process->canReadLine()) {
        if (!m_process->waitForReadyRead(startTimeoutMs)) {
            std::fprintf(stderr, "FtpTestServer: pyftpdlib did not start\n");
            stop();
            return false;
        }
    }
    bool ok = false;
    m_port = quint16(m_process->readLine().trimmed().toUShort(&ok));
    return ok && m_port != 0;
}

QString FtpTestServer::serverHost() const
{
    return isExternal() ? m_external.host() : m_listenAddress;
}

QString FtpTestServer::host() const
{
    return m_relay ? m_relay->host() : serverHost();
}

quint16 FtpTestServer::port() const
{
    return m_relay ? m_relay->port() : m_port;
}

QString FtpTestServer::user() const
{
    return isExternal() ? m_external.userName() : QStringLiteral("test");
}

QString FtpTestServer::password() const
{
    return isExternal() ? m_external.password() : QStringLiteral("test");
}

bool FtpTestServer::isExternal() const
{
    return !m_external.isEmpty();
}

QString FtpTestServer::rootPath() const
{
    return m_root ? m_root->path() : QString();
}

void FtpTestServer::stop()
{
    m_relay.reset();
    if (m_process) {
        m_process->kill();
        m_process->waitForFinished(startTimeoutMs);
        m_process.reset();
    }
    if (isExternal()) {
        emptyExternalFolder(QString());
        m_external.clear();
    }
}

QString FtpTestServer::localPath(const QString &path) const
{
    return QDir(rootPath()).filePath(path);
}

QUrl FtpTestServer::remoteUrl(const QString &path) const
{
    QUrl url = m_external;
    QString base = url.path();
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    url.setPath(base + path);
    return url;
}

bool FtpTestServer::makeFolder(const QString &path)
{
    if (!isExternal())
        return QDir().mkpath(localPath(path));
    QString folder = path;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return curl({ QStringLiteral("--ftp-create-dirs"), remoteUrl(folder).toString(QUrl::FullyEncoded) }).has_value();
}

bool FtpTestServer::writeFile(const QString &path, const QByteArray &data)
{
    if (isExternal()) {
        return curl({ QStringLiteral("--ftp-create-dirs"), QStringLiteral("-T"), QStringLiteral("-"),
                        remoteUrl(path).toString(QUrl::FullyEncoded) },
            data)
            .has_value();
    }
    const QString target = localPath(path);
    if (!QDir().mkpath(QFileInfo(target).path()))
        return false;
    QFile file(target);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

std::optional<QByteArray> FtpTestServer::readFile(const QString &path) const
{
    if (isExternal())
        return curl({ remoteUrl(path).toString(QUrl::FullyEncoded) });
    QFile file(localPath(path));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

bool FtpTestServer::removeFolder(const QString &path)
{
    if (!isExternal())
        return QDir(localPath(path)).removeRecursively();
    emptyExternalFolder(path);
    return curl({ QStringLiteral("-Q"), QStringLiteral("RMD ") + path, remoteUrl({}).toString(QUrl::FullyEncoded) })
        .has_value();
}

bool FtpTestServer::removeFile(const QString &path)
{
    if (!isExternal())
        return QFile::remove(localPath(path));
    return curl({ QStringLiteral("-Q"), QStringLiteral("DELE ") + path, remoteUrl({}).toString(QUrl::FullyEncoded) })
        .has_value();
}

std::optional<QByteArray> FtpTestServer::readTextFile(const QString &path) const
{
    std::optional<QByteArray> data = readFile(path);
    if (data)
        data->replace("\r\n", "\n");
    return data;
}

bool FtpTestServer::exists(const QString &path) const
{
    if (!isExternal())
        return QFileInfo::exists(localPath(path));
    // A file answers SIZE/MDTM to a head request; a folder answers a listing.
    return curl({ QStringLiteral("--head"), remoteUrl(path).toString(QUrl::FullyEncoded) }).has_value()
        || curl({ remoteUrl(path + QLatin1Char('/')).toString(QUrl::FullyEncoded) }).has_value();
}

std::optional<QByteArray> FtpTestServer::curl(const QStringList &arguments, const QByteArray &input) const
{
    QProcess process;
    process.start(QStringLiteral("curl"), QStringList { QStringLiteral("-s"), QStringLiteral("-S") } + arguments);
    if (!process.waitForStarted(startTimeoutMs))
        return std::nullopt;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(curlTimeoutMs) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

// Removes everything below path (relative to the root) on the external server, so the next run
// finds the empty root it needs. Unix listings only: "drwxr-xr-x 2 u g 4096 Mar 05 10:00 name".
void FtpTestServer::emptyExternalFolder(const QString &path)
{
    const QString folder = path.isEmpty() ? QString() : path + QLatin1Char('/');
    const std::optional<QByteArray> listing = curl({ remoteUrl(folder).toString(QUrl::FullyEncoded) });
    if (!listing)
        return;
    for (const QByteArray &rawLine : listing->split('\n')) {
        const QString line = QString::fromUtf8(rawLine).remove(QLatin1Char('\r'));
        const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (fields.size() < 9)
            continue;
        // The name is everything after the eighth field, blanks included.
        qsizetype at = 0;
        for (int i = 0; i < 8; ++i) {
            at = line.indexOf(fields.at(i), at) + fields.at(i).size();
        }
        const QString name = line.mid(at + 1);
        if (name == QLatin1String(".") || name == QLatin1String(".."))
            continue;
        const QString child = folder + name;
        if (line.startsWith(QLatin1Char('d'))) {
            emptyExternalFolder(child);
            curl({ QStringLiteral("-Q"), QStringLiteral("RMD ") + child, remoteUrl({}).toString(QUrl::FullyEncoded) });
        } else {
            curl({ QStringLiteral("-Q"), QStringLiteral("DELE ") + child, remoteUrl({}).toString(QUrl::FullyEncoded) });
        }
    }
}
