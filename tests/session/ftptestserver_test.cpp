// The shared FTP fixture itself: other FTP tests rely on it starting fast and seeing the files.
#include "support/ftptestserver.h"

#include <QElapsedTimer>
#include <QTcpSocket>

#include <gtest/gtest.h>

TEST(FtpTestServer, StartsAndServesItsRoot)
{
    FtpTestServer server;
    ASSERT_TRUE(server.start());
    ASSERT_NE(server.port(), 0);

    QTcpSocket socket;
    socket.connectToHost(server.host(), server.port());
    ASSERT_TRUE(socket.waitForConnected(5000));
    ASSERT_TRUE(socket.waitForReadyRead(5000));
    EXPECT_TRUE(socket.readAll().startsWith("220"));

    EXPECT_TRUE(server.makeFolder(QStringLiteral("pub/empty")));
    EXPECT_TRUE(server.writeFile(QStringLiteral("pub/docs/ä b.txt"), "hello"));
    EXPECT_TRUE(server.exists(QStringLiteral("pub/empty")));
    EXPECT_EQ(server.readFile(QStringLiteral("pub/docs/ä b.txt")), QByteArray("hello"));
    EXPECT_FALSE(server.exists(QStringLiteral("pub/missing")));
    EXPECT_FALSE(server.readFile(QStringLiteral("pub/missing")).has_value());

    if (server.isExternal())
        return;
    server.stop();
    socket.waitForDisconnected(5000);
    EXPECT_EQ(socket.state(), QAbstractSocket::UnconnectedState);
}
