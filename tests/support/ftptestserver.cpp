#include "support/ftptestserver.h"

#include "support/ftprelay.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSslConfiguration>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>

#include <unistd.h>

namespace {

constexpr int startTimeoutMs = 10000;
constexpr int curlTimeoutMs = 30000;
// As many as the external servers of scripts/test-servers have.
constexpr int passivePortCount = 20;

void trust(const QSslCertificate &certificate)
{
    QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
    configuration.addCaCertificate(certificate);
    QSslConfiguration::setDefaultConfiguration(configuration);
}

// A self-signed certificate for the loopback names, as cert.pem and key.pem in folder.
QSslCertificate makeCertificate(const QString &folder)
{
    const QDir dir(folder);
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"),
        { QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"), QStringLiteral("ec"),
            QStringLiteral("-pkeyopt"), QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
            QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
            QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1,IP:127.0.0.2,IP:::1,DNS:localhost"),
            QStringLiteral("-keyout"), dir.filePath(QStringLiteral("key.pem")), QStringLiteral("-out"),
            dir.filePath(QStringLiteral("cert.pem")) });
    if (!openssl.waitForFinished(startTimeoutMs) || openssl.exitStatus() != QProcess::NormalExit
        || openssl.exitCode() != 0) {
        std::fprintf(stderr, "FtpTestServer: openssl made no certificate: %s\n", openssl.readAll().constData());
        return QSslCertificate();
    }
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(dir.filePath(QStringLiteral("cert.pem")));
    return certificates.isEmpty() ? QSslCertificate() : certificates.first();
}

// The certificate the environment asks the run's servers to show: the external server's, or one
// that every local server of FERROLINK_TEST_FTP_TLS shares. A socket copies the CA list when it
// is made, so this one is trusted as the first server object is made, before any connection
// that a test makes ahead of start().
struct RunCertificate {
    std::unique_ptr<QTemporaryDir> folder; // local servers only
    QSslCertificate certificate;
};

const RunCertificate &runCertificate()
{
    static const RunCertificate run = [] {
        RunCertificate made;
        if (qEnvironmentVariableIsSet("FERROLINK_TEST_FTP_URL")) {
            const QList<QSslCertificate> certificates
                = QSslCertificate::fromPath(qEnvironmentVariable("FERROLINK_TEST_FTP_CAFILE"));
            if (!certificates.isEmpty())
                made.certificate = certificates.first();
        } else if (!qEnvironmentVariableIsEmpty("FERROLINK_TEST_FTP_TLS")) {
            made.folder = std::make_unique<QTemporaryDir>();
            if (made.folder->isValid())
                made.certificate = makeCertificate(made.folder->path());
        }
        if (!made.certificate.isNull())
            trust(made.certificate);
        return made;
    }();
    return run;
}

} // namespace

FtpTestServer::FtpTestServer()
{
    runCertificate();
}

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
    // TLS hides the passive replies the relay would rewrite; it listens on every passive port instead.
    if (isTls()) {
        if (m_passiveFirst == 0) {
            std::fprintf(stderr, "FtpTestServer: a relayed TLS server needs FERROLINK_TEST_FTP_PASV=first-last\n");
            return false;
        }
        m_relay->setPassivePorts(m_passiveFirst, m_passiveLast);
    }
    return m_relay->listen();
}

bool FtpTestServer::startServer()
{
    m_passiveFirst = m_passiveLast = 0;
    m_certificate = QSslCertificate();
    const QString externalUrl = qEnvironmentVariable("FERROLINK_TEST_FTP_URL");
    if (!externalUrl.isEmpty())
        return startExternal(externalUrl);

    if (m_requestedTls) {
        m_tls = *m_requestedTls;
    } else {
        const QString mode = qEnvironmentVariable("FERROLINK_TEST_FTP_TLS");
        if (mode.isEmpty()) {
            m_tls = Tls::None;
        } else if (mode == u"optional") {
            m_tls = Tls::Optional;
        } else if (mode == u"required") {
            m_tls = Tls::Required;
        } else {
            std::fprintf(stderr, "FtpTestServer: FERROLINK_TEST_FTP_TLS is optional or required\n");
            return false;
        }
    }
    m_root = std::make_unique<QTemporaryDir>();
    if (!m_root->isValid())
        return false;
    if (!isTls())
        return launchLocal(0);
    const RunCertificate &run = runCertificate();
    if (!m_requestedTls && m_certificateTrusted && !run.certificate.isNull()) {
        m_certificateFolderPath = run.folder->path();
        m_certificate = run.certificate;
    } else if (!makeOwnCertificate()) {
        return false;
    }
    return launchLocal(0);
}

bool FtpTestServer::startExternal(const QString &url)
{
    m_external = QUrl(url);
    m_externalRoot = qEnvironmentVariable("FERROLINK_TEST_FTP_ROOT");
    const QString scheme = m_external.scheme();
    if (!m_external.isValid() || (scheme != u"ftp" && scheme != u"ftpes" && scheme != u"ftps")) {
        std::fprintf(stderr, "FtpTestServer: FERROLINK_TEST_FTP_URL is not an ftp://, ftpes:// or ftps:// URL\n");
        return false;
    }
    m_tls = scheme == u"ftpes" ? Tls::Required : scheme == u"ftps" ? Tls::Implicit : Tls::None;
    m_port = quint16(m_external.port(m_tls == Tls::Implicit ? 990 : 21));
    const QString passive = qEnvironmentVariable("FERROLINK_TEST_FTP_PASV");
    if (!passive.isEmpty()) {
        bool firstOk = false;
        bool lastOk = false;
        m_passiveFirst = passive.section(QLatin1Char('-'), 0, 0).toUShort(&firstOk);
        m_passiveLast = passive.section(QLatin1Char('-'), 1, 1).toUShort(&lastOk);
        if (!firstOk || !lastOk || m_passiveFirst == 0 || m_passiveLast < m_passiveFirst) {
            std::fprintf(stderr, "FtpTestServer: FERROLINK_TEST_FTP_PASV is not first-last\n");
            return false;
        }
    }
    m_caFile = qEnvironmentVariable("FERROLINK_TEST_FTP_CAFILE");
    m_certificate = runCertificate().certificate;
    if (isTls() && !m_caFile.isEmpty() && m_certificate.isNull()) {
        std::fprintf(stderr, "FtpTestServer: no certificate in FERROLINK_TEST_FTP_CAFILE\n");
        return false;
    }
    return true;
}

QString FtpTestServer::handshakeLogPath() const
{
    return m_root->path() + QStringLiteral(".tls-handshakes");
}

std::optional<QStringList> FtpTestServer::controlHandshakes() const
{
    if (isExternal() || !isTls() || !m_root)
        return std::nullopt;
    QFile log(handshakeLogPath());
    // No file yet: no handshake yet.
    if (!log.open(QIODevice::ReadOnly))
        return QStringList();
    return QString::fromLatin1(log.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

bool FtpTestServer::launchLocal(quint16 port)
{
    m_process = std::make_unique<QProcess>();
    // Server complaints go to the test's own stderr; stdout carries only the port line.
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QStringList arguments = { QStringLiteral(FERROLINK_TEST_SOURCE_DIR "/tests/support/ftpserver.py"), m_root->path(),
        QStringLiteral("--host"), m_listenAddress, QStringLiteral("--port"), QString::number(port),
        QStringLiteral("--user"), user(), QStringLiteral("--password"), password() };
    if (!m_masqueradeAddress.isEmpty())
        arguments << QStringLiteral("--masquerade") << m_masqueradeAddress;
    if (m_listOnly)
        arguments << QStringLiteral("--list-only");
    if (isTls()) {
        const QDir folder(m_certificateFolderPath);
        arguments << QStringLiteral("--cert") << folder.filePath(QStringLiteral("cert.pem")) << QStringLiteral("--key")
                  << folder.filePath(QStringLiteral("key.pem")) << QStringLiteral("--pasv")
                  << (m_passiveFirst != 0 ? QStringLiteral("%1-%2").arg(m_passiveFirst).arg(m_passiveLast)
                                          : QStringLiteral("auto:%1").arg(passivePortCount));
        arguments << QStringLiteral("--tls-handshakes") << handshakeLogPath();
        if (m_tls == Tls::Optional)
            arguments << QStringLiteral("--tls-optional");
        else if (m_tls == Tls::Implicit)
            arguments << QStringLiteral("--tls-implicit");
    }
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
    // "port" or "port first-passive last-passive"
    const QList<QByteArray> ports = m_process->readLine().simplified().split(' ');
    bool ok = false;
    m_port = ports.at(0).toUShort(&ok);
    if (ports.size() == 3) {
        m_passiveFirst = ports.at(1).toUShort();
        m_passiveLast = ports.at(2).toUShort();
    }
    return ok && m_port != 0;
}

bool FtpTestServer::makeOwnCertificate()
{
    // Beside the root, which must hold only what the tests put there.
    m_certificateFolder = std::make_unique<QTemporaryDir>();
    if (!m_certificateFolder->isValid())
        return false;
    m_certificateFolderPath = m_certificateFolder->path();
    m_certificate = makeCertificate(m_certificateFolderPath);
    if (m_certificate.isNull())
        return false;
    if (m_certificateTrusted)
        trust(m_certificate);
    return true;
}

bool FtpTestServer::replaceCertificate()
{
    if (!m_process || !isTls())
        return false;
    m_process->kill();
    m_process->waitForFinished(startTimeoutMs);
    m_process.reset();
    return makeOwnCertificate() && launchLocal(m_port);
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
    if (m_root && isTls() && !isExternal())
        QFile::remove(handshakeLogPath());
    m_certificateFolder.reset();
    if (isExternal()) {
        // Through the file system when it can: FTP has no way to tell a link from what it
        // points to, and would empty a link's target.
        if (!m_externalRoot.isEmpty()) {
            for (const QFileInfo &entry :
                QDir(m_externalRoot)
                    .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
                std::error_code error;
                std::filesystem::remove_all(QFile::encodeName(entry.absoluteFilePath()).toStdString(), error);
            }
        } else {
            emptyExternalFolder(QString());
        }
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
    // curl knows explicit TLS as plain FTP with --ssl-reqd.
    if (url.scheme() == u"ftpes")
        url.setScheme(QStringLiteral("ftp"));
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

bool FtpTestServer::makeLink(const QString &path, const QString &target)
{
    if (!canMakeLinks())
        return false;
    const QString link = QDir(isExternal() ? m_externalRoot : rootPath()).filePath(path);
    QDir().mkpath(QFileInfo(link).absolutePath());
    // symlink(2) keeps a relative target as it is; QFile::link would make it absolute.
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
}

std::optional<std::filesystem::path> FtpTestServer::fileSystemPath(const QByteArray &path) const
{
    if (!canMakeLinks())
        return std::nullopt;
    return std::filesystem::path(QFile::encodeName(isExternal() ? m_externalRoot : rootPath()).toStdString())
        / path.toStdString();
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
    QStringList options = { QStringLiteral("-s"), QStringLiteral("-S") };
    if (isTls()) {
        options << QStringLiteral("--ssl-reqd");
        // Without the certificate the fixture still sets up and checks files; the tests trust nothing.
        if (m_caFile.isEmpty())
            options << QStringLiteral("--insecure");
        else
            options << QStringLiteral("--cacert") << m_caFile;
    }
    QProcess process;
    process.start(QStringLiteral("curl"), options + arguments);
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
