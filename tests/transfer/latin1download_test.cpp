// A tree whose server names are Latin-1 bytes comes down through the download engine with the
// names the pane shows, written as the local file system's UTF-8.
#include "transfer/downloadengine.h"

#include "transfertestfixture.h"

#include <QScopeGuard>

#include <fstream>

namespace {

TEST_F(TransferTest, Latin1TreeDownloadsUnderItsShownNames)
{
    if (!startWhereLinksCanBeMade())
        GTEST_SKIP() << "the server's root is out of reach, so no raw name can be made";
    const std::filesystem::path root = *m_server.fileSystemPath({});
    const auto writeRaw = [&](const QByteArray &path, const QByteArray &data) {
        std::filesystem::create_directories((root / path.toStdString()).parent_path());
        std::ofstream(root / path.toStdString(), std::ios::binary).write(data.constData(), data.size());
    };
    writeRaw("d\xe9j\xe0/caf\xe9.txt", "latin");
    writeRaw("d\xe9j\xe0/sub\xf1/x.txt", "deep");
    // The server's own clean-up speaks UTF-8 and could not remove these.
    const auto cleanUp = qScopeGuard([&] { std::filesystem::remove_all(root / "d\xe9j\xe0"); });
    connectTo();
    // The pane lists the folder before the user picks from it.
    ASSERT_TRUE(m_session.connection()->list());

    DownloadEngine engine { m_services, m_host };
    engine.DownloadSelection({ { QString::fromUtf8("déjà"), true, -1 } }, local());

    EXPECT_EQ(readLocal(QString::fromUtf8("déjà/café.txt")), "latin");
    EXPECT_EQ(readLocal(QString::fromUtf8("déjà/subñ/x.txt")), "deep");
    EXPECT_TRUE(linesOf(HistoryLog::Colour::Red).isEmpty()) << qPrintable(lineTexts().join(u'\n'));
}

} // namespace
