#include "connection/connectioncontroller.h"

#include "connection/connectionbar.h"
#include "connection/recentservers.h"
#include "core/appservices.h"
#include "core/progresssink.h"
#include "core/textcatalogue.h"
#include "session/ftpconnection.h"
#include "session/ftperrortext.h"
#include "session/session.h"
#include "support/englishcatalogue.h"
#include "support/ftprelay.h"
#include "support/ftptestserver.h"
#include "support/recordinghistorylog.h"
#include "support/recordingprogress.h"
#include "support/scriptedftpserver.h"
#include "support/scriptedprompts.h"
#include "support/testconnectionbar.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <functional>


namespace {

using Field = ConnectionBar::Field;
using Colour = HistoryLog::Colour;
using Kind = ScriptedPrompts::Asked::Kind;

struct Line {
    QString text;
    Colour colour;
    bool operator==(const Line &other) const { return text == other.text && colour == other.colour; }
};

void PrintTo(const Line &line, std::ostream *out)
{
    *out << line.text.toStdString() << " (colour " << unsigned(line.colour) << ")";
}

// A loopback port that nothing listens on.
quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// Scripted answers; a message may stay on screen a while, as a real one does, with events running,
// and a question asked meanwhile is counted as stacked on it.
class ModalPrompts : public ScriptedPrompts {
public:
    int messageMs = 0;
    int stacked = 0;

    void message(const QString &text, Icon icon, const QString &title = {}) override
    {
        ScriptedPrompts::message(text, icon, title);
        m_open = true;
        QTest::qWait(messageMs);
        m_open = false;
    }
    bool askYesNo(const QString &text) override
    {
        stacked += m_open ? 1 : 0;
        return ScriptedPrompts::askYesNo(text);
    }

private:
    bool m_open = false;
};

class ConnectionControllerTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(useEnglishCatalogue());
    }

    void SetUp() override
    {
        // Through the relay, so that any server can go away under the watch.
        server.setRelayed(true);
        ASSERT_TRUE(server.start());
        bar.addressText = server.host();
        bar.portText = QString::number(server.port());
        bar.userText = server.user();
        bar.passwordText = server.password();
        // Over TLS the client's data connections reach the server through the relay only in
        // passive mode; an active one would come straight from the server.
        bar.passive = server.isTls();
        QObject::connect(&controller, &ConnectionController::serverListCleared, [this] { ++listCleared; });
        QObject::connect(&controller, &ConnectionController::serverListRequested, [this] {
            ++listRequested;
            busyWhenListed = session.isBusy();
        });
        QObject::connect(&session, &Session::busyChanged, [this](bool busy) { busyChanges.append(busy); });
        // A line of an earlier attempt, which every connect attempt clears.
        history.appendLine(QStringLiteral("earlier line\r\n"));
    }

    QList<Line> lines() const
    {
        QList<Line> result;
        for (const auto &line : history.lines())
            result.append({ line.text, line.colour });
        return result;
    }

    // The line after the connect's green one: the TLS version, or that the connection is in clear.
    QList<Line> securityLines() const
    {
        const FtpConnection *connection = session.connection();
        if (!connection)
            return {};
        if (!connection->isEncrypted())
            return { plainLine() };
        return { { text("TLS_ENCRYPTED").arg(connection->encryptionProtocol()) + QStringLiteral("\r\n"), Colour::Green } };
    }
    static Line plainLine() { return { text("CONNECTION_PLAIN") + QStringLiteral("\r\n"), Colour::Blue }; }

    QString connectWithLine() const
    {
        return text("CONNECT_WITH") + u' ' + bar.addressText + QStringLiteral(" ...\r\n");
    }

    void expectOneMessage(const QString &expected, Prompts::Icon icon) const
    {
        ASSERT_EQ(prompts.asked().size(), 1);
        EXPECT_EQ(prompts.asked().first().kind, Kind::Message);
        EXPECT_EQ(prompts.asked().first().text, expected);
        EXPECT_EQ(prompts.asked().first().icon, icon);
    }

    // The box's own text, then the reason the log gave, under it.
    void expectFailureMessage(const QString &box, Prompts::Icon icon) const
    {
        const auto reason = std::find_if(history.lines().rbegin(), history.lines().rend(),
            [](const RecordingHistoryLog::Line &line) { return line.text.startsWith(text("CONNECT_REASON")); });
        ASSERT_NE(reason, history.lines().rend());
        ASSERT_FALSE(prompts.asked().isEmpty());
        const QString shown = prompts.asked().last().text;
        EXPECT_TRUE(shown.startsWith(box)) << shown.toStdString();
        EXPECT_TRUE(shown.endsWith(QStringLiteral("\r\n\r\n") + reason->text.chopped(2))) << shown.toStdString();
        EXPECT_EQ(prompts.asked().last().icon, icon);
    }

    bool waitForQuestion(int ms)
    {
        return QTest::qWaitFor(
            [this] {
                return std::any_of(prompts.asked().begin(), prompts.asked().end(),
                    [](const auto &asked) { return asked.kind == Kind::YesNo; });
            },
            ms);
    }

    FtpTestServer server;
    Session session;
    RecordingHistoryLog history;
    ModalPrompts prompts;
    RecordingProgress progress;
    AppServices services { session, history, prompts, progress };
    TestConnectionBar bar;
    ConnectionController controller { services, bar };
    int listCleared = 0;
    int listRequested = 0;
    bool busyWhenListed = true;
    QList<bool> busyChanges;
};

// ---- refused before any attempt ------------------------------------------------------------

TEST_F(ConnectionControllerTest, ConnectCommandWantsAddressAndPort)
{
    struct Case {
        QString address;
        QString port;
        QString message;
        Field focus;
    };
    const Case cases[] = {
        { QStringLiteral("   "), QStringLiteral("21"), text("ENTER_ADRESS"), Field::Address },
        { QString(), QStringLiteral("21"), text("ENTER_ADRESS"), Field::Address },
        { server.host(), QString(), text("ENTER_PORT"), Field::Port },
        { server.host(), QStringLiteral("  "), text("ENTER_PORT"), Field::Port },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.message.toStdString());
        prompts.clearAsked();
        bar.focused.clear();
        bar.addressText = c.address;
        bar.portText = c.port;
        controller.connectCommand();
        expectOneMessage(c.message, Prompts::Icon::Critical);
        EXPECT_EQ(bar.focused, QList<Field> { c.focus });
        EXPECT_EQ(lines(), (QList<Line> { { QStringLiteral("earlier line\r\n"), Colour::Black } }));
        EXPECT_TRUE(bar.enableCalls.isEmpty());
        EXPECT_EQ(listCleared, 0);
        EXPECT_TRUE(busyChanges.isEmpty());
    }
}

TEST_F(ConnectionControllerTest, QuickConnectWantsAddress)
{
    bar.addressText = QStringLiteral(" \t ");
    controller.QuickConnect();
    expectOneMessage(text("ENTER_HOST"), Prompts::Icon::Information);
    EXPECT_EQ(bar.focused, QList<Field> { Field::Address });
    EXPECT_EQ(history.lines().size(), 1);
    EXPECT_EQ(listCleared, 0);
}

// ---- failed attempts -----------------------------------------------------------------------

struct Failure {
    const char *label;
    std::function<void(TestConnectionBar &)> spoil;
    std::function<QString()> reason; // how the reason line's reason begins
};

const Failure Failures[] = {
    { "port_out_of_range", [](TestConnectionBar &bar) { bar.portText = QStringLiteral("70000"); },
        [] { return text("FTP_BADPORT"); } },
    { "letters_in_port", [](TestConnectionBar &bar) { bar.portText.append(u'a'); },
        [] { return text("FTP_BADPORT"); } },
    // The server's own words: a 5yz reply to the password (RFC 959, 5.4).
    { "wrong_password", [](TestConnectionBar &bar) { bar.passwordText = QStringLiteral("wrong"); },
        [] { return QStringLiteral("5"); } },
    { "nothing_listening", [](TestConnectionBar &bar) { bar.portText = QString::number(freePort()); },
        [] { return text("FTP_REFUSED"); } },
};

// The one red line after a failed connect that says why.
void expectReasonLine(const RecordingHistoryLog::Line &line, const Failure &failure)
{
    const QString prefix = text("CONNECT_REASON") + u' ';
    EXPECT_EQ(line.colour, HistoryLog::Colour::Red);
    EXPECT_TRUE(line.text.startsWith(prefix + failure.reason())) << line.text.toStdString();
    EXPECT_TRUE(line.text.endsWith(QStringLiteral("\r\n")));
    EXPECT_FALSE(line.text.contains(QStringLiteral("wrong"))) << "the password in the log";
}

TEST_F(ConnectionControllerTest, ConnectCommandFailures)
{
    const TestConnectionBar working = bar;
    for (const Failure &failure : Failures) {
        SCOPED_TRACE(failure.label);
        bar = working;
        failure.spoil(bar);
        prompts.clearAsked();
        busyChanges.clear();
        listCleared = 0;

        controller.connectCommand();

        ASSERT_EQ(lines().size(), 3);
        EXPECT_EQ(lines().mid(0, 2),
            (QList<Line> { { connectWithLine(), Colour::Black },
                { text("NOT_ESTABLISHED") + QStringLiteral("\r\n"), Colour::Red } }));
        expectReasonLine(history.lines().last(), failure);
        ASSERT_EQ(prompts.asked().size(), 1);
        expectFailureMessage(text("NOT_ESTABLISHED") + QStringLiteral("\r\n") + text("SPELLING")
                + QStringLiteral("\r\n") + text("PROVIDER"),
            Prompts::Icon::Exclamation);
        EXPECT_EQ(session.connection(), nullptr);
        EXPECT_FALSE(controller.watchTimer()->isActive());
        EXPECT_TRUE(bar.wasDisabled(Field::Port));
        EXPECT_TRUE(bar.allEnabledAgain());
        EXPECT_EQ(busyChanges, (QList<bool> { true, false }));
        EXPECT_EQ(listCleared, 1);
        EXPECT_EQ(listRequested, 0);
    }
}

// A server joins the recent list once a login to it from the bar succeeded, by either command;
// its password stays out of the file.
TEST_F(ConnectionControllerTest, OnlyASuccessfulLoginIsRemembered)
{
    int changes = 0;
    QObject::connect(&controller, &ConnectionController::recentServersChanged, [&changes] { ++changes; });
    const TestConnectionBar working = bar;
    for (const Failure &failure : Failures) {
        SCOPED_TRACE(failure.label);
        bar = working;
        failure.spoil(bar);
        controller.connectCommand();
        controller.QuickConnect();
    }
    EXPECT_TRUE(controller.recentServers().servers().isEmpty());
    EXPECT_EQ(changes, 0);

    bar = working;
    const RecentServer login { bar.addressText, bar.portText, bar.userText };
    for (const auto command : { &ConnectionController::QuickConnect, &ConnectionController::connectCommand }) {
        (controller.*command)();
        ASSERT_TRUE(session.isConnected());
        EXPECT_EQ(controller.recentServers().servers(), QList<RecentServer> { login });
    }
    EXPECT_EQ(changes, 2);
    RecentServers nextStart;
    nextStart.load(history);
    EXPECT_EQ(nextStart.servers(), QList<RecentServer> { login });
    // Address, port and user: nothing else goes into the file.
    const QSettings file(RecentServers::defaultPath(), QSettings::IniFormat);
    EXPECT_EQ(file.allKeys(),
        (QStringList { QStringLiteral("servers/1/address"), QStringLiteral("servers/1/port"),
            QStringLiteral("servers/1/user"), QStringLiteral("servers/size") }));
}

// Port 0 stands for the service's own port, 21: the attempt goes out, whatever answers there.
TEST_F(ConnectionControllerTest, PortZeroIsTheServicePort)
{
    bar.portText = QStringLiteral("0");
    controller.connectCommand();
    const QString badPort = text("CONNECT_REASON") + u' ' + text("FTP_BADPORT");
    for (const RecordingHistoryLog::Line &line : history.lines())
        EXPECT_FALSE(line.text.startsWith(badPort)) << line.text.toStdString();
}

TEST_F(ConnectionControllerTest, QuickConnectFailures)
{
    QList<Failure> failures(std::begin(Failures), std::end(Failures));
    // Enter in the password field does not check the port before trying.
    failures.append(
        { "empty_port", [](TestConnectionBar &bar) { bar.portText.clear(); }, [] { return text("FTP_BADPORT"); } });
    const TestConnectionBar working = bar;
    for (const Failure &failure : failures) {
        SCOPED_TRACE(failure.label);
        bar = working;
        failure.spoil(bar);
        prompts.clearAsked();
        history.appendLine(QStringLiteral("earlier line\r\n"));

        controller.QuickConnect();

        // The earlier line is gone; the reason is all the log holds.
        ASSERT_EQ(history.lines().size(), 1);
        expectReasonLine(history.lines().first(), failure);
        ASSERT_EQ(prompts.asked().size(), 1);
        expectFailureMessage(
            text("NO_CONNECTION") + QStringLiteral("\r\n") + text("CHECK_PROVIDER"), Prompts::Icon::Exclamation);
        EXPECT_EQ(session.connection(), nullptr);
        EXPECT_FALSE(controller.watchTimer()->isActive());
        EXPECT_TRUE(bar.wasDisabled(Field::Password));
        EXPECT_FALSE(bar.wasDisabled(Field::Port));
        EXPECT_TRUE(bar.allEnabledAgain());
        EXPECT_EQ(listRequested, 0);
    }
}

// ---- successful attempts -------------------------------------------------------------------

TEST_F(ConnectionControllerTest, ConnectCommandConnects)
{
    bar.passive = true;
    controller.connectCommand();

    const QList<Line> expected = QList<Line> { { connectWithLine(), Colour::Black },
        { text("CONNECTION_TO") + u' ' + bar.addressText + u' ' + text("ESTABLSHED") + QStringLiteral("\r\n"),
            Colour::Green } }
        + securityLines();
    EXPECT_EQ(lines(), expected);
    EXPECT_EQ(bar.encrypted, server.isTls());
    EXPECT_TRUE(prompts.asked().isEmpty());
    ASSERT_TRUE(session.isConnected());
    EXPECT_TRUE(session.isPassive());
    EXPECT_EQ(session.connection()->currentDirectory(), QStringLiteral("/"));
    EXPECT_EQ(listCleared, 1);
    EXPECT_EQ(listRequested, 1);
    EXPECT_FALSE(busyWhenListed);
    EXPECT_EQ(busyChanges, (QList<bool> { true, false }));
    EXPECT_TRUE(controller.watchTimer()->isActive());
    EXPECT_EQ(controller.watchTimer()->interval(), 1000);
    EXPECT_EQ(controller.watchTimer()->objectName(), QStringLiteral("timIsConnected"));
    EXPECT_TRUE(bar.wasDisabled(Field::Address));
    EXPECT_TRUE(bar.allEnabledAgain());

    // A second attempt replaces the connection and again leaves only its own lines.
    const FtpConnection *first = session.connection();
    bar.passive = false;
    controller.connectCommand();
    ASSERT_TRUE(session.isConnected());
    EXPECT_NE(session.connection(), first);
    EXPECT_FALSE(session.isPassive());
    EXPECT_EQ(history.lines().size(), expected.size());
}

TEST_F(ConnectionControllerTest, AnUntrustedCertificateIsAskedAboutOnceAndNoEndsTheConnect)
{
    FtpTestServer tlsServer;
    tlsServer.setTls(FtpTestServer::Tls::Required);
    tlsServer.setCertificateTrusted(false);
    ASSERT_TRUE(tlsServer.start());
    if (tlsServer.isExternal())
        GTEST_SKIP() << "needs a local server with a certificate nobody trusts";
    // The address's own port wins over the port field.
    bar.addressText = QStringLiteral("ftpes://%1:%2").arg(tlsServer.host()).arg(tlsServer.port());
    bar.portText = QStringLiteral("21");
    bar.userText = tlsServer.user();
    bar.passwordText = tlsServer.password();
    const auto questions = [this] {
        return std::count_if(prompts.asked().begin(), prompts.asked().end(),
            [](const auto &asked) { return asked.kind == Kind::Certificate; });
    };

    prompts.answerTrustCertificate(false);
    controller.connectCommand();
    EXPECT_EQ(questions(), 1);
    EXPECT_FALSE(session.isConnected());
    EXPECT_FALSE(bar.encrypted);
    EXPECT_EQ(lines(),
        (QList<Line> { { connectWithLine(), Colour::Black },
            { text("NOT_ESTABLISHED") + QStringLiteral("\r\n"), Colour::Red },
            { text("CONNECT_REASON") + u' ' + text("FTP_CERTREFUSED") + QStringLiteral("\r\n"), Colour::Red } }));

    prompts.clearAsked();
    prompts.answerTrustCertificate(true);
    controller.connectCommand();
    ASSERT_TRUE(session.isConnected());
    EXPECT_EQ(questions(), 1);
    EXPECT_TRUE(bar.encrypted);
    const QList<Line> connected = lines();
    ASSERT_EQ(connected.size(), 3);
    EXPECT_EQ(connected.last().colour, Colour::Green);
    EXPECT_EQ(connected.last().text,
        text("TLS_ENCRYPTED").arg(session.connection()->encryptionProtocol()) + QStringLiteral("\r\n"));

    // The answer holds for the run: reconnects ask nothing.
    prompts.clearAsked();
    session.closeConnection();
    EXPECT_TRUE(controller.ReconnectFtp());
    EXPECT_EQ(questions(), 0);
}

TEST_F(ConnectionControllerTest, QuickConnectConnectsWithBlanksAroundPort)
{
    bar.portText = u' ' + bar.portText + u' ';
    controller.QuickConnect();

    EXPECT_EQ(lines(),
        QList<Line>({ { connectWithLine(), Colour::Black },
            { text("CONNECTION_WITH") + u' ' + bar.addressText + u' ' + text("WAS_ESTABLISHT") + QStringLiteral("\r\n"),
                Colour::Green } })
            + securityLines());
    EXPECT_TRUE(prompts.asked().isEmpty());
    ASSERT_TRUE(session.isConnected());
    EXPECT_EQ(session.connection()->currentDirectory(), QStringLiteral("/"));
    EXPECT_EQ(listRequested, 1);
    EXPECT_TRUE(controller.watchTimer()->isActive());
    EXPECT_TRUE(bar.allEnabledAgain());
}

TEST_F(ConnectionControllerTest, PassiveBoxWritesBlueLinesForTheNextConnection)
{
    controller.setPassive(true);
    controller.setPassive(false);
    EXPECT_EQ(lines().mid(1),
        (QList<Line> { { text("PASSIVE_TRANSER_ON") + QStringLiteral("\r\n"), Colour::Blue },
            { text("PASSIVE_TRANSER_OFF") + QStringLiteral("\r\n"), Colour::Blue } }));
    EXPECT_FALSE(session.isPassive());
}

// ---- Stop -----------------------------------------------------------------------------------

TEST_F(ConnectionControllerTest, StopDuringAConnectEndsItWithoutAWord)
{
    struct Case {
        const char *label;
        std::function<void()> start;
    };
    const Case cases[] = {
        { "connect_command", [this] { controller.connectCommand(); } },
        { "quick_connect", [this] { controller.QuickConnect(); } },
        { "reconnect", [this] { EXPECT_FALSE(controller.ReconnectFtp()); } },
    };
    // Takes the connection and never says a word: the login would wait for its time-out.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QObject::connect(&silent, &QTcpServer::newConnection, [this] { session.cancelRun(); });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        controller.connectCommand();
        ASSERT_TRUE(controller.watchTimer()->isActive());
        bar.addressText = QStringLiteral("127.0.0.1");
        bar.portText = QString::number(silent.serverPort());
        history.clear();

        QElapsedTimer clock;
        clock.start();
        c.start();
        EXPECT_LT(clock.elapsed(), FtpConnection::Timeouts().connectMs / 2);
        EXPECT_TRUE(prompts.asked().isEmpty());
        for (const Line &line : lines())
            EXPECT_EQ(line.colour, Colour::Black) << line.text.toStdString();
        EXPECT_FALSE(session.isBusy());
        EXPECT_FALSE(session.isRunCancelled());
        EXPECT_EQ(session.connection(), nullptr);
        EXPECT_FALSE(controller.watchTimer()->isActive());
        EXPECT_TRUE(bar.allEnabledAgain());

        bar.addressText = server.host();
        bar.portText = QString::number(server.port());
    }
}

// ---- reconnect -----------------------------------------------------------------------------

TEST_F(ConnectionControllerTest, ReconnectFtp)
{
    bar.passive = true;
    ASSERT_TRUE(controller.ReconnectFtp());
    ASSERT_TRUE(session.isConnected());
    EXPECT_TRUE(session.isPassive());
    EXPECT_EQ(session.connection()->currentDirectory(), QStringLiteral("/"));
    // Quiet, but for a connection in clear.
    EXPECT_EQ(lines().mid(1), session.connection()->isEncrypted() ? QList<Line>() : QList<Line> { plainLine() });
    EXPECT_EQ(listRequested, 0);
    EXPECT_FALSE(controller.watchTimer()->isActive());
    EXPECT_TRUE(prompts.asked().isEmpty());

    // A port that is no number: silently no connection at all.
    bar.portText = QStringLiteral("21a");
    EXPECT_FALSE(controller.ReconnectFtp());
    EXPECT_EQ(session.connection(), nullptr);
    EXPECT_TRUE(prompts.asked().isEmpty());

    bar.portText = QString::number(server.port());
    bar.passwordText = QStringLiteral("wrong");
    EXPECT_FALSE(controller.ReconnectFtp());
    EXPECT_EQ(session.connection(), nullptr);
    // The failure's reason is in the log before the box says that there is no connection.
    EXPECT_EQ(lines().last().colour, Colour::Red);
    EXPECT_TRUE(lines().last().text.startsWith(text("CONNECT_REASON") + QStringLiteral(" 5")))
        << lines().last().text.toStdString();
    ASSERT_EQ(prompts.asked().size(), 1);
    expectFailureMessage(text("MPUB_NOCONN1") + QStringLiteral("\r\n") + text("MPUB_NOCONN2") + QStringLiteral("\r\n")
            + text("MPUB_NOCONN3") + QStringLiteral("\r\n"),
        Prompts::Icon::Exclamation);
    EXPECT_EQ(bar.focused, QList<Field> { Field::Address });
}

TEST_F(ConnectionControllerTest, ReconnectKeepsALiveConnectionOfTheSameFieldsOnly)
{
    ASSERT_TRUE(controller.ReconnectFtp());
    FtpConnection *first = session.connection();
    ASSERT_TRUE(first->setCurrentDirectory(QStringLiteral("/")));
    ASSERT_TRUE(server.makeFolder(QStringLiteral("pub")));
    ASSERT_TRUE(first->setCurrentDirectory(QStringLiteral("pub")));

    // As good as new: the same connection, checked with one command and left where it is.
    QStringList sent;
    const auto record
        = QObject::connect(first, &FtpConnection::commandSent, [&sent](const QString &command) { sent << command; });
    ASSERT_TRUE(controller.ReconnectFtp());
    QObject::disconnect(record);
    EXPECT_EQ(session.connection(), first);
    EXPECT_EQ(sent.size(), 1) << qPrintable(sent.join(u' '));
    EXPECT_EQ(session.connection()->currentDirectory(), QStringLiteral("/pub"));

    // Another field, or a connection that is gone, makes a new one.
    const QPointer<FtpConnection> kept = first;
    bar.passive = !bar.passive;
    ASSERT_TRUE(controller.ReconnectFtp());
    EXPECT_TRUE(kept.isNull());
    session.connection()->close();
    ASSERT_TRUE(controller.ReconnectFtp());
    EXPECT_TRUE(session.isConnected());
    EXPECT_TRUE(prompts.asked().isEmpty());
}

// ---- the connection watch ------------------------------------------------------------------

TEST_F(ConnectionControllerTest, WatchOffersReconnectAndNoLeavesTimerOff)
{
    controller.connectCommand();
    ASSERT_TRUE(session.isConnected());
    QTest::qWait(1500); // ticks on a live connection ask nothing
    EXPECT_TRUE(prompts.asked().isEmpty());

    server.relay()->goAway();
    prompts.answerYesNo(false);
    ASSERT_TRUE(waitForQuestion(5000));
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(
        prompts.asked().first().text, text("CONNECTION_CANCEL1") + QStringLiteral("\r\n") + text("CONNECTION_CANCEL2"));
    EXPECT_FALSE(controller.watchTimer()->isActive());

    QTest::qWait(2500);
    EXPECT_EQ(prompts.asked().size(), 1);
    EXPECT_FALSE(controller.watchTimer()->isActive());
}

TEST_F(ConnectionControllerTest, WatchYesReconnectsWithTheFields)
{
    controller.connectCommand();
    ASSERT_TRUE(session.isConnected());
    server.relay()->goAway();
    prompts.answerYesNo(true);
    ASSERT_TRUE(waitForQuestion(5000));

    // The fields still name the stopped server, so the reconnect fails with its own message.
    ASSERT_EQ(prompts.asked().size(), 2);
    EXPECT_EQ(prompts.asked().at(1).kind, Kind::Message);
    expectFailureMessage(text("MPUB_NOCONN1") + QStringLiteral("\r\n") + text("MPUB_NOCONN2") + QStringLiteral("\r\n")
            + text("MPUB_NOCONN3") + QStringLiteral("\r\n"),
        Prompts::Icon::Exclamation);
    EXPECT_EQ(bar.focused, QList<Field> { Field::Address });
    EXPECT_EQ(session.connection(), nullptr);
    EXPECT_FALSE(controller.watchTimer()->isActive());
}

TEST_F(ConnectionControllerTest, WatchIsQuietWhileSessionIsBusy)
{
    controller.connectCommand();
    ASSERT_TRUE(session.isConnected());
    server.relay()->goAway();
    {
        Session::Run run(session);
        EXPECT_FALSE(waitForQuestion(2500));
        EXPECT_TRUE(controller.watchTimer()->isActive());
    }
    EXPECT_TRUE(waitForQuestion(5000));
}

TEST_F(ConnectionControllerTest, CommandDuringAWatchProbeSucceeds)
{
    // Over TLS the relay cannot redirect an active data connection (PORT is encrypted).
    bar.passive = server.isTls();
    controller.connectCommand();
    ASSERT_TRUE(session.isConnected());
    FtpConnection *connection = session.connection();

    // The user lists the folder while the tick's PWD is still unanswered: a slow server.
    std::optional<bool> listed;
    QObject::connect(connection, &FtpConnection::commandSent, [&](const QString &command) {
        if (command == QLatin1String("PWD") && !listed) {
            server.relay()->setReplyDelay(300);
            QTimer::singleShot(0, [&] {
                Session::Run run(session);
                listed = connection->list().has_value();
            });
        }
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return listed.has_value(); }, 10000));
    EXPECT_TRUE(*listed) << describe(connection->error()).toStdString();
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_TRUE(controller.watchTimer()->isActive());
}

TEST_F(ConnectionControllerTest, FailedProbeAsksOnce)
{
    struct Case {
        const char *label;
        int replyTimeoutMs;
        bool serverGoes; // else it falls silent
    };
    const Case cases[] = {
        { "server_gone_while_asked", 30000, true },
        { "no_answer_in_time", 300, false },
    };
    FtpRelay &relay = *server.relay();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        prompts.clearAsked();
        relay.setStalled(false);
        relay.setRefusing(false);
        controller.connectCommand();
        ASSERT_TRUE(session.isConnected());
        session.connection()->setTimeouts({ 20000, c.replyTimeoutMs, 60000 });
        QObject::connect(session.connection(), &FtpConnection::commandSent, [&](const QString &command) {
            if (command == QLatin1String("PWD")) {
                if (c.serverGoes)
                    QTimer::singleShot(0, &relay, [&relay] { relay.goAway(); });
                else
                    relay.setStalled(true);
            }
        });

        prompts.answerYesNo(false);
        ASSERT_TRUE(waitForQuestion(8000));
        QTest::qWait(1500);
        EXPECT_EQ(prompts.asked().size(), 1);
        EXPECT_FALSE(controller.watchTimer()->isActive());
    }
}

TEST_F(ConnectionControllerTest, ConnectDuringWatchTickAsksNothing)
{
    controller.connectCommand();
    ASSERT_TRUE(session.isConnected());

    // A frozen server leaves the next tick waiting for its PWD; the user connects meanwhile.
    server.relay()->setStalled(true);
    bool connectedLater = false;
    QTimer::singleShot(1500, [&] {
        server.relay()->setStalled(false);
        controller.connectCommand();
    });
    QObject::connect(&controller, &ConnectionController::serverListRequested, [&] { connectedLater = true; });
    const bool done = QTest::qWaitFor([&] { return connectedLater; }, 10000);
    server.relay()->setStalled(false);
    ASSERT_TRUE(done);

    // The tick whose connection was replaced under it asks nothing about a lost connection.
    EXPECT_TRUE(prompts.asked().isEmpty());
    EXPECT_TRUE(session.isConnected());
    ASSERT_EQ(lines().size(), 2 + securityLines().size());
    EXPECT_EQ(lines().at(1).colour, Colour::Green);
    EXPECT_EQ(lines().mid(2), securityLines());
    EXPECT_TRUE(controller.watchTimer()->isActive());
}

// A failed connect attempt leaves no watch of the connection it replaced: its failure message is
// the only thing on screen, and no lost-connection question follows it.
TEST_F(ConnectionControllerTest, AFailedConnectLeavesNoWatchToAskAboutTheOldConnection)
{
    struct Case {
        const char *label;
        std::function<void()> connect;
    };
    const Case cases[] = {
        { "connect_command", [this] { controller.connectCommand(); } },
        { "quick_connect", [this] { controller.QuickConnect(); } },
    };
    const TestConnectionBar working = bar;
    prompts.messageMs = 1500; // a tick and a half of the watch
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        bar = working;
        controller.connectCommand();
        ASSERT_TRUE(controller.watchTimer()->isActive());
        bar.passwordText = QStringLiteral("wrong");
        prompts.clearAsked();
        prompts.stacked = 0;

        c.connect();

        EXPECT_EQ(prompts.stacked, 0);
        EXPECT_FALSE(controller.watchTimer()->isActive());
        EXPECT_FALSE(waitForQuestion(1500));
        ASSERT_EQ(prompts.asked().size(), 1);
        EXPECT_EQ(prompts.asked().first().kind, Kind::Message);
    }
}

// ---- no silent downgrade to plain text ----------------------------------------------------

// Someone in the path: every connection to its port is spliced, byte for byte, to the server it
// currently sends connections to. TLS passes through untouched.
class PathInTheMiddle {
public:
    PathInTheMiddle()
    {
        m_listener.listen(QHostAddress::LocalHost);
        QObject::connect(&m_listener, &QTcpServer::newConnection, [this] { splice(); });
    }
    quint16 port() const { return m_listener.serverPort(); }
    void sendTo(quint16 port) { m_target = port; }

private:
    void splice()
    {
        while (QTcpSocket *client = m_listener.nextPendingConnection()) {
            client->setParent(&m_listener);
            auto *server = new QTcpSocket(client);
            QObject::connect(client, &QTcpSocket::readyRead, server, [=] { server->write(client->readAll()); });
            QObject::connect(server, &QTcpSocket::readyRead, client, [=] { client->write(server->readAll()); });
            QObject::connect(server, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
            QObject::connect(client, &QTcpSocket::disconnected, server, &QTcpSocket::disconnectFromHost);
            server->connectToHost(QHostAddress::LocalHost, m_target);
        }
    }

    QTcpServer m_listener;
    quint16 m_target = 0;
};

// A host and port that spoke TLS once are never logged in to in clear again in this run: the
// man in the middle who refuses AUTH TLS gets neither USER nor PASS, and the log says why.
TEST_F(ConnectionControllerTest, AServerThatSpokeTlsIsNeverLoggedInToInClearAgain)
{
    FtpTestServer tlsServer;
    tlsServer.setTls(FtpTestServer::Tls::Optional);
    ASSERT_TRUE(tlsServer.start());
    if (!tlsServer.isTls())
        GTEST_SKIP() << "the external server speaks no TLS";
    PathInTheMiddle path;
    path.sendTo(tlsServer.port());
    // A bare host name: TLS where offered, which this server does.
    bar.addressText = QStringLiteral("127.0.0.1");
    bar.portText = QString::number(path.port());
    bar.userText = tlsServer.user();
    bar.passwordText = tlsServer.password();
    bar.passive = true;
    ASSERT_TRUE(controller.ReconnectFtp());
    ASSERT_TRUE(session.connection()->isEncrypted());

    struct Case {
        const char *label;
        std::function<void()> connect;
    };
    const Case cases[] = {
        { "reconnect", [this] { EXPECT_FALSE(controller.ReconnectFtp()); } },
        { "connect_command", [this] { controller.connectCommand(); } },
        { "quick_connect", [this] { controller.QuickConnect(); } },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        ScriptedFtpServer impostor;
        impostor.onCommand = [&impostor](const QByteArray &verb, const QByteArray &) {
            if (verb != "AUTH")
                return false;
            impostor.reply("500 AUTH not understood\r\n");
            return true;
        };
        session.closeConnection();
        path.sendTo(impostor.port());
        history.clear();
        prompts.clearAsked();

        c.connect();

        EXPECT_FALSE(impostor.received.isEmpty()) << "the attempt reached the impostor";
        for (const QString &command : std::as_const(impostor.received)) {
            EXPECT_FALSE(command.startsWith(QLatin1String("USER")) || command.startsWith(QLatin1String("PASS")))
                << command.toStdString();
        }
        EXPECT_EQ(session.connection(), nullptr);
        EXPECT_FALSE(bar.encrypted);
        ASSERT_FALSE(lines().isEmpty());
        EXPECT_EQ(lines().last().colour, Colour::Red);
        EXPECT_TRUE(lines().last().text.startsWith(
            text("CONNECT_REASON") + u' ' + text("TLS_STILLREQUIRED") + QStringLiteral(" 5")))
            << lines().last().text.toStdString();
        EXPECT_FALSE(lines().contains(plainLine()));
        EXPECT_EQ(prompts.asked().size(), 1) << "the attempt's own message";
    }

    // The real server in the path again: TLS as before.
    path.sendTo(tlsServer.port());
    EXPECT_TRUE(controller.ReconnectFtp());
    ASSERT_TRUE(session.isConnected());
    EXPECT_TRUE(session.connection()->isEncrypted());
}

// ---- a Stop is no lost connection ----------------------------------------------------------

// Some servers end the whole session when a Stop cuts a data connection short. Whatever the
// server does, the user who pressed Stop is not asked about a lost connection: the connection
// is usable, or it is gone and silently replaced. A loss after it answered again is a real one.
TEST_F(ConnectionControllerTest, AConnectionAStoppedRunLeftIsUsableOrSilentlyReplaced)
{
    struct Case {
        const char *label;
        bool serverEndsSession; // else as the server does
        bool lostLater; // gone after the connection answered the watch
    };
    const Case cases[] = {
        { "as_the_server_does", false, false },
        { "server_ends_the_session", true, false },
        { "lost_after_it_answered", false, true },
    };
    QTemporaryDir local;
    ASSERT_TRUE(local.isValid());
    ASSERT_TRUE(server.writeFile(QStringLiteral("big.bin"), QByteArray(4 << 20, 'b')));
    FtpRelay &relay = *server.relay();
    QObject::connect(&relay, &FtpRelay::dataHeld, [this] { session.cancelRun(); });
    // Passive: through the relay in active mode, the login after a stopped download waited for
    // pyftpdlib's answer to AUTH TLS until the time-out, a fault of that path, not of the watch.
    bar.passive = true;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        controller.connectCommand();
        ASSERT_TRUE(session.isConnected());
        const QPointer<FtpConnection> stopped = session.connection();
        prompts.clearAsked();
        history.clear();

        relay.setDataHold(64 * 1024);
        {
            Session::Run run(session);
            EXPECT_FALSE(stopped->getFile(QStringLiteral("big.bin"), local.filePath(QStringLiteral("big.bin"))));
            EXPECT_TRUE(session.isRunCancelled());
        }
        relay.setDataHold(-1);
        relay.releaseData();
        if (c.serverEndsSession)
            relay.dropAll();

        if (c.lostLater) {
            ASSERT_TRUE(QTest::qWaitFor([this] { return !session.isConnectionStopped(); }, 5000));
            relay.goAway();
            prompts.answerYesNo(false);
            EXPECT_TRUE(waitForQuestion(5000));
            continue;
        }
        // Three ticks of the watch, each probing the connection or replacing it.
        EXPECT_FALSE(waitForQuestion(3500));
        EXPECT_TRUE(prompts.asked().isEmpty());
        ASSERT_TRUE(session.isConnected());
        EXPECT_TRUE(controller.watchTimer()->isActive());
        if (c.serverEndsSession) {
            EXPECT_TRUE(stopped.isNull()) << "replaced";
        }
        {
            Session::Run run(session);
            EXPECT_TRUE(session.connection()->list().has_value())
                << describe(session.connection()->error()).toStdString();
        }
        for (const Line &line : lines())
            EXPECT_NE(line.colour, Colour::Red) << line.text.toStdString();
    }
}

} // namespace
