// The download engine against a real server: work list, passes, lines, reconnects, and what
// survives a failure or a Stop.
#include "transfer/downloadengine.h"

#include "support/ftprelay.h"
#include "transfertestfixture.h"

#include <QRandomGenerator>

namespace {

using Colour = HistoryLog::Colour;

QByteArray binaryData(int size)
{
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (char &c : data)
        c = char(generator.bounded(256));
    // Line ends and NULs that a text-mode transfer would mangle.
    return data + QByteArray("\r\n\n\r\0end", 9);
}

class DownloadEngineTest : public TransferTest {
protected:
    DownloadEngine m_engine { m_services, m_host };

    void download(const QList<TransferItem> &selection) { m_engine.DownloadSelection(selection, local()); }
};

TransferItem file(const QString &name, qint64 size = -1)
{
    return { name, false, size };
}
TransferItem folder(const QString &name)
{
    return { name, true, -1 };
}

TEST_F(DownloadEngineTest, DownloadsFilesThenTreesWithFoldersBeforeTheirFiles)
{
    const QByteArray binary = binaryData(100 * 1024);
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/a.txt"), "alpha"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/tree/x.bin"), binary));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/tree/sub one/y.txt"), "why"));
    ASSERT_TRUE(m_server.makeFolder(QStringLiteral("pub/tree/empty")));
    connectTo(QStringLiteral("/pub"));

    download({ folder(QStringLiteral("tree")), file(QStringLiteral("a.txt"), 5) });

    EXPECT_EQ(readLocal(QStringLiteral("a.txt")), "alpha");
    EXPECT_EQ(readLocal(QStringLiteral("tree/x.bin")), binary);
    EXPECT_EQ(readLocal(QStringLiteral("tree/sub one/y.txt")), "why");
    EXPECT_TRUE(QFileInfo(local(QStringLiteral("tree/empty"))).isDir());
    EXPECT_TRUE(linesOf(Colour::Red).isEmpty()) << qPrintable(lineTexts().join(u'\n'));

    // Pass 1 first; then every folder line before the lines of the files inside it, and every
    // start line followed by its result.
    const QStringList lines = lineTexts();
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.mid(0, 2), QStringList({ QStringLiteral("Downloading a.txt"), QStringLiteral("Download complete.") }));
    const auto at = [&](const QString &line) {
        const qsizetype index = lines.indexOf(line);
        EXPECT_GE(index, 0) << qPrintable(line);
        return index;
    };
    const QString folderLine = QStringLiteral("Creating local folder ") + local() + QStringLiteral("%1 ...");
    for (const auto &[folderName, fileLine] : {
             std::pair { QStringLiteral("tree"), QStringLiteral("Downloading /pub/tree/x.bin") },
             std::pair { QStringLiteral("tree/sub one"), QStringLiteral("Downloading /pub/tree/sub one/y.txt") },
         }) {
        const qsizetype folderAt = at(folderLine.arg(folderName));
        EXPECT_EQ(lines.value(folderAt + 1), QStringLiteral("Folder created."));
        const qsizetype fileAt = at(fileLine);
        EXPECT_LT(folderAt, fileAt);
        EXPECT_EQ(lines.value(fileAt + 1), QStringLiteral("Download complete."));
    }
    at(folderLine.arg(QStringLiteral("tree/empty")));

    // One fresh connection per listed folder: tree, its two subfolders.
    EXPECT_EQ(m_host.reconnects, 3);
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub"));
    EXPECT_EQ(m_host.shownFolders, QStringList { local() });
    EXPECT_EQ(m_progress.ranges.constLast(), qMakePair(1, 6));
    EXPECT_EQ(m_progress.values.constLast(), 1);
    EXPECT_TRUE(m_host.statusTexts.constLast().isEmpty());
}

TEST_F(DownloadEngineTest, FilesKeepTheirExactNamesAndNeedNoReconnect)
{
    const QStringList names
        = { QStringLiteral(" lead.txt"), QStringLiteral("trail .txt"), QStringLiteral("Grüße über.txt") };
    ASSERT_TRUE(m_server.start());
    m_started = true;
    for (const QString &name : names)
        ASSERT_TRUE(m_server.writeFile(name, name.toUtf8()));
    connectTo();

    QList<TransferItem> selection;
    for (const QString &name : names)
        selection.append(file(name));
    download(selection);

    for (const QString &name : names)
        EXPECT_EQ(readLocal(name), name.toUtf8()) << qPrintable(name);
    EXPECT_EQ(m_host.reconnects, 0);
    EXPECT_EQ(linesOf(Colour::Green).size(), names.size());
}

TEST_F(DownloadEngineTest, NothingToDownloadWritesNoLine)
{
    connectTo();
    for (const QList<TransferItem> &selection : { QList<TransferItem> {}, QList<TransferItem> { folder("..") } }) {
        download(selection);
        EXPECT_TRUE(m_history.lines().isEmpty());
        EXPECT_EQ(m_host.reconnects, 0);
    }
}

TEST_F(DownloadEngineTest, FailedDownloadLeavesExistingFileAsItWasAndTheRunGoesOn)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("b.txt"), "new b"));
    connectTo();
    ASSERT_TRUE(writeLocal(QStringLiteral("gone.txt"), "precious"));

    download({ file(QStringLiteral("gone.txt")), file(QStringLiteral("b.txt")) });

    EXPECT_EQ(readLocal(QStringLiteral("gone.txt")), "precious");
    EXPECT_EQ(readLocal(QStringLiteral("b.txt")), "new b");
    // No temporary file is left behind.
    EXPECT_EQ(localNames(), QStringList({ QStringLiteral("b.txt"), QStringLiteral("gone.txt") }));
    ASSERT_EQ(linesOf(Colour::Red).size(), 1);
    EXPECT_TRUE(linesOf(Colour::Red).constFirst().startsWith(QStringLiteral("Download failed.")));
}

TEST_F(DownloadEngineTest, FolderThatCannotBeEnteredDownloadsNothingFromElsewhere)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/a.txt"), "a"));
    connectTo(QStringLiteral("/pub"));

    // Listed a moment ago, removed since by someone else.
    download({ folder(QStringLiteral("vanished")) });

    EXPECT_FALSE(QFileInfo::exists(local(QStringLiteral("vanished/a.txt"))));
    EXPECT_FALSE(QFileInfo::exists(local(QStringLiteral("a.txt"))));
    EXPECT_FALSE(linesOf(Colour::Red).isEmpty());
    EXPECT_FALSE(lineTexts().contains(QStringLiteral("Download complete.")));
}

TEST_F(DownloadEngineTest, NamesThatWouldLeaveTheTargetFolderAreRefused)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("escape.txt"), "x"));
    ASSERT_TRUE(QDir().mkpath(local(QStringLiteral("target"))));
    connectTo();

    m_engine.DownloadSelection(
        { file(QStringLiteral("../escape.txt")), file(QStringLiteral("a/../../escape.txt")) }, local("target"));

    EXPECT_FALSE(QFileInfo::exists(local(QStringLiteral("escape.txt"))));
    EXPECT_TRUE(localNames(QStringLiteral("target")).isEmpty());
    EXPECT_EQ(linesOf(Colour::Red).size(), 2);
}

TEST_F(DownloadEngineTest, StopInTheMiddleOfAFileLeavesTheOldFileAndEndsTheRun)
{
    m_server.setRelayed(true);
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("big.bin"), QByteArray(8 * 1024 * 1024, 'b')));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("next.txt"), "next"));
    connectTo();
    ASSERT_TRUE(writeLocal(QStringLiteral("big.bin"), "old"));
    // Stop while the file's bytes are surely under way.
    m_server.relay()->setDataHold(1024 * 1024);
    QObject::connect(m_server.relay(), &FtpRelay::dataHeld, [this] { m_session.cancelRun(); });

    {
        Session::Run run(m_session);
        download({ file(QStringLiteral("big.bin")), file(QStringLiteral("next.txt")) });
    }

    EXPECT_EQ(readLocal(QStringLiteral("big.bin")), "old");
    EXPECT_EQ(localNames(), QStringList { QStringLiteral("big.bin") });
    // The Stop's own line says what happened; the engine adds no result line of its own.
    EXPECT_TRUE(linesOf(Colour::Red).isEmpty());
    EXPECT_TRUE(linesOf(Colour::Green).isEmpty());
    EXPECT_EQ(m_host.shownFolders, QStringList { local() });
}

TEST_F(DownloadEngineTest, ServerGoneMidFileLeavesTheOldFileAndTheRunGoesOn)
{
    m_server.setRelayed(true);
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("big.bin"), QByteArray(8 * 1024 * 1024, 'b')));
    connectTo();
    ASSERT_TRUE(writeLocal(QStringLiteral("big.bin"), "old"));
    m_server.relay()->setDataHold(1024 * 1024);
    QObject::connect(m_server.relay(), &FtpRelay::dataHeld, [this] { m_server.relay()->goAway(); });

    download({ file(QStringLiteral("big.bin")), file(QStringLiteral("next.txt")) });

    EXPECT_EQ(readLocal(QStringLiteral("big.bin")), "old");
    EXPECT_EQ(localNames(), QStringList { QStringLiteral("big.bin") });
    // Both files get their red line: the run goes on to its end.
    EXPECT_EQ(linesOf(Colour::Red).size(), 2);
    EXPECT_EQ(m_host.shownFolders, QStringList { local() });
}

TEST_F(DownloadEngineTest, StopBetweenTwoFilesFetchesNothingMore)
{
    ASSERT_TRUE(m_server.start());
    m_started = true;
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("one.txt"), "1"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("two.txt"), "2"));
    connectTo();
    m_host.onStatus = [this](const QString &text) {
        if (text.startsWith(QStringLiteral("two.txt")))
            m_session.cancelRun();
    };

    {
        Session::Run run(m_session);
        download({ file(QStringLiteral("one.txt")), file(QStringLiteral("two.txt")) });
    }

    EXPECT_EQ(localNames(), QStringList { QStringLiteral("one.txt") });
    EXPECT_FALSE(m_host.commands.contains(QStringLiteral("RETR two.txt")));
}

} // namespace
