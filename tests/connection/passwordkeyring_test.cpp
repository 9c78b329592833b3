// The secret service as the program meets it where the desktop offers none.

#include "connection/passwordkeyring.h"

#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <optional>

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

} // namespace
