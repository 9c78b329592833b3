// reconnect [--logins N]
// Logs in N times (default 20) to the test suite's server through one session, as the window's
// reconnects do, and prints the commands and the time of the first login and of the later ones.
// FERROLINK_TEST_FTP_TLS=required gives the local pyftpdlib TLS; FERROLINK_TEST_FTP_URL (with
// FERROLINK_TEST_FTP_CAFILE) names another server, such as vsftpd or proftpd with TLS.
#include "session/ftperrortext.h"
#include "session/session.h"
#include "support/ftptestserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

namespace {

int fail(const QString &reason)
{
    QTextStream(stderr) << "reconnect: " << reason << Qt::endl;
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int logins = 20;
    const QStringList arguments = app.arguments();
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--logins")); at > 0)
        logins = arguments.value(at + 1).toInt();
    if (logins < 2)
        return fail(QStringLiteral("--logins needs at least 2"));

    FtpTestServer server;
    if (!server.start())
        return fail(QStringLiteral("the test server did not start"));

    QTextStream out(stdout);
    for (const bool remembering : { false, true }) {
        Session session;
        double firstMs = 0;
        double laterMs = 0;
        qsizetype firstCommands = 0;
        qsizetype laterCommands = 0;
        bool encrypted = false;
        for (int i = 0; i < logins; ++i) {
            std::unique_ptr<FtpConnection> connection = session.createConnection();
            // Without the session's memory every login starts from nothing, as before there was one.
            if (!remembering)
                connection->setServerMemory(nullptr);
            qsizetype commands = 0;
            QObject::connect(connection.get(), &FtpConnection::commandSent, [&commands] { ++commands; });
            QElapsedTimer clock;
            clock.start();
            if (!connection->connectToHost(server.host(), server.port(), server.user(), server.password(), true))
                return fail(describe(connection->error()));
            const double ms = clock.nsecsElapsed() / 1e6;
            encrypted = connection->isEncrypted();
            (i == 0 ? firstMs : laterMs) += ms;
            (i == 0 ? firstCommands : laterCommands) += commands;
            session.setConnection(std::move(connection));
            session.closeConnection();
        }
        const int later = logins - 1;
        out << "reconnect: " << (encrypted ? "TLS" : "plain") << (remembering ? ", remembering" : ", forgetting")
            << ": first login " << QString::number(firstMs, 'f', 1) << " ms, " << firstCommands
            << " commands; later logins " << QString::number(laterMs / later, 'f', 1) << " ms, "
            << QString::number(double(laterCommands) / later, 'f', 1) << " commands each\n";
    }
    return 0;
}
