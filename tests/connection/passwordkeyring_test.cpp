// The secret service as the program meets it where the desktop offers none, and a real one.

#include "connection/passwordkeyring.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <optional>
#include <utility>

namespace {

TEST(PasswordKeyringTest, WithoutASecretServiceTheProbeSaysWhyAndNothingIsStoredOrRead)
{
    // No session bus, so no secret service to be found on it, whatever runs on this desktop.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    PasswordKeyring keyring;
    std::optional<bool> available;
    QString reason;
    QObject::connect(&keyring, &PasswordKeyring::probed, [&](bool answered, const QString &why) {
        available = answered;
        reason = why;
    });
    int answers = 0;
    QObject::connect(&keyring, &PasswordKeyring::passwordRead, [&answers] { ++answers; });
    QObject::connect(&keyring, &PasswordKeyring::failed, [&answers] { ++answers; });

    keyring.probe();
    EXPECT_FALSE(available.has_value()) << "the probe never waits";
    ASSERT_TRUE(QTest::qWaitFor([&available] { return available.has_value(); }, 60000));
    EXPECT_FALSE(*available);
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_FALSE(keyring.isAvailable());

    const RecentServer server { QStringLiteral("ftp.example.org"), QStringLiteral("21"), QStringLiteral("anna") };
    keyring.store(server, QStringLiteral("secret"));
    keyring.read(server);
    keyring.forget(server);
    QTest::qWait(0);
    EXPECT_EQ(answers, 0);
}

// A private session bus with an unlocked keyring of its own, so a real secret service answers
// without touching the user's.
class PrivateSecretService {
public:
    ~PrivateSecretService()
    {
        // The keyring daemon leaves with the bus it serves.
        m_bus.terminate();
        m_bus.waitForFinished();
    }

    // False when this machine has no such service to start.
    bool start()
    {
        const QString bus = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        const QString keyring = QStandardPaths::findExecutable(QStringLiteral("gnome-keyring-daemon"));
        if (bus.isEmpty() || keyring.isEmpty() || !m_home.isValid())
            return false;
        m_bus.start(
            bus, { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
        if (!m_bus.waitForReadyRead(30000))
            return false;
        const QByteArray address = m_bus.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QProcess daemon;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path());
        daemon.setProcessEnvironment(environment);
        daemon.start(keyring, { QStringLiteral("--unlock"), QStringLiteral("--components=secrets") });
        daemon.write("test");
        daemon.closeWriteChannel();
        return daemon.waitForFinished(30000) && daemon.exitCode() == 0;
    }

private:
    QTemporaryDir m_home;
    QProcess m_bus;
};

TEST(PasswordKeyringTest, ARealSecretServiceKeepsThePasswordUntilItIsForgotten)
{
    PrivateSecretService service;
    if (!service.start())
        GTEST_SKIP() << "no dbus-daemon and gnome-keyring-daemon here";
    PasswordKeyring keyring;
    std::optional<bool> available;
    QObject::connect(&keyring, &PasswordKeyring::probed, [&available](bool answered) { available = answered; });
    QList<std::pair<RecentServer, QString>> read;
    QObject::connect(
        &keyring, &PasswordKeyring::passwordRead, [&read](const RecentServer &server, const QString &password) {
            read.append({ server, password });
        });
    QStringList failures;
    QObject::connect(&keyring, &PasswordKeyring::failed, [&failures](const QString &why) { failures.append(why); });
    const auto probe = [&] {
        available.reset();
        keyring.probe();
        return QTest::qWaitFor([&available] { return available.has_value(); }, 60000) && *available;
    };
    ASSERT_TRUE(probe());

    const RecentServer anna { QStringLiteral("ftp.example.org"), QStringLiteral("21"), QStringLiteral("anna") };
    const RecentServer bob { QStringLiteral("ftp.example.org"), QStringLiteral("21"), QStringLiteral("bob") };
    keyring.store(anna, QStringLiteral("anna's"));
    keyring.store(bob, QStringLiteral("bob's"));
    keyring.read(anna);
    ASSERT_TRUE(QTest::qWaitFor([&read] { return !read.isEmpty(); }, 60000));
    EXPECT_EQ(read, (QList<std::pair<RecentServer, QString>> { { anna, QStringLiteral("anna's") } }));

    read.clear();
    keyring.forget(anna);
    keyring.read(anna);
    keyring.read(bob);
    // The service answers the jobs in turn: once the probe is back, both reads are.
    ASSERT_TRUE(probe());
    EXPECT_EQ(read, (QList<std::pair<RecentServer, QString>> { { bob, QStringLiteral("bob's") } }));
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
}

} // namespace
