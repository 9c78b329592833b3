// frmLocal as real widgets on real folders: start, navigation, views, keys, menu and repairs.

#include "core/appservices.h"
#include "core/textcatalogue.h"
#include "local/localentrymodel.h"
#include "local/localfoldertree.h"
#include "local/localpane.h"
#include "session/session.h"
#include "support/englishcatalogue.h"
#include "support/recordinghistorylog.h"
#include "support/scriptedprompts.h"
#include "widgets/progressbar.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTreeView>

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

namespace {

// Scripted answers that also do what a real modal question does meanwhile: let queued events
// run. They note whether the hourglass was showing while the user was asked.
class ModalPrompts : public ScriptedPrompts {
public:
    bool askYesNo(const QString &text) override
    {
        busyWhileAsked.append(QGuiApplication::overrideCursor() != nullptr);
        QCoreApplication::processEvents();
        return ScriptedPrompts::askYesNo(text);
    }
    QList<bool> busyWhileAsked;
};

class LocalPaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
        ASSERT_TRUE(m_dir.isValid());
        m_folder = m_dir.path() + u'/';
        ASSERT_TRUE(QDir(m_folder).mkpath("Sub/deeper"));
        ASSERT_TRUE(QDir(m_folder).mkpath("Other"));
        for (const char *name : { "b.txt", "a.txt" }) {
            QFile file(m_folder + QString::fromLatin1(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        m_pane = std::make_unique<LocalPane>(m_services);
    }

    template <typename T> T *child(const char *name) const
    {
        T *widget = m_pane->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QTreeView *reportView() const { return child<QTreeView>("lsvDirFileReport"); }
    QComboBox *pathBox() const { return child<QComboBox>("cboLocal"); }

    QStringList shown(int column = LocalEntryModel::NameColumn) const
    {
        QStringList texts;
        const QAbstractItemModel *model = reportView()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts.append(model->index(row, column).data().toString());
        return texts;
    }
    QModelIndex row(const QString &name) const
    {
        const QAbstractItemModel *model = reportView()->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            if (model->index(r, 0).data().toString() == name)
                return model->index(r, 0);
        }
        return {};
    }
    int pathBoxCount(const QString &text) const
    {
        int count = 0;
        for (int i = 0; i < pathBox()->count(); ++i)
            count += pathBox()->itemText(i) == text ? 1 : 0;
        return count;
    }
    void pressKey(QWidget *widget, int key)
    {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &press);
    }
    void select(const QStringList &names)
    {
        for (const QString &name : names)
            reportView()->selectionModel()->select(row(name), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    // A tree click that arrives while the pane is busy: it is handled when events next run.
    void queueTreeClick(const QString &key)
    {
        auto *tree = child<LocalFolderTree>("trwPaths");
        QMetaObject::invokeMethod(
            tree, [tree, key] { tree->setCurrentItem(tree->node(key)); }, Qt::QueuedConnection);
    }
    void waitUntil(const std::function<bool()> &done)
    {
        const QDeadlineTimer limit(30000);
        while (!done() && !limit.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
        ASSERT_TRUE(done());
    }

    Session m_session;
    RecordingHistoryLog m_history;
    ModalPrompts m_prompts;
    ProgressBar m_progress;
    AppServices m_services { m_session, m_history, m_prompts, m_progress };
    QTemporaryDir m_dir;
    QString m_folder;
    std::unique_ptr<LocalPane> m_pane;
};

TEST_F(LocalPaneTest, StartsOnTheRootVolumeWithHomeSelectedAndListed)
{
    const QString home = QDir::homePath();
    EXPECT_EQ(m_pane->driveRoot(), "/");
    EXPECT_EQ(child<QComboBox>("drvDrive")->itemText(0), "/");
    EXPECT_EQ(m_pane->TreeNodePath(), home + u'/');
    EXPECT_TRUE(child<LocalFolderTree>("trwPaths")->currentItem()->isExpanded());
    EXPECT_EQ(pathBox()->currentText(), home);
    EXPECT_EQ(m_pane->view(), LocalPane::View::Report);
    EXPECT_EQ(reportView()->model()->rowCount(),
        int(QDir(home).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).size()));
}

TEST_F(LocalPaneTest, ListsTheFolderWithItsColumns)
{
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    EXPECT_EQ(shown(), QStringList({ "Other", "Sub", "a.txt", "b.txt" }));
    EXPECT_EQ(shown(LocalEntryModel::SizeColumn), QStringList({ "", "", "1 KB", "1 KB" }));
    EXPECT_EQ(shown(LocalEntryModel::TypeColumn).first(), text("FOLDER"));
    EXPECT_EQ(shown(LocalEntryModel::AttributeColumn), QStringList({ "D", "D", "N", "N" }));
    const QAbstractItemModel *model = reportView()->model();
    EXPECT_EQ(model->columnCount(), 5);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), text("FRMLOCAL_FILENAME"));
    EXPECT_EQ(model->headerData(4, Qt::Horizontal).toString(), text("FRMLOCAL_ATTRIBUTE"));
    EXPECT_FALSE(m_pane->ViewFolder(m_folder + "missing"));
    EXPECT_EQ(model->rowCount(), 0);
}

TEST_F(LocalPaneTest, DoubleClickOnAFolderOpensItAndRemembersItOnce)
{
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    emit reportView()->doubleClicked(row("a.txt"));
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder) << "a file row does nothing";

    const QString sub = m_folder + "Sub";
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(m_pane->selectFolder(m_folder));
        emit reportView()->doubleClicked(row("Sub"));
        EXPECT_EQ(m_pane->TreeNodePath(), sub + u'/');
        EXPECT_EQ(shown(), QStringList({ "deeper" }));
        EXPECT_EQ(pathBoxCount(sub), 1);
        EXPECT_EQ(pathBox()->currentText(), sub);
    }

    // Choosing a visited folder in the path box goes back there.
    emit pathBox()->activated(pathBox()->findText(m_dir.path()));
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder);
    EXPECT_EQ(shown().size(), 4);
}

TEST_F(LocalPaneTest, ClickingATreeNodeListsIt)
{
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    auto *tree = child<LocalFolderTree>("trwPaths");
    tree->setCurrentItem(tree->node(m_folder + "Other/"));
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder + "Other/");
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_EQ(pathBox()->currentText(), m_folder + "Other");
}

TEST_F(LocalPaneTest, ViewButtonsSwitchTheView)
{
    const struct {
        const char *key;
        LocalPane::View view;
        QListView::ViewMode mode;
        QListView::Flow flow;
    } cases[] = {
        { "eins", LocalPane::View::LargeIcons, QListView::IconMode, QListView::LeftToRight },
        { "zwei", LocalPane::View::SmallIcons, QListView::ListMode, QListView::LeftToRight },
        { "drei", LocalPane::View::List, QListView::ListMode, QListView::TopToBottom },
        { "vier", LocalPane::View::Report, QListView::ListMode, QListView::TopToBottom },
    };
    auto *stack = child<QStackedWidget>("lsvDirFile");
    auto *icons = child<QListView>("lsvDirFileIcons");
    for (const auto &c : cases) {
        SCOPED_TRACE(c.key);
        QAction *button = child<QToolBar>("tlbLocal")->findChild<QAction *>(QString::fromLatin1(c.key));
        ASSERT_NE(button, nullptr);
        button->trigger();
        EXPECT_EQ(m_pane->view(), c.view);
        EXPECT_TRUE(button->isChecked());
        if (c.view == LocalPane::View::Report) {
            EXPECT_EQ(stack->currentWidget(), reportView());
        } else {
            EXPECT_EQ(stack->currentWidget(), icons);
            EXPECT_EQ(icons->viewMode(), c.mode);
            EXPECT_EQ(icons->flow(), c.flow);
        }
    }
}

TEST_F(LocalPaneTest, SelectionIsReadInListOrderInEveryView)
{
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    QItemSelectionModel *selection = reportView()->selectionModel();
    for (const char *name : { "b.txt", "Sub" })
        selection->select(row(QString::fromLatin1(name)), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_pane->setView(LocalPane::View::SmallIcons);
    const QList<LocalEntry> entries = m_pane->selectedEntries();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, "Sub");
    EXPECT_TRUE(entries[0].isFolder);
    EXPECT_EQ(entries[1].name, "b.txt");
}

TEST_F(LocalPaneTest, ToolbarsCarryTheirKeysAndTexts)
{
    const QStringList keys { "del", "prop", "new", "open", "refresh", "upload" };
    const QStringList tips { text("FRMLOCAL_DELETE"), text("FRMLOCAL_PROP"), text("FRMLOCAL_NEW"),
        text("FRMLOCAL_OPEN"), text("FRMLOCAL_REFRESH"), text("FRMLOCAL_UPLOAD") };
    const QList<QAction *> buttons = child<QToolBar>("tlbDirOptions")->actions();
    ASSERT_EQ(buttons.size(), keys.size());
    for (int i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(buttons[i]->data().toString(), keys[i]);
        EXPECT_EQ(buttons[i]->toolTip(), tips[i]);
        EXPECT_FALSE(buttons[i]->icon().isNull());
    }

    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    QFile(m_folder + "c.txt").open(QIODevice::WriteOnly);
    buttons[keys.indexOf("refresh")]->trigger();
    EXPECT_TRUE(shown().contains("c.txt"));
}

TEST_F(LocalPaneTest, KeysRefreshAndDelete)
{
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    QFile(m_folder + "new.txt").open(QIODevice::WriteOnly);
    pressKey(reportView(), Qt::Key_F5);
    EXPECT_TRUE(shown().contains("new.txt"));

    reportView()->selectionModel()->select(row("new.txt"), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    pressKey(reportView(), Qt::Key_Delete); // the unscripted question answers No
    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked().first().kind, ScriptedPrompts::Asked::Kind::YesNo);
    EXPECT_TRUE(m_prompts.asked().first().text.contains("new.txt"));
    EXPECT_TRUE(QFile::exists(m_folder + "new.txt"));
}

TEST_F(LocalPaneTest, ContextMenuHasTheEntriesWithUploadAsDefault)
{
    auto *menu = child<QMenu>("frmPopUpfrmLocal");
    QStringList names;
    for (QAction *action : menu->actions())
        names.append(action->objectName());
    EXPECT_EQ(names,
        QStringList({ "mnuUpload", "mnuUploadAls", "mnuTrennlinie1", "mnuOeffnen", "mnuOeffnenMit", "mnuTrennlinie2",
            "mnuUmbenennen", "mnuTrennlinie3", "mnuLoeschen", "mnuTrennlinie4", "mnuNeu", "mnuTrennlinie5",
            "mnuAktualisieren", "mnuTrennlinie6", "mnuEigenschaften" }));
    EXPECT_EQ(menu->defaultAction()->objectName(), "mnuUpload");
    EXPECT_EQ(menu->defaultAction()->text(), text("FRMPULOC_UPLOAD"));
    EXPECT_EQ(menu->findChild<QMenu *>("mnuNeu")->actions().first()->text(), text("FRMPULOC_NEWFOLDER"));

    // The menu's refresh lists with its own letters: no D for folders.
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    menu->findChild<QAction *>("mnuAktualisieren")->trigger();
    EXPECT_EQ(shown(LocalEntryModel::AttributeColumn).first(), "");
}

TEST_F(LocalPaneTest, DriveThatIsNotReadyWarnsAndKeepsTheTree)
{
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    auto *drives = child<QComboBox>("drvDrive");
    drives->addItem("/nowhere", "/ferrolink-no-such-volume/");
    emit drives->activated(drives->count() - 1);
    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked().first().icon, Prompts::Icon::Exclamation);
    EXPECT_EQ(m_prompts.asked().first().text,
        text("FRMLOCAL_INSERTDEVICE") + " /ferrolink-no-such-volume/" + text("FRMLOCAL_INTO"));
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder);
    EXPECT_EQ(drives->currentText(), "/");
}

TEST_F(LocalPaneTest, RepairsFollowTheDisk)
{
    ASSERT_TRUE(m_pane->selectFolder(m_folder + "Sub/deeper"));
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    ASSERT_TRUE(QDir(m_folder + "Sub").removeRecursively());
    ASSERT_TRUE(QDir(m_folder).mkdir("Fresh"));
    m_pane->refreshTreeNode(m_folder);
    m_pane->pruneVanishedFolders();
    auto *tree = child<LocalFolderTree>("trwPaths");
    EXPECT_EQ(tree->node(m_folder + "Sub/"), nullptr);
    EXPECT_NE(tree->node(m_folder + "Fresh/"), nullptr);
    EXPECT_EQ(pathBoxCount(m_folder + "Sub/deeper"), 0);
    EXPECT_EQ(pathBoxCount(m_dir.path()), 1);
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder);
}

TEST_F(LocalPaneTest, ControlsFollowThePaneSize)
{
    m_pane->resize(600, 700);
    m_pane->show();
    auto *tree = child<LocalFolderTree>("trwPaths");
    auto *list = child<QStackedWidget>("lsvDirFile");
    EXPECT_EQ(tree->width(), 600 - 23);
    EXPECT_EQ(list->width(), 600 - 23);
    EXPECT_LT(tree->geometry().bottom(), pathBox()->geometry().top());
    EXPECT_LT(pathBox()->geometry().bottom(), list->geometry().top());
    EXPECT_LE(list->geometry().bottom(), 700);
    m_pane->resize(800, 500);
    EXPECT_EQ(tree->width(), 800 - 23);
    EXPECT_LE(list->geometry().bottom(), 500);
}

// ---- the list always shows the tree's folder ------------------------------------------------

TEST_F(LocalPaneTest, AListingOvertakenByATreeClickIsNeverShown)
{
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    queueTreeClick(m_folder + "Sub/");
    EXPECT_FALSE(m_pane->selectFolder(m_folder + "Other")) << "overtaken while its events ran";
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder + "Sub/");
    EXPECT_EQ(m_pane->shownFolder(), m_folder + "Sub/");
    EXPECT_EQ(shown(), QStringList({ "deeper" }));
}

TEST_F(LocalPaneTest, DeleteActsOnTheListedFolderWhateverTheTreeDoesMeanwhile)
{
    ASSERT_TRUE(QFile(m_folder + "Other/a.txt").open(QIODevice::WriteOnly));
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    select({ "a.txt", "b.txt" });
    m_prompts.answerYesNo(true);
    queueTreeClick(m_folder + "Other/");
    m_pane->deleteSelection();
    EXPECT_FALSE(QFile::exists(m_folder + "a.txt"));
    EXPECT_FALSE(QFile::exists(m_folder + "b.txt"));
    EXPECT_TRUE(QFile::exists(m_folder + "Other/a.txt")) << "the other folder's namesake is untouched";
    // The user went on to Other: the delete does not list its own folder over it.
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder + "Other/");
    EXPECT_EQ(m_pane->shownFolder(), m_folder + "Other/");
    EXPECT_EQ(shown(), QStringList({ "a.txt" }));
}

TEST_F(LocalPaneTest, TheHourglassComesOnlyAfterTheDeleteQuestion)
{
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    for (const QStringList &names : { QStringList { "a.txt" }, QStringList { "b.txt", "Other" } }) {
        SCOPED_TRACE(qPrintable(names.join(u',')));
        reportView()->clearSelection();
        select(names);
        m_prompts.answerYesNo(true);
        m_pane->deleteSelection();
    }
    EXPECT_EQ(m_prompts.busyWhileAsked, QList<bool>({ false, false }));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(shown(), QStringList({ "Sub" }));
}

// Every way to delete asks the Delete key's question, with the local side's own words for one
// folder; No keeps the tree, Yes removes it.
enum class DeleteEntry { ToolBar, ContextMenu, MainMenu, ReportKey, IconKey };

class LocalDeleteEntryTest : public LocalPaneTest, public testing::WithParamInterface<std::tuple<DeleteEntry, bool>> {
protected:
    void startDelete(DeleteEntry entry)
    {
        switch (entry) {
        case DeleteEntry::ToolBar:
            for (QAction *button : child<QToolBar>("tlbDirOptions")->actions()) {
                if (button->data().toString() == u"del")
                    button->trigger();
            }
            break;
        case DeleteEntry::ContextMenu:
            child<QAction>("mnuLoeschen")->trigger();
            break;
        case DeleteEntry::MainMenu: // the main menu's command is bound to this slot
            m_pane->deleteSelection();
            break;
        case DeleteEntry::ReportKey:
            pressKey(reportView(), Qt::Key_Delete);
            break;
        case DeleteEntry::IconKey:
            m_pane->setView(LocalPane::View::SmallIcons);
            pressKey(child<QListView>("lsvDirFileIcons"), Qt::Key_Delete);
            break;
        }
    }
};

TEST_P(LocalDeleteEntryTest, AsksFirstAndOnlyYesRemovesTheTree)
{
    const auto [entry, yes] = GetParam();
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    select({ "Sub" });
    m_prompts.answerYesNo(yes);
    startDelete(entry);

    const QString path = m_folder + "Sub";
    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked()[0].kind, ScriptedPrompts::Asked::Kind::YesNo);
    EXPECT_EQ(m_prompts.asked()[0].text, text("MSDEL_FOLDDEL1") + u' ' + path + u' ' + text("MSDEL_FOLDDEL2"));
    EXPECT_EQ(QFileInfo::exists(path + "/deeper"), !yes);
    EXPECT_EQ(shown().contains("Sub"), !yes);
}

std::string deleteCaseName(const testing::TestParamInfo<std::tuple<DeleteEntry, bool>> &info)
{
    static const char *const names[] = { "toolbar", "context_menu", "main_menu", "report_key", "icon_key" };
    return std::string(names[int(std::get<0>(info.param))]) + (std::get<1>(info.param) ? "_yes" : "_no");
}

INSTANTIATE_TEST_SUITE_P(EntryPoints, LocalDeleteEntryTest,
    testing::Combine(testing::Values(DeleteEntry::ToolBar, DeleteEntry::ContextMenu, DeleteEntry::MainMenu,
                         DeleteEntry::ReportKey, DeleteEntry::IconKey),
        testing::Bool()),
    deleteCaseName);

TEST_F(LocalPaneTest, ArrowKeyMovesListOnlyTheNodeTheUserStopsAt)
{
    ASSERT_TRUE(QDir(m_folder).mkdir("Third"));
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    auto *tree = child<LocalFolderTree>("trwPaths");
    for (const char *name : { "Other/", "Sub/", "Third/" })
        tree->setCurrentItem(tree->node(m_folder + QString::fromLatin1(name)));
    // The first move lists at once; the ones passed through in quick succession do not.
    EXPECT_EQ(pathBoxCount(m_folder + "Other"), 1);
    EXPECT_TRUE(m_pane->shownFolder().isEmpty()) << "no stale names while the tree moves on";
    EXPECT_TRUE(m_pane->selectedEntries().isEmpty());
    waitUntil([&] { return m_pane->shownFolder() == m_folder + "Third/"; });
    EXPECT_EQ(pathBoxCount(m_folder + "Sub"), 0);
    EXPECT_EQ(pathBoxCount(m_folder + "Third"), 1);
}

// ---- the tree follows new folders ------------------------------------------------------------

TEST_F(LocalPaneTest, AFolderMadeLaterOpensAndRefreshShowsItInTheTree)
{
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    auto *tree = child<LocalFolderTree>("trwPaths");
    ASSERT_TRUE(QDir(m_folder).mkdir("Late"));
    ASSERT_TRUE(m_pane->ViewFolder(m_folder));
    emit reportView()->doubleClicked(row("Late"));
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder + "Late/");

    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    const struct {
        const char *folder;
        std::function<void()> refresh;
    } refreshes[] = {
        { "ByKey", [&] { pressKey(reportView(), Qt::Key_F5); } },
        { "ByButton",
            [&] {
                for (QAction *button : child<QToolBar>("tlbDirOptions")->actions()) {
                    if (button->data() == "refresh")
                        button->trigger();
                }
            } },
        { "ByMenu", [&] { child<QMenu>("frmPopUpfrmLocal")->findChild<QAction *>("mnuAktualisieren")->trigger(); } },
    };
    for (const auto &r : refreshes) {
        SCOPED_TRACE(r.folder);
        const QString made = m_folder + QString::fromLatin1(r.folder);
        ASSERT_TRUE(QDir().mkdir(made));
        r.refresh();
        EXPECT_NE(tree->node(made + u'/'), nullptr);
        EXPECT_TRUE(shown().contains(QString::fromLatin1(r.folder)));
    }
}

TEST_F(LocalPaneTest, PathBoxKeepsBlanksAtTheEndOfFolderNames)
{
    ASSERT_TRUE(QDir(m_folder).mkdir("Trail "));
    ASSERT_TRUE(QFile(m_folder + "Trail /inside.txt").open(QIODevice::WriteOnly));
    ASSERT_TRUE(m_pane->selectFolder(m_folder + "Trail "));
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    emit pathBox()->activated(pathBox()->findText(m_folder + "Trail "));
    EXPECT_EQ(m_pane->TreeNodePath(), m_folder + "Trail /");
    EXPECT_EQ(shown(), QStringList({ "inside.txt" }));
}

TEST_F(LocalPaneTest, RenameListsWithTheListingOfTheMenuItCameFrom)
{
    // The main menu's rename lists as the pane does (folders show D), the context menu's with
    // its own letters (no D).
    const struct {
        const char *label;
        std::function<void()> rename;
        QString folderLetters;
    } cases[] = {
        { "main menu", [&] { m_pane->renameSelection(); }, "D" },
        { "context menu", [&] { child<QMenu>("frmPopUpfrmLocal")->findChild<QAction *>("mnuUmbenennen")->trigger(); },
            "" },
    };
    ASSERT_TRUE(m_pane->selectFolder(m_folder));
    QString name = "a.txt";
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(m_pane->ViewFolder(m_folder, ListingVariant::AfterDelete));
        select({ name });
        name = QString::fromLatin1(c.label) + ".txt";
        m_prompts.answerInput(name);
        c.rename();
        EXPECT_TRUE(QFile::exists(m_folder + name));
        EXPECT_EQ(shown(LocalEntryModel::AttributeColumn).first(), c.folderLetters);
    }
}

} // namespace
