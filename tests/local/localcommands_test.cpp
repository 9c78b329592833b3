#include "core/appservices.h"
#include "core/textcatalogue.h"
#include "local/localcommands.h"
#include "local/localfoldertree.h"
#include "local/localpane.h"
#include "local/openwithdialog.h"
#include "local/privatedesktop.h"
#include "local/propertiesdialog.h"
#include "session/session.h"
#include "support/englishcatalogue.h"
#include "support/localfiles.h"
#include "support/recordinghistorylog.h"
#include "support/recordingprogress.h"
#include "support/scriptedprompts.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

using Colour = HistoryLog::Colour;
const QString CrLf = QStringLiteral("\r\n");



// A real pane on a private folder: a.txt, b.txt, x.ferrolinkunknown and Sub/inner.txt.
class LocalCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrivateDesktop::instance();
        ASSERT_TRUE(useEnglishCatalogue());
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + u'/';
        ASSERT_TRUE(writeFile(m_folder + QStringLiteral("a.txt"), "a"));
        ASSERT_TRUE(writeFile(m_folder + QStringLiteral("b.txt"), "b"));
        ASSERT_TRUE(writeFile(m_folder + QStringLiteral("x.ferrolinkunknown"), QByteArray("\x00\x01\xfe", 3)));
        ASSERT_TRUE(QDir().mkpath(m_folder + QStringLiteral("Sub")));
        ASSERT_TRUE(writeFile(m_folder + QStringLiteral("Sub/inner.txt"), "inner"));

        m_pane = std::make_unique<LocalPane>(m_services);
        m_commands = std::make_unique<LocalCommands>(*m_pane, m_services);
        m_commands->setDialogRunner([this](QDialog &dialog) {
            ++m_dialogsShown;
            return m_onDialog ? m_onDialog(dialog) : int(QDialog::Rejected);
        });
        ASSERT_TRUE(m_pane->selectFolder(m_folder));
        ASSERT_EQ(m_pane->TreeNodePath(), m_folder);
    }

    QTreeView *reportView() const { return m_pane->findChild<QTreeView *>(QStringLiteral("lsvDirFileReport")); }
    LocalFolderTree *tree() const { return m_pane->findChild<LocalFolderTree *>(QStringLiteral("trwPaths")); }

    QStringList listedNames() const
    {
        QStringList names;
        const QAbstractItemModel *model = reportView()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            names.append(model->index(row, 0).data().toString());
        return names;
    }

    void select(const QStringList &names)
    {
        QTreeView *view = reportView();
        view->selectionModel()->clearSelection();
        const QAbstractItemModel *model = view->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            if (names.contains(model->index(row, 0).data().toString()))
                view->selectionModel()->select(
                    model->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        ASSERT_EQ(m_pane->selectedEntries().size(), names.size());
    }

    QList<RecordingHistoryLog::Line> lines() const { return m_history.lines(); }

    QTemporaryDir m_dir;
    QString m_folder;
    Session m_session;
    RecordingHistoryLog m_history;
    ScriptedPrompts m_prompts;
    RecordingProgress m_progress;
    AppServices m_services { m_session, m_history, m_prompts, m_progress };
    std::unique_ptr<LocalPane> m_pane;
    std::unique_ptr<LocalCommands> m_commands;
    std::function<int(QDialog &)> m_onDialog;
    int m_dialogsShown = 0;
};

TEST_F(LocalCommandsTest, RenamesAFileAndAFolderInPlace)
{
    struct Case {
        QString from, to, check;
    } const cases[] = { { QStringLiteral("a.txt"), QStringLiteral("renamed a.txt"), QStringLiteral("renamed a.txt") },
        { QStringLiteral("Sub"), QStringLiteral("Sub2"), QStringLiteral("Sub2/inner.txt") } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.from.toStdString());
        m_history.clear();
        select({ c.from });
        m_prompts.answerInput(u' ' + c.to + u' ');

        m_commands->rename();

        EXPECT_FALSE(QFileInfo::exists(m_folder + c.from));
        EXPECT_FALSE(contents(m_folder + c.check).isEmpty());
        ASSERT_EQ(lines().size(), 2);
        EXPECT_EQ(lines()[0].text, text("FRMPULOC_RENAME2") + u' ' + c.from + CrLf);
        EXPECT_EQ(lines()[1].text, text("FRMPULOC_RENOK") + CrLf);
        EXPECT_EQ(lines()[1].colour, Colour::Green);
        const auto &asked = m_prompts.asked().last();
        EXPECT_EQ(asked.text, text("FRMPULOC_NEWNAME") + u' ' + c.from + QStringLiteral(" ?"));
        EXPECT_EQ(asked.defaultText, c.from);
        EXPECT_TRUE(listedNames().contains(c.to));
        EXPECT_FALSE(listedNames().contains(c.from));
    }
    // The renamed folder's old name leaves the tree.
    EXPECT_EQ(tree()->node(m_folder + QStringLiteral("Sub/")), nullptr);
    EXPECT_NE(tree()->node(m_folder + QStringLiteral("Sub2/")), nullptr);
}

TEST_F(LocalCommandsTest, RenameOntoAnExistingNameFailsAndKeepsBoth)
{
    select({ QStringLiteral("a.txt") });
    m_prompts.answerInput(QStringLiteral("b.txt"));

    m_commands->rename();

    EXPECT_EQ(contents(m_folder + QStringLiteral("a.txt")), "a");
    EXPECT_EQ(contents(m_folder + QStringLiteral("b.txt")), "b");
    EXPECT_EQ(lines().last().text, text("FRMPULOC_RENFAILED") + CrLf);
    EXPECT_EQ(lines().last().colour, Colour::Red);
}

TEST_F(LocalCommandsTest, RenameWithThreeSelectedOnlyTellsToSelectOne)
{
    select({ QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("Sub") });

    m_commands->rename();

    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked()[0].kind, ScriptedPrompts::Asked::Kind::Message);
    EXPECT_EQ(m_prompts.asked()[0].text, text("FRMPOPLOC_ONEFILE"));
    EXPECT_EQ(m_prompts.asked()[0].icon, Prompts::Icon::Information);
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_EQ(contents(m_folder + QStringLiteral("a.txt")), "a");
}

TEST_F(LocalCommandsTest, RenameCancelledIsARedLine)
{
    select({ QStringLiteral("a.txt") });
    m_prompts.answerInput(std::nullopt);

    m_commands->rename();

    EXPECT_EQ(lines().last().text, text("FRMPULOC_RENCANCEL") + CrLf);
    EXPECT_EQ(lines().last().colour, Colour::Red);
    EXPECT_EQ(contents(m_folder + QStringLiteral("a.txt")), "a");
}

TEST_F(LocalCommandsTest, NewFolderWithAnExistingFilesNameCreatesNothing)
{
    m_prompts.answerInput(QStringLiteral("a.txt"));

    m_commands->newFolder();

    EXPECT_EQ(contents(m_folder + QStringLiteral("a.txt")), "a");
    ASSERT_EQ(lines().size(), 2);
    EXPECT_EQ(lines()[0].text,
        text("FRMPUSERVER_DIRNEW1") + u' ' + m_folder + QStringLiteral("a.txt ") + text("FRMPUSERVER_DIRNEW2") + CrLf);
    EXPECT_EQ(lines()[1].text, text("FRMPULOC_GENFAIL") + CrLf);
    EXPECT_EQ(lines()[1].colour, Colour::Red);
}

TEST_F(LocalCommandsTest, NewFolderIsCreatedShownInTreeAndList)
{
    m_prompts.answerInput(QStringLiteral("  Neu  "));

    m_commands->newFolder();

    EXPECT_TRUE(QFileInfo(m_folder + QStringLiteral("Neu")).isDir());
    EXPECT_EQ(lines().last().text, text("FRMPULOC_GENOK") + CrLf);
    EXPECT_EQ(lines().last().colour, Colour::Green);
    EXPECT_EQ(m_prompts.asked()[0].text, text("FRMPULOC_DIRNAME"));
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder);
    EXPECT_NE(tree()->node(m_folder + QStringLiteral("Neu/")), nullptr);
    EXPECT_TRUE(listedNames().contains(QStringLiteral("Neu")));
}

TEST_F(LocalCommandsTest, NewFolderCancelledSaysNothing)
{
    m_prompts.answerInput(std::nullopt);
    m_commands->newFolder();
    EXPECT_TRUE(lines().isEmpty());
}

TEST_F(LocalCommandsTest, PropertiesShowTheSelectionOrTheCurrentFolder)
{
    QString shownPath, shownSize, shownContains;
    m_onDialog = [&](QDialog &dialog) {
        auto *properties = qobject_cast<PropertiesDialog *>(&dialog);
        EXPECT_NE(properties, nullptr);
        if (properties) {
            // A folder's totals come from a worker thread; wait for them as the user would.
            bool counted = properties->fieldText(QStringLiteral("lblContains")).isEmpty();
            QObject::connect(properties, &PropertiesDialog::totalsShown, [&counted] { counted = true; });
            QDeadlineTimer deadline(10000);
            while (!counted && !deadline.hasExpired())
                QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            EXPECT_TRUE(counted);
            shownPath = properties->path();
            shownSize = properties->fieldText(QStringLiteral("lblSize"));
            shownContains = properties->fieldText(QStringLiteral("lblContains"));
        }
        return int(QDialog::Accepted);
    };

    m_commands->properties();
    EXPECT_EQ(shownPath, m_folder);
    // a.txt, b.txt, x.ferrolinkunknown, Sub/inner.txt: 4 files, 1 folder, 1 + 1 + 3 + 5 bytes.
    EXPECT_TRUE(shownContains.startsWith(QStringLiteral("4 "))) << shownContains.toStdString();
    EXPECT_TRUE(shownContains.contains(QStringLiteral(", 1 "))) << shownContains.toStdString();
    EXPECT_TRUE(shownSize.contains(QStringLiteral("(10 "))) << shownSize.toStdString();

    select({ QStringLiteral("b.txt") });
    m_commands->properties();
    EXPECT_EQ(shownPath, m_folder + QStringLiteral("b.txt"));
    EXPECT_TRUE(shownSize.contains(QStringLiteral("(1 "))) << shownSize.toStdString();
    EXPECT_EQ(m_dialogsShown, 2);
}

// Counting "/" takes long; closing the sheet meanwhile must neither wait for the count nor let
// the count touch the closed dialog.
TEST_F(LocalCommandsTest, PropertiesOfTheVolumeRootCloseWhileCounting)
{
    {
        PropertiesDialog dialog(QStringLiteral("/"));
        EXPECT_EQ(dialog.fieldText(QStringLiteral("lblName")), QStringLiteral("/"));
        EXPECT_EQ(dialog.fieldText(QStringLiteral("lblContains")), text("FRMPROPERTIES_COUNTING"));
    }
    QCoreApplication::processEvents();
}

TEST_F(LocalCommandsTest, OpenWithoutAnApplicationAsksToChooseOne)
{
    select({ QStringLiteral("x.ferrolinkunknown") });
    QString chooserPath;
    m_onDialog = [&](QDialog &dialog) {
        if (auto *chooser = qobject_cast<OpenWithDialog *>(&dialog))
            chooserPath = chooser->path();
        return int(QDialog::Rejected);
    };

    m_prompts.answerYesNo(false);
    m_commands->open();
    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked()[0].text, text("MPUB_NOAPP") + CrLf + text("MPUB_PROGSEL"));
    EXPECT_EQ(m_dialogsShown, 0);

    m_prompts.answerYesNo(true);
    m_commands->open();
    EXPECT_EQ(m_dialogsShown, 1);
    EXPECT_EQ(chooserPath, m_folder + QStringLiteral("x.ferrolinkunknown"));
}

// The private desktop's recorder is the default for text: open starts it with the path as one
// argument; open with starts whichever application the dialog's user picked.
TEST_F(LocalCommandsTest, OpenAndOpenWithStartTheApplicationWithThePath)
{
    const PrivateDesktop &desktop = PrivateDesktop::instance();
    const QString opened = m_folder + QStringLiteral("with blanks.txt");
    const QString chosen = m_folder + QStringLiteral("chosen one.ferrolinkunknown");
    ASSERT_TRUE(writeFile(opened, "text\n"));
    ASSERT_TRUE(writeFile(chosen, QByteArray("\x00\x02", 2)));
    m_pane->RefreshLocal();

    select({ QStringLiteral("with blanks.txt") });
    m_commands->open();
    EXPECT_TRUE(m_prompts.asked().isEmpty());
    EXPECT_TRUE(desktop.waitForLaunch(opened));

    m_onDialog = [](QDialog &dialog) {
        auto *chooser = qobject_cast<OpenWithDialog *>(&dialog);
        EXPECT_TRUE(chooser && chooser->selectApplication(PrivateDesktop::applicationId()));
        return int(QDialog::Accepted);
    };
    select({ QStringLiteral("chosen one.ferrolinkunknown") });
    m_commands->openWith();
    EXPECT_TRUE(desktop.waitForLaunch(chosen));
    EXPECT_TRUE(m_prompts.asked().isEmpty());
}

TEST_F(LocalCommandsTest, DeleteRemovesEntriesAndRepairsTreeAndPathBox)
{
    ASSERT_TRUE(m_pane->selectFolder(m_folder + QStringLiteral("Sub/")));
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    auto *pathBox = m_pane->findChild<QComboBox *>(QStringLiteral("cboLocal"));
    ASSERT_NE(pathBox->findText(m_folder + QStringLiteral("Sub")), -1);
    select({ QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("Sub") });
    m_prompts.answerYesNo(true);

    m_commands->deleteSelection();

    EXPECT_FALSE(QFileInfo::exists(m_folder + QStringLiteral("a.txt")));
    EXPECT_FALSE(QFileInfo::exists(m_folder + QStringLiteral("Sub")));
    EXPECT_EQ(m_prompts.asked()[0].text, text("MSDEL_FILEDEL1") + QStringLiteral(" 3 ") + text("MSDEL_FILEDEL2"));
    EXPECT_EQ(listedNames(), QStringList { QStringLiteral("x.ferrolinkunknown") });
    EXPECT_EQ(tree()->node(m_folder + QStringLiteral("Sub/")), nullptr);
    EXPECT_EQ(pathBox->findText(m_folder + QStringLiteral("Sub")), -1);
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder);
}

TEST_F(LocalCommandsTest, DeleteAnsweredNoChangesNothing)
{
    select({ QStringLiteral("Sub") });
    m_prompts.answerYesNo(false);

    m_commands->deleteSelection();

    EXPECT_EQ(contents(m_folder + QStringLiteral("Sub/inner.txt")), "inner");
    EXPECT_NE(tree()->node(m_folder + QStringLiteral("Sub/")), nullptr);
    EXPECT_EQ(lines().last().colour, Colour::Red);
}

} // namespace
