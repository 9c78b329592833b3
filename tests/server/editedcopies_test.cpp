// The watch over opened scratch copies against a real server: a save asks once, Yes sends the copy
// back through the upload engine, an editor's save by rename is seen, questions wait for a run,
// and a folder the server no longer has gets its red line.
#include "core/appservices.h"
#include "core/textcatalogue.h"
#include "server/editedcopies.h"
#include "server/serverlisting.h"
#include "session/session.h"
#include "support/englishcatalogue.h"
#include "support/ftptestserver.h"
#include "support/localfiles.h"
#include "support/recordinghistorylog.h"
#include "support/recordingprogress.h"
#include "support/scriptedprompts.h"
#include "support/testtransferhost.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using Colour = HistoryLog::Colour;

class EditedCopiesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
        ASSERT_TRUE(m_server.start());
        ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/a.txt"), "alpha"));
        ASSERT_TRUE(m_host.ReconnectFtp());
        ASSERT_TRUE(SetServerDirectory(m_session.connection(), QStringLiteral("/pub")));
        ASSERT_TRUE(writeFile(copy(), "alpha"));
        m_copies.setTransferHost(&m_host);
        m_copies.watch(copy(), QStringLiteral("/pub"), QStringLiteral("a.txt"));
        m_history.clear();
    }

    QString copy() const { return m_scratch.path() + QStringLiteral("/a.txt"); }
    // Saves the copy as an editor that writes the file in place does.
    bool save(const QByteArray &bytes) { return writeFile(copy(), bytes); }
    bool waitForQuestions(int count)
    {
        return QTest::qWaitFor([&] { return m_prompts.asked().size() >= count; }, 10000);
    }
    QString question(const QString &folder = QStringLiteral("/pub")) const
    {
        return text("EDIT_UPLOADBACK").arg(QStringLiteral("a.txt"), folder);
    }

    FtpTestServer m_server;
    Session m_session;
    RecordingHistoryLog m_history;
    ScriptedPrompts m_prompts;
    RecordingProgress m_progress;
    AppServices m_services { m_session, m_history, m_prompts, m_progress };
    TestTransferHost m_host { m_services, m_server };
    QTemporaryDir m_scratch;
    EditedCopies m_copies { m_services };
};

TEST_F(EditedCopiesTest, YesSendsTheSavedCopyBackWithItsLines)
{
    ASSERT_TRUE(SetServerDirectory(m_session.connection(), QStringLiteral("/")));
    m_prompts.answerYesNo(true);

    ASSERT_TRUE(save("alpha, edited"));
    ASSERT_TRUE(waitForQuestions(1));

    EXPECT_EQ(m_prompts.asked().constFirst().text, question());
    EXPECT_EQ(m_server.readFile(QStringLiteral("pub/a.txt")), "alpha, edited");
    ASSERT_EQ(m_history.lines().size(), 2);
    EXPECT_EQ(m_history.lines()[0].text, text("FRMPULOC_BEGUP") + u' ' + copy() + QStringLiteral("\r\n"));
    EXPECT_EQ(m_history.lines()[1].colour, Colour::Green);
    // The server pane's folder stays the one the server is in.
    EXPECT_EQ(GetServerDirectory(m_session.connection()), QStringLiteral("/"));
    EXPECT_FALSE(m_session.isBusy());
}

TEST_F(EditedCopiesTest, EachSaveAsksOnceAndNoLeavesTheServerCopy)
{
    m_prompts.answerYesNo(false);
    ASSERT_TRUE(save("first"));
    ASSERT_TRUE(waitForQuestions(1));
    // An editor that writes a new file and renames it over the copy.
    m_prompts.answerYesNo(false);
    const QString written = m_scratch.path() + QStringLiteral("/.a.txt.swp");
    ASSERT_TRUE(writeFile(written, "second save"));
    ASSERT_TRUE(QFile::remove(copy()) && QFile::rename(written, copy()));
    ASSERT_TRUE(waitForQuestions(2));
    // The renamed file is watched in its turn.
    m_prompts.answerYesNo(true);
    ASSERT_TRUE(save("third save, longer"));
    ASSERT_TRUE(waitForQuestions(3));

    EXPECT_EQ(m_prompts.asked().size(), 3);
    EXPECT_EQ(m_server.readFile(QStringLiteral("pub/a.txt")), "third save, longer");
}

TEST_F(EditedCopiesTest, ASaveDuringARunIsAskedAboutOnceTheRunHasEnded)
{
    m_prompts.answerYesNo(true);
    {
        const Session::Run run(m_session);
        ASSERT_TRUE(save("saved while busy"));
        ASSERT_TRUE(QTest::qWaitFor([this] { return m_copies.hasUnaskedChanges(); }, 10000));
        m_copies.askAboutChanges();
        EXPECT_TRUE(m_prompts.asked().isEmpty());
    }
    ASSERT_TRUE(waitForQuestions(1));
    EXPECT_EQ(m_server.readFile(QStringLiteral("pub/a.txt")), "saved while busy");
}

TEST_F(EditedCopiesTest, ACopyWhoseFolderHasGoneSaysSoInRed)
{
    m_copies.watch(copy(), QStringLiteral("/gone"), QStringLiteral("a.txt"));
    m_prompts.answerYesNo(true);

    ASSERT_TRUE(save("nowhere to go"));
    ASSERT_TRUE(waitForQuestions(1));

    EXPECT_EQ(m_prompts.asked().constFirst().text, question(QStringLiteral("/gone")));
    ASSERT_FALSE(m_history.lines().isEmpty());
    EXPECT_EQ(m_history.lines().constLast().text,
        text("EDIT_FOLDERGONE").arg(QStringLiteral("/gone"), QStringLiteral("a.txt")) + QStringLiteral("\r\n"));
    EXPECT_EQ(m_history.lines().constLast().colour, Colour::Red);
    EXPECT_EQ(m_server.readFile(QStringLiteral("pub/a.txt")), "alpha");
}

} // namespace
