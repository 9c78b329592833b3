#include "core/textcatalogue.h"
#include "local/localdelete.h"
#include "support/englishcatalogue.h"
#include "support/localfiles.h"
#include "support/recordinghistorylog.h"
#include "support/recordingprogress.h"
#include "support/scriptedprompts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool exists(const QString &path)
{
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

class LocalDeleteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
        ASSERT_TRUE(m_dir.isValid());
        m_root = m_dir.path() + u'/';
    }

    // Builds a folder tree: name/a.txt, name/sub/b.txt.
    QString makeTree(const QString &name)
    {
        const QString folder = m_root + name;
        EXPECT_TRUE(QDir().mkpath(folder + QStringLiteral("/sub")));
        EXPECT_TRUE(writeFile(folder + QStringLiteral("/a.txt")));
        EXPECT_TRUE(writeFile(folder + QStringLiteral("/sub/b.txt")));
        return folder;
    }

    // The question, and the deletion when it is answered Yes; true when the deletion ran.
    bool run(const QStringList &paths)
    {
        LocalDelete engine(m_history, m_prompts, m_progress);
        if (!engine.confirm(paths))
            return false;
        engine.remove(paths);
        return true;
    }

    QStringList lineTexts() const
    {
        QStringList texts;
        for (const auto &line : m_history.lines())
            texts.append(line.text);
        return texts;
    }

    QTemporaryDir m_dir;
    QString m_root;
    RecordingHistoryLog m_history;
    ScriptedPrompts m_prompts;
    RecordingProgress m_progress;
};

using Colour = HistoryLog::Colour;

TEST_F(LocalDeleteTest, OneFileAsksTheFileQuestionAndIsGoneForGood)
{
    const QString path = m_root + QStringLiteral("report.txt");
    ASSERT_TRUE(writeFile(path));
    m_prompts.answerYesNo(true);

    EXPECT_TRUE(run({ path }));

    EXPECT_FALSE(exists(path));
    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked()[0].text, text("MSDEL_DELETEIT1") + u' ' + path + u' ' + text("MSDEL_DELETEIT2"));
    ASSERT_EQ(m_history.lines().size(), 2);
    EXPECT_EQ(m_history.lines()[0].text, text("MSDEL_DELETE") + u' ' + path + QStringLiteral("\r\n"));
    EXPECT_EQ(m_history.lines()[0].colour, Colour::Black);
    EXPECT_EQ(m_history.lines()[1].text, text("MSDEL_DELSUCC") + QStringLiteral("\r\n"));
    EXPECT_EQ(m_history.lines()[1].colour, Colour::Green);
    EXPECT_EQ(m_progress.ranges, (QList<QPair<int, int>> { { 1, 10 } }));
    EXPECT_EQ(m_progress.values, (QList<int> { 10, 10, 1 }));
}

// The question follows what the entry is, not whether its path happens to contain a dot.
TEST_F(LocalDeleteTest, OneFolderTreeAsksTheFolderQuestionEvenWithADotInItsName)
{
    for (const QString &name : { QStringLiteral("Archiv"), QStringLiteral("Archiv.alt") }) {
        SCOPED_TRACE(name.toStdString());
        m_prompts.clearAsked();
        const QString folder = makeTree(name);
        m_prompts.answerYesNo(true);

        EXPECT_TRUE(run({ folder }));

        EXPECT_FALSE(exists(folder));
        ASSERT_EQ(m_prompts.asked().size(), 1);
        EXPECT_EQ(m_prompts.asked()[0].text, text("MSDEL_FOLDDEL1") + u' ' + folder + u' ' + text("MSDEL_FOLDDEL2"));
        EXPECT_EQ(m_history.lines().last().colour, Colour::Green);
    }
}

TEST_F(LocalDeleteTest, ThreeEntriesOneQuestionAndTheBarMovesOneTwoThree)
{
    const QStringList paths = { m_root + QStringLiteral("a.txt"), makeTree(QStringLiteral("tree")),
        m_root + QStringLiteral("name with blanks") };
    ASSERT_TRUE(writeFile(paths[0]));
    ASSERT_TRUE(writeFile(paths[2]));
    m_prompts.answerYesNo(true);

    EXPECT_TRUE(run(paths));

    for (const QString &path : paths)
        EXPECT_FALSE(exists(path)) << path.toStdString();
    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked()[0].text, text("MSDEL_FILEDEL1") + QStringLiteral(" 3 ") + text("MSDEL_FILEDEL2"));
    QStringList expected = { QStringLiteral("Aktion: Beginne mit löschen\r\n") };
    for (const QString &path : paths) {
        expected.append(text("MSDEL_WILLDELETE1") + u' ' + path + QStringLiteral("\r\n"));
        expected.append(text("MSDEL_DELSUCC") + QStringLiteral("\r\n"));
    }
    EXPECT_EQ(lineTexts(), expected);
    EXPECT_EQ(m_progress.ranges, (QList<QPair<int, int>> { { 1, 3 } }));
    EXPECT_EQ(m_progress.values, (QList<int> { 1, 1, 2, 3, 1 }));
}

TEST_F(LocalDeleteTest, NoChangesNothing)
{
    const QString file = m_root + QStringLiteral("keep.txt");
    ASSERT_TRUE(writeFile(file));
    const QString folder = makeTree(QStringLiteral("keep"));
    for (const QStringList &paths : { QStringList { file }, QStringList { file, folder } }) {
        m_history.clear();
        m_prompts.answerYesNo(false);

        EXPECT_FALSE(run(paths));

        EXPECT_TRUE(exists(file));
        EXPECT_TRUE(exists(folder + QStringLiteral("/sub/b.txt")));
        EXPECT_EQ(m_history.lines().last().text, text("MSDEL_DELCANCEL") + QStringLiteral("\r\n"));
        EXPECT_EQ(m_history.lines().last().colour, Colour::Red);
        EXPECT_TRUE(m_progress.values.isEmpty());
    }
}

// Tests run as root, which ignores permission bits; procfs refuses to unlink its entries even
// for root, so /proc/self/comm is an entry that really survives the delete.
TEST_F(LocalDeleteTest, AnEntryThatSurvivesGetsARedLineNeverSuccess)
{
    const QString survivor = QStringLiteral("/proc/self/comm");
    const QString deletable = m_root + QStringLiteral("gone.txt");
    ASSERT_TRUE(writeFile(deletable));
    m_prompts.answerYesNo(true);

    EXPECT_TRUE(run({ survivor, deletable }));

    EXPECT_TRUE(exists(survivor));
    EXPECT_FALSE(exists(deletable));
    const QStringList texts = lineTexts();
    ASSERT_EQ(texts.size(), 5);
    EXPECT_EQ(texts[2], text("MSDEL_DELFAILED") + QStringLiteral("\r\n"));
    EXPECT_EQ(m_history.lines()[2].colour, Colour::Red);
    EXPECT_EQ(texts[4], text("MSDEL_DELSUCC") + QStringLiteral("\r\n"));
    EXPECT_FALSE(LocalDelete::removePermanently(survivor));
}

// A link is removed as a link: neither a selected link nor a link inside a selected tree leads
// the delete into the folder it points to.
TEST_F(LocalDeleteTest, SymbolicLinksAreRemovedWithoutTouchingTheirTargets)
{
    QTemporaryDir outside;
    ASSERT_TRUE(outside.isValid());
    const QString precious = outside.path() + QStringLiteral("/precious.txt");
    ASSERT_TRUE(writeFile(precious));
    const QString selectedLink = m_root + QStringLiteral("link");
    ASSERT_TRUE(QFile::link(outside.path(), selectedLink));
    const QString tree = makeTree(QStringLiteral("tree"));
    ASSERT_TRUE(QFile::link(outside.path(), tree + QStringLiteral("/sub/inner link")));

    for (const QString &path : { selectedLink, tree }) {
        SCOPED_TRACE(path.toStdString());
        m_prompts.answerYesNo(true);
        EXPECT_TRUE(run({ path }));
        EXPECT_FALSE(exists(path));
        EXPECT_EQ(m_history.lines().last().colour, Colour::Green);
        EXPECT_TRUE(exists(precious));
    }
    // A link to a folder is announced as what it is: a link, not a folder tree.
    EXPECT_TRUE(m_prompts.asked()[0].text.startsWith(text("MSDEL_DELETEIT1")));
}

TEST_F(LocalDeleteTest, NothingSelectedAsksNothing)
{
    EXPECT_FALSE(run({}));
    EXPECT_TRUE(m_prompts.asked().isEmpty());
    EXPECT_TRUE(m_history.lines().isEmpty());
}

} // namespace
