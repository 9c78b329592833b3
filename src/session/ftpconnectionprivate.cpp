#include "session/ftpconnectionprivate.h"

FtpConnection::Private::Private(FtpConnection *owner)
    : m_owner(owner)
    , m_exchange([this](const QString &command) {
        if (m_owner)
            emit m_owner->commandSent(command);
    })
    , m_login(m_exchange)
    , m_dataConnection(m_exchange, m_login)
    , m_listing(m_exchange, m_dataConnection)
    , m_download(m_exchange, m_dataConnection)
    , m_upload(m_exchange, m_dataConnection)
    , m_probe(m_exchange, [this](bool answered) { deliverProbeOutcome(answered); })
{
    FtpControlChannel *control = &m_exchange.control();
    QObject::connect(control, &FtpControlChannel::activity, control, [this] {
        m_exchange.call().wake();
        m_probe.advance();
    });
}

FtpConnection::Private::~Private()
{
    m_exchange.control().disconnect();
}

void FtpConnection::Private::detach()
{
    m_owner = nullptr;
    close();
}

void FtpConnection::Private::close()
{
    FtpCall &call = m_exchange.call();
    if (call.isRunning()) {
        // The waiting call sees the dropped link and returns false.
        call.markClosed();
        m_exchange.drop();
        call.wake();
        return;
    }
    quit();
}

void FtpConnection::Private::quit()
{
    m_probe.end();
    m_exchange.quit();
}

void FtpConnection::Private::setRunCancellation(const RunCancellation *cancellation)
{
    m_exchange.call().observe(cancellation, &m_exchange.control(), [this] { onRunCancelled(); });
}

bool FtpConnection::Private::isBusy() const
{
    return m_exchange.call().isRunning() || m_exchange.state() == FtpExchange::State::Uploading;
}

bool FtpConnection::Private::isEncrypted() const
{
    return m_exchange.isConnected() && m_exchange.control().isEncrypted();
}

bool FtpConnection::Private::beginCall()
{
    FtpCall &call = m_exchange.call();
    if (call.isRunning())
        return m_exchange.fail(FtpError::Kind::Busy);
    m_exchange.clearError();
    if (call.isRunCancelled()) {
        m_exchange.fail(FtpError::Kind::Cancelled);
        m_upload.abandon();
        return false;
    }
    // A probe still out is taken over: its reply is owed, and the next command collects it first.
    m_probe.end();
    call.begin();
    return true;
}

void FtpConnection::Private::onRunCancelled()
{
    // An upload left open between two writeFile() calls would hold the connection after the run.
    if (m_exchange.call().isRunning())
        m_exchange.call().cancel();
    else
        m_upload.abandon();
}

bool FtpConnection::Private::connectToHost(
    const QString &host, quint16 port, const QString &user, const QString &password, bool passive)
{
    quit();
    FtpServerMemory *memory = m_login.serverMemory();
    m_exchange.names().useKnownParts(memory ? memory->latin1NameParts(host, port) : nullptr);
    m_dataConnection.reset(passive);
    const bool loggedIn = m_login.connectToHost(host, port, user, password);
    // RFC 3659 announces MLSD as the MLST feature.
    m_listing.reset(m_login.offers(QStringLiteral("MLST")) || m_login.offers(QStringLiteral("MLSD")));
    return loggedIn;
}

void FtpConnection::Private::deliverProbeOutcome(bool answered)
{
    // Delivered from the event loop: the receiver may ask the user or replace this connection,
    // which must not happen inside the socket signal that brought the answer.
    if (m_owner) {
        QMetaObject::invokeMethod(
            m_owner, [owner = m_owner.data(), answered] { emit owner->probeFinished(answered); }, Qt::QueuedConnection);
    }
}
