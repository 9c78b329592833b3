// Download as and upload as against a real server: the names on both sides, the start lines,
// and the files that must survive a failure or never be sent.
#include "transfer/renamingtransfer.h"
#include "transfertestfixture.h"

namespace {

class RenamingTransferTest : public TransferTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_server.start());
        m_started = true;
    }
};

struct DownloadAsCase {
    const char *remote; // as the listing gives it
    const char *typed;
    const char *arrives; // the local name
};

void PrintTo(const DownloadAsCase &c, std::ostream *out)
{
    *out << '"' << c.remote << "\" as \"" << c.typed << '"';
}

class DownloadAsTest : public RenamingTransferTest, public ::testing::WithParamInterface<DownloadAsCase> { };

TEST_P(DownloadAsTest, FetchesTheListedNameUnderTheTypedOne)
{
    const DownloadAsCase &c = GetParam();
    const QString remote = QString::fromUtf8(c.remote);
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/") + remote, "alpha"));
    connectTo(QStringLiteral("/pub"));
    RenamingTransfer transfer(m_services, m_host);

    EXPECT_TRUE(transfer.downloadAs(remote, 5, local(), QString::fromUtf8(c.typed)));

    const QString arrives = QString::fromUtf8(c.arrives);
    EXPECT_EQ(readLocal(arrives), "alpha");
    EXPECT_EQ(localNames(), QStringList { arrives });
    const QStringList lines = lineTexts();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines.mid(0, 2),
        (QStringList { text("MDOWN_DOWNSTART") + u' ' + remote + QStringLiteral(" als ") + local(arrives),
            text("MDOWN_DOWNOK") }));
    // The run ends with its summary: one file done, none failed, then bytes, time and speed.
    const QString summary = text("TRANSFER_SUMMARY").section(QStringLiteral("%3"), 0, 0).arg(1).arg(0);
    EXPECT_TRUE(lines.last().startsWith(summary)) << lines.last().toStdString();
    EXPECT_EQ(linesOf(HistoryLog::Colour::Green), QStringList { text("MDOWN_DOWNOK") });
}

INSTANTIATE_TEST_SUITE_P(Names, DownloadAsTest,
    ::testing::Values(DownloadAsCase { "a.txt", "b.txt", "b.txt" },
        DownloadAsCase { "a.txt", "  b c.txt  ", "b c.txt" }, // blanks around dropped, inside kept
        DownloadAsCase { " lead.txt", "lead.txt", "lead.txt" }), // the remote name is not trimmed
    [](const ::testing::TestParamInfo<DownloadAsCase> &info) { return "case" + std::to_string(info.index); });

TEST_F(RenamingTransferTest, FailedDownloadKeepsTheExistingLocalFile)
{
    ASSERT_TRUE(writeLocal(QStringLiteral("b.txt"), "old"));
    connectTo();
    RenamingTransfer transfer(m_services, m_host);

    EXPECT_FALSE(transfer.downloadAs(QStringLiteral("missing.txt"), -1, local(), QStringLiteral("b.txt")));

    EXPECT_EQ(readLocal(QStringLiteral("b.txt")), "old");
    EXPECT_EQ(localNames(), QStringList { QStringLiteral("b.txt") }); // no temporary file left
    const QStringList red = linesOf(HistoryLog::Colour::Red);
    ASSERT_EQ(red.size(), 1);
    EXPECT_TRUE(red.first().startsWith(text("MDOWN_DOWNFAILED")));
}

TEST_F(RenamingTransferTest, EmptyLocalFileIsRefusedWithoutAskingTheServer)
{
    ASSERT_TRUE(writeLocal(QStringLiteral("empty.txt"), {}));
    connectTo();
    const QStringList commandsBefore = m_host.commands;
    RenamingTransfer transfer(m_services, m_host);

    EXPECT_FALSE(transfer.uploadAs(local(), QStringLiteral("empty.txt"), QStringLiteral("e.txt")));

    EXPECT_EQ(lineTexts(),
        (QStringList {
            text("FRMPULOC_BEGUP") + QStringLiteral(" empty.txt als e.txt"), RenamingTransfer::emptyFileLine() }));
    EXPECT_EQ(linesOf(HistoryLog::Colour::Red), QStringList { RenamingTransfer::emptyFileLine() });
    EXPECT_EQ(m_host.commands, commandsBefore);
    EXPECT_FALSE(m_server.exists(QStringLiteral("e.txt")));
    EXPECT_EQ(m_host.serverRefreshes, 0);
}

} // namespace
