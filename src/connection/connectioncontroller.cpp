#include "connection/connectioncontroller.h"

#include "connection/connectionbar.h"
#include "connection/ftplink.h"
#include "connection/passwordkeyring.h"
#include "core/appservices.h"
#include "core/eventpump.h"
#include "core/historylog.h"
#include "core/prompts.h"
#include "core/textcatalogue.h"
#include "session/ftpaddress.h"
#include "session/ftpconnection.h"
#include "session/ftperrortext.h"
#include "session/session.h"

#include <QTimer>

#include <memory>
#include <optional>

namespace {

const QString LineEnd = QStringLiteral("\r\n");

// The port a port field's text names: digits, optionally surrounded by blanks, 0 to 65535,
// where 0 stands for the service's own port, 21.
std::optional<quint16> portNumber(const QString &text)
{
    // Blanks around the number are forgiven, as the connect command already checks the trimmed
    // text; anything else that is not a plain number of a real port is refused.
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 5)
        return std::nullopt;
    for (const QChar c : digits) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int port = digits.toInt();
    if (port > 65535)
        return std::nullopt;
    return quint16(port == 0 ? 21 : port);
}

} // namespace

ConnectionController::ConnectionController(const AppServices &services, ConnectionBar &bar, QObject *parent)
    : QObject(parent)
    , m_services(services)
    , m_bar(bar)
    , m_watch(new QTimer(this))
    , m_keyring(new PasswordKeyring(this))
{
    // Certificates the system does not trust are put to the user, once per run and server.
    services.session.certificateTrust().setAsker(
        [this](const QString &description) { return m_services.prompts.askTrustCertificate(description); });
    m_watch->setObjectName(QStringLiteral("timIsConnected"));
    m_watch->setInterval(1000);
    connect(m_watch, &QTimer::timeout, this, &ConnectionController::timIsConnected_Timer);
    connect(m_keyring, &PasswordKeyring::failed, this, [this](const QString &reason) {
        m_services.history.appendLine(text("KEYRING_FAILED").arg(reason) + LineEnd, HistoryLog::Colour::Red);
    });
}

ConnectionController::~ConnectionController() = default;

void ConnectionController::connectCommand()
{
    if (!mayStart())
        return;
    Prompts &prompts = m_services.prompts;
    HistoryLog &history = m_services.history;
    const QString address = m_bar.address();
    if (address.trimmed().isEmpty()) {
        prompts.message(text("ENTER_ADRESS"), Prompts::Icon::Critical);
        m_bar.focusField(ConnectionBar::Field::Address);
        return;
    }
    if (m_bar.port().trimmed().isEmpty()) {
        prompts.message(text("ENTER_PORT"), Prompts::Icon::Critical);
        m_bar.focusField(ConnectionBar::Field::Port);
        return;
    }

    setFieldsEnabled(false, true);
    bool connected = false;
    bool cancelled = false;
    {
        Session::Run run(m_services.session);
        history.clear();
        emit serverListCleared();
        history.appendLine(text("CONNECT_WITH") + u' ' + address + QStringLiteral(" ...") + LineEnd);
        // The connect blocks until the server answers: show the line first.
        processPendingEvents();

        Initialize_Internet();
        connected = OpenConnection(address, m_bar.port(), m_bar.user(), m_bar.password()) && enterRoot();
        // The Stop's own line is the outcome of a cancelled attempt.
        cancelled = m_services.session.isRunCancelled();
        if (connected) {
            history.appendLine(text("CONNECTION_TO") + u' ' + address + u' ' + text("ESTABLSHED") + LineEnd,
                HistoryLog::Colour::Green);
            appendEncryption();
            rememberServer();
        } else if (!cancelled) {
            history.appendLine(text("NOT_ESTABLISHED") + LineEnd, HistoryLog::Colour::Red);
            appendFailureReason();
        }
    }
    // The listing and the message are steps of their own, after the connect's busy state ended.
    if (connected) {
        emit serverListRequested();
    } else if (!cancelled) {
        prompts.message(
            withFailureReason(text("NOT_ESTABLISHED") + LineEnd + text("SPELLING") + LineEnd + text("PROVIDER")),
            Prompts::Icon::Exclamation);
    }
    setFieldsEnabled(true, true);
}

void ConnectionController::QuickConnect()
{
    if (!mayStart())
        return;
    HistoryLog &history = m_services.history;
    const QString address = m_bar.address();
    if (address.trimmed().isEmpty()) {
        m_services.prompts.message(text("ENTER_HOST"), Prompts::Icon::Information);
        m_bar.focusField(ConnectionBar::Field::Address);
        return;
    }

    // The port field stays usable: Enter in the password field does not check it.
    setFieldsEnabled(false, false);
    bool connected = false;
    bool cancelled = false;
    {
        Session::Run run(m_services.session);
        history.clear();
        emit serverListCleared();

        Initialize_Internet();
        connected = OpenConnection(address, m_bar.port(), m_bar.user(), m_bar.password()) && enterRoot();
        cancelled = m_services.session.isRunCancelled();
        if (!connected && !cancelled)
            appendFailureReason();
        if (connected) {
            history.appendLine(text("CONNECT_WITH") + u' ' + address + QStringLiteral(" ...") + LineEnd);
            history.appendLine(text("CONNECTION_WITH") + u' ' + address + u' ' + text("WAS_ESTABLISHT") + LineEnd,
                HistoryLog::Colour::Green);
            appendEncryption();
            rememberServer();
        }
    }
    if (connected) {
        emit serverListRequested();
    } else if (!cancelled) {
        m_services.prompts.message(
            withFailureReason(text("NO_CONNECTION") + LineEnd + text("CHECK_PROVIDER")), Prompts::Icon::Exclamation);
    }
    setFieldsEnabled(true, false);
}

bool ConnectionController::connectToLink(const FtpLink &link)
{
    if (!mayStart())
        return false;
    m_bar.setFieldText(ConnectionBar::Field::Address, link.address);
    m_bar.setFieldText(ConnectionBar::Field::Port, link.port);
    m_bar.setFieldText(ConnectionBar::Field::User, link.user);
    m_bar.setFieldText(ConnectionBar::Field::Password, link.password.value_or(QString()));
    if (!link.password) {
        const std::optional<QString> password
            = m_services.prompts.inputPassword(text("LINK_PASSWORD").arg(link.user, link.address));
        if (!password) {
            m_bar.focusField(ConnectionBar::Field::Password);
            return false;
        }
        m_bar.setFieldText(ConnectionBar::Field::Password, *password);
    }
    connectCommand();
    return m_services.session.isConnected();
}

void ConnectionController::Initialize_Internet()
{
    m_services.session.setPassive(m_bar.isPassiveChecked());
}

bool ConnectionController::OpenConnection(
    const QString &server, const QString &port, const QString &user, const QString &password)
{
    // The replaced connection's watch goes first: its question must not follow, or cover, this
    // attempt's own failure message.
    m_watch->stop();
    if (!ConnectFtp(server, port, user, password))
        return false;
    m_watch->start();
    return true;
}

bool ConnectionController::ConnectFtp(
    const QString &server, const QString &port, const QString &user, const QString &password)
{
    Session &session = m_services.session;
    // The old connection goes first (with QUIT), so a server that limits logins per user lets the
    // new one in; a failed attempt leaves no connection, as every caller expects.
    session.closeConnection();
    m_bar.setEncrypted(false);
    m_failureReason.clear();
    const std::optional<FtpAddress> address = FtpAddress::parse(server);
    if (!address) {
        m_failureReason = text("FTP_BADADDRESS");
        return false;
    }
    // A port in the address wins over the port field.
    const std::optional<quint16> portValue = address->port ? address->port : portNumber(port);
    if (!portValue) {
        m_failureReason = text("FTP_BADPORT");
        return false;
    }
    // A bare host name takes TLS where it is offered; once this host and port spoke TLS, a
    // refused AUTH TLS is someone in the path, not a server without TLS, so the login stops
    // before USER. ftp:// stays plain, as the user asked.
    const bool tlsKnown
        = address->security == FtpSecurity::Opportunistic && session.isTlsServer(address->host, *portValue);
    // Made through the session, so a Stop reaches the connect and login as well.
    std::unique_ptr<FtpConnection> connection = session.createConnection();
    connection->setSecurity(tlsKnown ? FtpSecurity::RequireTls : address->security);
    const bool connected = connection->connectToHost(address->host, *portValue, user, password, session.isPassive());
    // A login that finished just as the Stop came still ends the attempt.
    if (dropIfCancelled())
        return false;
    if (!connected) {
        const FtpError error = connection->error();
        // The connection layer's words speak of ftpes://, which the user never typed.
        if (tlsKnown && error.kind() == FtpError::Kind::TlsNotOffered)
            m_failureReason = text("TLS_STILLREQUIRED") + u' ' + error.detail();
        else
            m_failureReason = describe(error);
        return false;
    }
    if (connection->isEncrypted())
        session.noteTlsServer(address->host, *portValue);
    m_bar.setEncrypted(connection->isEncrypted());
    session.setConnection(std::move(connection));
    m_connectedWith = { server, port, user, password, session.isPassive() };
    return true;
}

bool ConnectionController::keepLiveConnection()
{
    // The transfers ask for a fresh connection before every folder they list and every entry
    // they upload, to recover from connections the server dropped. A connection that still
    // answers, made from the very same fields, is as good as a new one, and costs one command
    // instead of a login. It stays in its folder: the run that asked knows where that is, and a
    // trip to "/" would only be walked back.
    FtpConnection *connection = m_services.session.connection();
    const ConnectParameters wanted { m_bar.address(), m_bar.port(), m_bar.user(), m_bar.password(),
        m_services.session.isPassive() };
    if (!connection || !connection->isConnected() || connection->isBusy() || wanted != m_connectedWith)
        return false;
    return connection->noop();
}

bool ConnectionController::enterRoot()
{
    m_services.session.connection()->setCurrentDirectory(QStringLiteral("/"));
    return !dropIfCancelled();
}

void ConnectionController::appendEncryption()
{
    const FtpConnection *connection = m_services.session.connection();
    if (!connection)
        return;
    if (connection->isEncrypted())
        m_services.history.appendLine(
            text("TLS_ENCRYPTED").arg(connection->encryptionProtocol()) + LineEnd, HistoryLog::Colour::Green);
    else
        appendIfInClear();
}

void ConnectionController::appendIfInClear()
{
    const FtpConnection *connection = m_services.session.connection();
    if (!connection || connection->isEncrypted())
        return;
    // Blue, as the log's other notes on how the connection is made (passive on or off): nothing
    // failed, so not red, and a connection in clear is no success to show in green.
    m_services.history.appendLine(text("CONNECTION_PLAIN") + LineEnd, HistoryLog::Colour::Blue);
}

QString ConnectionController::failureReasonLine() const
{
    return m_failureReason.isEmpty() ? QString() : text("CONNECT_REASON") + u' ' + m_failureReason;
}

void ConnectionController::appendFailureReason()
{
    if (!m_failureReason.isEmpty())
        m_services.history.appendLine(failureReasonLine() + LineEnd, HistoryLog::Colour::Red);
}

QString ConnectionController::withFailureReason(const QString &message) const
{
    // The box's advice fits any failure; the known reason (530 Login incorrect, a refused
    // certificate) is what the user can act on, so it stands under it, as the log says it.
    if (m_failureReason.isEmpty())
        return message;
    return message + (message.endsWith(LineEnd) ? LineEnd : LineEnd + LineEnd) + failureReasonLine();
}

bool ConnectionController::dropIfCancelled()
{
    Session &session = m_services.session;
    if (!session.isRunCancelled())
        return false;
    // A stopped connect leaves no connection, and no watch that would ask about the lost one.
    session.closeConnection();
    m_bar.setEncrypted(false);
    m_watch->stop();
    return true;
}

bool ConnectionController::ReconnectFtp()
{
    // After a Stop nothing is to be connected: the connection the run had stays as it is.
    if (m_services.session.isRunCancelled())
        return false;
    bool connected = false;
    bool portValid = false;
    bool cancelled = false;
    {
        // Callers are mostly transfer runs that are already busy; the run nests.
        Session::Run run(m_services.session);
        Initialize_Internet();
        portValid = portNumber(m_bar.port()).has_value();
        if (keepLiveConnection()) {
            connected = true;
        } else {
            connected = ConnectFtp(m_bar.address(), m_bar.port(), m_bar.user(), m_bar.password()) && enterRoot();
            // A reconnect is quiet, except about a connection in clear.
            if (connected)
                appendIfInClear();
        }
        cancelled = m_services.session.isRunCancelled();
    }
    // A port that is no number ends the reconnect before anything is said; after a Stop the user
    // knows why it failed.
    if (!connected && portValid && !cancelled) {
        appendFailureReason();
        m_services.prompts.message(withFailureReason(text("MPUB_NOCONN1") + LineEnd + text("MPUB_NOCONN2") + LineEnd
                                       + text("MPUB_NOCONN3") + LineEnd),
            Prompts::Icon::Exclamation);
        m_bar.focusField(ConnectionBar::Field::Address);
    }
    if (connected)
        emit reconnected();
    return connected;
}

void ConnectionController::setPassive(bool passive)
{
    m_services.session.setPassive(passive);
    m_services.history.appendLine(
        (passive ? text("PASSIVE_TRANSER_ON") : text("PASSIVE_TRANSER_OFF")) + LineEnd, HistoryLog::Colour::Blue);
}

void ConnectionController::timIsConnected_Timer()
{
    Session &session = m_services.session;
    FtpConnection *connection = session.connection();
    // A busy connection is not a lost one, and a running command must not be interrupted by the
    // question. An answer still out is awaited, not asked for twice.
    if (session.isBusy() || (connection && (connection->isBusy() || connection->isProbing())))
        return;
    // The probe never waits: a command the user starts meanwhile runs as if no tick had come.
    if (connection) {
        connect(connection, &FtpConnection::probeFinished, this, &ConnectionController::probeFinished,
            Qt::UniqueConnection);
        if (connection->startProbe())
            return;
    }
    connectionGone();
}

void ConnectionController::probeFinished(bool answered)
{
    Session &session = m_services.session;
    // A command that started meanwhile answers for itself, and a connection replaced meanwhile is
    // none of the watch's business; the next tick asks again.
    if (!m_watch->isActive() || session.isBusy() || sender() != session.connection() || session.connection()->isBusy())
        return;
    if (answered)
        session.clearConnectionStopped();
    else
        connectionGone();
}

void ConnectionController::connectionGone()
{
    // Some servers end the whole session when a Stop cut a data connection short (vsftpd after a
    // cut TLS transfer, pure-ftpd now and then after ABOR). The user stopped; nothing was lost,
    // so a new connection takes its place without a question.
    if (m_services.session.isConnectionStopped() && replaceStoppedConnection())
        return;
    offerReconnect();
}

bool ConnectionController::replaceStoppedConnection()
{
    Session &session = m_services.session;
    // The lost connection's own fields: the user may have typed another server meanwhile.
    const ConnectParameters lost = m_connectedWith;
    bool connected = false;
    {
        Session::Run run(session);
        session.setPassive(lost.passive);
        connected = ConnectFtp(lost.server, lost.port, lost.user, lost.password) && enterRoot();
        if (connected)
            appendIfInClear();
    }
    // The new connection starts in "/": the pane shows where it is, not the old folder.
    if (connected)
        emit serverListRequested();
    return connected;
}

void ConnectionController::offerReconnect()
{
    m_watch->stop();
    // The connection is lost, and with it the encryption.
    m_bar.setEncrypted(false);
    if (m_services.prompts.askYesNo(text("CONNECTION_CANCEL1") + LineEnd + text("CONNECTION_CANCEL2")))
        ReconnectFtp();
}

bool ConnectionController::mayStart() const
{
    // The window disables the connection bar during a run; replacing the connection under a
    // running transfer would pull it away mid-command, so the controller refuses as well.
    return !m_services.session.isBusy();
}

void ConnectionController::setFieldsEnabled(bool enabled, bool withPort)
{
    m_bar.setFieldEnabled(ConnectionBar::Field::Address, enabled);
    m_bar.setFieldEnabled(ConnectionBar::Field::User, enabled);
    m_bar.setFieldEnabled(ConnectionBar::Field::Password, enabled);
    if (withPort)
        m_bar.setFieldEnabled(ConnectionBar::Field::Port, enabled);
}

void ConnectionController::loadRecentServers()
{
    m_recent.load(m_services.history);
    emit recentServersChanged();
}

void ConnectionController::clearRecentServers()
{
    for (const RecentServer &server : m_recent.servers())
        m_keyring->forget(server);
    if (!m_recent.clear())
        m_services.history.appendLine(text("RECENT_NOTSAVED").arg(m_recent.file()) + LineEnd, HistoryLog::Colour::Red);
    emit recentServersChanged();
}

void ConnectionController::rememberServer()
{
    // The fields the login was made with; blanks around address and port are forgiven by the
    // connect, so they do not make another entry either. The user name is taken as it is.
    const RecentServer server { m_connectedWith.server.trimmed(), m_connectedWith.port.trimmed(),
        m_connectedWith.user };
    if (!m_recent.remember(server))
        m_services.history.appendLine(text("RECENT_NOTSAVED").arg(m_recent.file()) + LineEnd, HistoryLog::Colour::Red);
    emit recentServersChanged();
    if (m_bar.isPasswordRemembered())
        m_keyring->store(server, m_connectedWith.password);
    else
        m_keyring->forget(server);
}
