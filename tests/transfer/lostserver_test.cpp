// A server that goes away in the middle of a tree and does not come back: the run's reconnect
// fails once, the entries that are left get one red line between them, and nothing more is
// made or asked for.
#include "transfer/deleteengine.h"
#include "transfer/downloadengine.h"
#include "transfer/uploadengine.h"

#include "support/ftprelay.h"
#include "transfertestfixture.h"

namespace {

using Colour = HistoryLog::Colour;

// A log that lets the server go away as soon as a line starts with cutAt.
class CuttingHistoryLog : public RecordingHistoryLog {
public:
    void appendLine(const QString &text, Colour colour) override
    {
        RecordingHistoryLog::appendLine(text, colour);
        if (relay && !cutAt.isEmpty() && text.startsWith(cutAt)) {
            cutAt.clear();
            relay->goAway();
        }
    }

    FtpRelay *relay = nullptr;
    QString cutAt;
};

enum class Engine { Download, Upload, Delete };

struct LostCase {
    const char *name;
    Engine engine;
    const char *cutAtKey; // the server goes at the first file's line
    bool notedFoldersLeft; // a delete removes the folders it passed only at its end
};

const LostCase lostCases[] = {
    { "Download", Engine::Download, "MDOWN_DOWNSTART", false },
    { "Upload", Engine::Upload, "FRMPULOC_BEGUP", false },
    { "Delete", Engine::Delete, "MDEL_DELFILE", true },
};

void PrintTo(const LostCase &c, std::ostream *out)
{
    *out << c.name;
}

class LostServerTest : public ::testing::TestWithParam<LostCase> {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(useEnglishCatalogue()); }

    QString local(const QString &relative) const { return m_local.path() + u'/' + relative; }

    // Runs the case's engine on the tree t; returns its work list.
    std::vector<TransferEntry> runOn(Engine kind)
    {
        const QList<TransferItem> tree { { QStringLiteral("t"), true, -1 } };
        Session::Run busy(m_session);
        switch (kind) {
        case Engine::Download: {
            DownloadEngine engine(m_services, m_host);
            engine.DownloadSelection(tree, m_local.path());
            return engine.downloadList();
        }
        case Engine::Upload: {
            UploadEngine engine(m_services, m_host);
            engine.UploadSelection(tree, m_local.path());
            return engine.uploadList();
        }
        case Engine::Delete: {
            DeleteEngine engine(m_services, m_host);
            engine.DeleteSelection(tree);
            return engine.deleteList();
        }
        }
        return {};
    }

    const QStringList treeFiles
        = { QStringLiteral("t/one.txt"), QStringLiteral("t/a/two.txt"), QStringLiteral("t/b/three.txt") };
    FtpTestServer m_server;
    Session m_session;
    CuttingHistoryLog m_history;
    ScriptedPrompts m_prompts;
    RecordingProgress m_progress;
    AppServices m_services { m_session, m_history, m_prompts, m_progress };
    TestTransferHost m_host { m_services, m_server };
    QTemporaryDir m_local;
};

TEST_P(LostServerTest, TheRestGetsOneLineAndNothingMoreHappens)
{
    const LostCase &c = GetParam();
    m_server.setRelayed(true);
    ASSERT_TRUE(m_server.start());
    for (const QString &path : treeFiles) {
        if (c.engine == Engine::Upload) {
            QDir().mkpath(QFileInfo(local(path)).absolutePath());
            QFile file(local(path));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        } else {
            ASSERT_TRUE(m_server.writeFile(path, "x"));
        }
    }
    ASSERT_TRUE(m_host.ReconnectFtp());
    m_history.clear();
    m_history.relay = m_server.relay();
    m_history.cutAt = text(c.cutAtKey) + u' ';

    const std::vector<TransferEntry> list = runOn(c.engine);

    // The first file is where the server went; every entry after it, and a delete's folders
    // before it, are left.
    const auto first = std::find_if(list.begin(), list.end(), [](const TransferEntry &e) { return !e.isFolder(); });
    ASSERT_NE(first, list.end());
    int left = int(list.end() - first) - 1;
    if (c.notedFoldersLeft)
        left += int(first - list.begin());
    const QString lost = text("TRANSFER_SERVERLOST").arg(left);
    const QStringList lines = [this] {
        QStringList texts;
        for (const auto &line : m_history.lines())
            texts.append(line.text.chopped(2));
        return texts;
    }();
    const QString all = lines.join(u'\n');
    ASSERT_FALSE(m_history.lines().isEmpty());
    EXPECT_EQ(lines.constLast(), lost) << qPrintable(all);
    EXPECT_EQ(m_history.lines().constLast().colour, Colour::Red);
    EXPECT_EQ(lines.count(lost), 1) << qPrintable(all);
    for (auto entry = first + 1; entry != list.end(); ++entry) {
        if (!entry->isFolder()) {
            EXPECT_FALSE(all.contains(entry->name)) << qPrintable(all);
        }
    }
    // The failed reconnect said so once; nothing asked again.
    EXPECT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_host.serverRefreshes, 0);
    if (c.engine == Engine::Download) {
        // No local folder after the first file's.
        for (auto entry = first + 1; entry != list.end(); ++entry) {
            if (entry->isFolder()) {
                EXPECT_FALSE(QFileInfo::exists(local(entry->path.mid(1)))) << qPrintable(entry->path);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Runs, LostServerTest, ::testing::ValuesIn(lostCases),
    [](const ::testing::TestParamInfo<LostCase> &info) { return std::string(info.param.name); });

} // namespace
