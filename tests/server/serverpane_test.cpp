// The server pane against a real FTP server: listing, navigation, path box, keys, views.
#include "core/appservices.h"
#include "core/fileattributes.h"
#include "core/progresssink.h"
#include "core/textcatalogue.h"
#include "server/serverlisting.h"
#include "server/serverlistmodel.h"
#include "server/serverlistview.h"
#include "server/serverpane.h"
#include "server/serverpanerows.h"
#include "session/session.h"
#include "support/englishcatalogue.h"
#include "support/ftptestserver.h"
#include "support/recordinghistorylog.h"
#include "support/recordingprogress.h"
#include "support/scriptedftpserver.h"
#include "support/scriptedprompts.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListView>
#include <QMenu>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace {

class ServerPaneTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(useEnglishCatalogue());
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_server.start());
        ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/docs/readme.txt"), "read me"));
        ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/a.txt"), QByteArray(1536, 'a')));
        ASSERT_TRUE(m_server.makeFolder(QStringLiteral("pub/sub")));
        ASSERT_TRUE(m_server.makeFolder(QStringLiteral("empty")));
        auto connection = std::make_unique<FtpConnection>();
        ASSERT_TRUE(
            connection->connectToHost(m_server.host(), m_server.port(), m_server.user(), m_server.password(), true));
        m_session.setConnection(std::move(connection));
        m_pane = std::make_unique<ServerPane>(m_services);
        m_pane->resize(640, 400);
        m_pane->show();
    }

    ServerListModel &model() const { return *m_pane->model(); }
    ServerListView &list() const { return *m_pane->listView(); }
    QComboBox &pathBox() const { return *m_pane->findChild<QComboBox *>(QStringLiteral("cboServer")); }
    QAction &button(const char *key) const { return *m_pane->findChild<QAction *>(QLatin1String(key)); }
    QString serverDirectory() const { return GetServerDirectory(m_session.connection()); }

    QStringList rows() const { return rowNames(model()); }
    QStringList pathEntries() const { return itemTexts(pathBox()); }

    void listFolder(const QString &path)
    {
        ASSERT_TRUE(SetServerDirectory(m_session.connection(), path));
        m_pane->RefreshServerList();
    }
    QModelIndex selectRow(const QString &name)
    {
        const QModelIndex index = model().index(int(rows().indexOf(name)), 0);
        EXPECT_TRUE(index.isValid()) << qPrintable(name);
        list().selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return index;
    }
    void doubleClickRow(const QString &name)
    {
        const QModelIndex index = selectRow(name);
        QAbstractItemView *view = list().currentItemView();
        const QPoint centre = view->visualRect(index).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
    }
    void choosePath(const QString &path)
    {
        const int index = pathBox().findText(path);
        ASSERT_GE(index, 0) << qPrintable(path);
        pathBox().setCurrentIndex(index);
        emit pathBox().activated(index);
    }
    bool removeOnServer(const QString &path) { return m_server.removeFolder(path); }

    FtpTestServer m_server;
    Session m_session;
    RecordingHistoryLog m_history;
    ScriptedPrompts m_prompts;
    RecordingProgress m_progress;
    AppServices m_services { m_session, m_history, m_prompts, m_progress };
    std::unique_ptr<ServerPane> m_pane;
};

TEST_F(ServerPaneTest, ListsParentRowThenFoldersThenFilesInServerOrder)
{
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/b.txt"), "b"));
    ASSERT_TRUE(m_server.makeFolder(QStringLiteral("pub/other")));
    listFolder(QStringLiteral("/pub"));

    const auto listing = m_session.connection()->list();
    ASSERT_TRUE(listing.has_value());
    QStringList expected { QStringLiteral("..") };
    for (const RemoteEntry &entry : *listing) {
        if (entry.attributes == FileAttribute::Directory)
            expected.append(entry.name);
    }
    for (const RemoteEntry &entry : *listing) {
        if (entry.attributes != FileAttribute::Directory)
            expected.append(entry.name);
    }
    EXPECT_EQ(rows(), expected);
    EXPECT_EQ(model().index(int(rows().indexOf(u"a.txt")), ServerListModel::SizeColumn).data().toString(),
        QStringLiteral("2 KB"));
    EXPECT_EQ(pathBox().currentText(), QStringLiteral("/pub"));

    listFolder(QStringLiteral("/"));
    EXPECT_EQ(rows().value(0), QStringLiteral(".."));
    EXPECT_TRUE(rows().contains(u"pub"));
    EXPECT_TRUE(m_history.lines().isEmpty());
}

TEST_F(ServerPaneTest, EmptyUnreadableAndUnconnectedFoldersShowOnlyTheParentRow)
{
    listFolder(QStringLiteral("/empty"));
    EXPECT_EQ(rows(), QStringList { QStringLiteral("..") });
    EXPECT_TRUE(m_history.lines().isEmpty());

    // Servers differ on a current folder that vanished: pyftpdlib refuses to list it, vsftpd
    // answers with its root's listing.
    if (!m_server.isExternal()) {
        ASSERT_TRUE(removeOnServer(QStringLiteral("empty")));
        m_pane->RefreshServerList();
        EXPECT_EQ(rows(), QStringList { QStringLiteral("..") });
        ASSERT_EQ(m_history.lines().size(), 1);
        EXPECT_EQ(m_history.lines()[0].colour, HistoryLog::Colour::Red);
    }

    m_session.closeConnection();
    m_pane->RefreshServerList();
    EXPECT_EQ(rows(), QStringList { QStringLiteral("..") });
    EXPECT_EQ(pathBox().currentIndex(), -1);
    EXPECT_FALSE(pathEntries().contains(QString()));
}

TEST_F(ServerPaneTest, TwentyThousandFoldersListInFullAlsoThroughThePathBox)
{
    if (m_server.isExternal())
        GTEST_SKIP() << "making 20,000 folders on an external server takes too long";
    constexpr int count = 20000;
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(QDir().mkpath(m_server.rootPath() + QStringLiteral("/many/d%1").arg(i, 5, 10, QLatin1Char('0'))));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("many/last.txt"), "x"));

    listFolder(QStringLiteral("/many"));
    ASSERT_EQ(model().rowCount(), count + 2);
    EXPECT_EQ(rows().last(), QStringLiteral("last.txt"));

    listFolder(QStringLiteral("/"));
    choosePath(QStringLiteral("/many"));
    EXPECT_EQ(serverDirectory(), QStringLiteral("/many"));
    EXPECT_EQ(model().rowCount(), count + 2);
}

TEST_F(ServerPaneTest, DoubleClickGoesUpOrIntoFoldersAndIgnoresFiles)
{
    listFolder(QStringLiteral("/"));
    listFolder(QStringLiteral("/pub/docs"));

    doubleClickRow(QStringLiteral(".."));
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub"));
    EXPECT_EQ(pathBox().currentText(), QStringLiteral("/pub"));
    EXPECT_TRUE(rows().contains(u"docs"));

    const QStringList before = rows();
    doubleClickRow(QStringLiteral("a.txt"));
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub"));
    EXPECT_EQ(rows(), before);
    EXPECT_EQ(pathBox().currentText(), QStringLiteral("/pub"));

    doubleClickRow(QStringLiteral("docs"));
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub/docs"));
    EXPECT_EQ(rows(), QStringList({ QStringLiteral(".."), QStringLiteral("readme.txt") }));
    EXPECT_TRUE(m_history.lines().isEmpty());
}

TEST_F(ServerPaneTest, DoubleClickEntersALinkToAFolderAndTakesALinkToAFileForAFile)
{
    if (!m_server.canMakeLinks())
        GTEST_SKIP() << "links cannot be made on this server";
    ASSERT_TRUE(m_server.makeLink(QStringLiteral("pub/tosub"), QStringLiteral("sub")));
    ASSERT_TRUE(m_server.makeLink(QStringLiteral("pub/toa"), QStringLiteral("a.txt")));
    listFolder(QStringLiteral("/pub"));

    doubleClickRow(QStringLiteral("toa"));
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub"));
    doubleClickRow(QStringLiteral("tosub"));
    // The link's own path or the real one behind it: servers report either after the CWD.
    EXPECT_TRUE(QStringList({ QStringLiteral("/pub/tosub"), QStringLiteral("/pub/sub") }).contains(serverDirectory()))
        << qPrintable(serverDirectory());
    EXPECT_EQ(rows(), (QStringList { QStringLiteral("..") }));
    EXPECT_TRUE(m_history.lines().isEmpty());
}

TEST_F(ServerPaneTest, UpButtonEntersTheSelectedFolderAndRelistsOnAFileRow)
{
    listFolder(QStringLiteral("/pub"));
    selectRow(QStringLiteral("docs"));
    button("oben").trigger();
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub/docs"));
    EXPECT_EQ(pathBox().currentText(), QStringLiteral("/pub/docs"));

    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/docs/new.txt"), "n"));
    selectRow(QStringLiteral("readme.txt"));
    button("oben").trigger();
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub/docs"));
    EXPECT_TRUE(rows().contains(u"new.txt"));

    selectRow(QStringLiteral(".."));
    button("oben").trigger();
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub"));
}

TEST_F(ServerPaneTest, PathBoxHoldsEachFolderOnceAndChoosingOneListsIt)
{
    for (const char *path : { "/", "/pub", "/pub/docs", "/pub", "/", "/pub/docs" })
        listFolder(QLatin1String(path));
    EXPECT_EQ(pathEntries(), QStringList({ QStringLiteral("/"), QStringLiteral("/pub"), QStringLiteral("/pub/docs") }));

    choosePath(QStringLiteral("/pub"));
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub"));
    EXPECT_TRUE(rows().contains(u"a.txt"));
    EXPECT_EQ(pathEntries().size(), 3);
}

TEST_F(ServerPaneTest, ChoosingAVanishedFolderSaysSoAndShowsTheRealFolder)
{
    listFolder(QStringLiteral("/pub/docs"));
    listFolder(QStringLiteral("/pub"));
    ASSERT_TRUE(removeOnServer(QStringLiteral("pub/docs")));

    choosePath(QStringLiteral("/pub/docs"));
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub"));
    EXPECT_EQ(pathBox().currentText(), QStringLiteral("/pub"));
    EXPECT_TRUE(rows().contains(u"a.txt"));
    ASSERT_EQ(m_history.lines().size(), 1);
    EXPECT_EQ(m_history.lines()[0].colour, HistoryLog::Colour::Red);
    EXPECT_TRUE(m_history.lines()[0].text.contains(u"/pub/docs"));
}

TEST_F(ServerPaneTest, PruneDropsVanishedFoldersAndKeepsRootAndTheCurrentDirectory)
{
    for (const char *path : { "/", "/pub/docs", "/empty", "/pub" })
        listFolder(QLatin1String(path));
    ASSERT_TRUE(removeOnServer(QStringLiteral("pub/docs")));

    m_pane->prunePathBox();
    EXPECT_EQ(pathEntries(), QStringList({ QStringLiteral("/"), QStringLiteral("/empty"), QStringLiteral("/pub") }));
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub"));
    EXPECT_EQ(pathBox().currentText(), QStringLiteral("/pub"));
}

TEST_F(ServerPaneTest, F5RelistsAndDeleteAsksAndNoKeepsEverything)
{
    listFolder(QStringLiteral("/pub"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/late.txt"), "l"));
    QList<bool> busyPointers;
    const QObject listening;
    QObject::connect(&m_session, &Session::busyChanged, &listening, [&](bool busy) {
        if (busy)
            busyPointers.append(m_session.showsBusyPointer());
    });
    QTest::keyClick(list().currentItemView(), Qt::Key_F5);
    EXPECT_TRUE(rows().contains(u"late.txt"));
    button("actualize").trigger();
    EXPECT_EQ(busyPointers, QList<bool>({ false, true })) << "F5 lists without the busy pointer, the button with it";

    selectRow(QStringLiteral("a.txt"));
    m_prompts.answerYesNo(false);
    QTest::keyClick(list().currentItemView(), Qt::Key_Delete);
    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked()[0].kind, ScriptedPrompts::Asked::Kind::YesNo);
    EXPECT_EQ(m_prompts.asked()[0].text, QStringLiteral("Delete Selection?"));
    EXPECT_TRUE(m_server.exists(QStringLiteral("pub/a.txt")));
    EXPECT_TRUE(rows().contains(u"a.txt"));
    EXPECT_EQ(list().selectedRows(), QList<int> { int(rows().indexOf(u"a.txt")) });
}

TEST_F(ServerPaneTest, ToolbarWithoutConnectionOnlySaysSo)
{
    listFolder(QStringLiteral("/pub"));
    m_session.closeConnection();
    for (const char *key : { "del", "open", "new", "oben", "actualize", "download" }) {
        m_prompts.clearAsked();
        button(key).trigger();
        ASSERT_EQ(m_prompts.asked().size(), 1) << key;
        EXPECT_EQ(m_prompts.asked()[0].text, text("FRMSERVER_NOCONNECTION")) << key;
        EXPECT_EQ(m_prompts.asked()[0].icon, Prompts::Icon::Information) << key;
    }
    EXPECT_TRUE(rows().contains(u"a.txt"));
}

TEST_F(ServerPaneTest, ListingAskedForDuringAnotherRunWaitsForItsEnd)
{
    listFolder(QStringLiteral("/pub"));
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/during.txt"), "d"));
    {
        Session::Run run(m_session);
        m_pane->RefreshServerList();
        EXPECT_FALSE(rows().contains(u"during.txt"));
    }
    EXPECT_TRUE(rows().contains(u"during.txt"));
    EXPECT_FALSE(m_session.isBusy());
}

TEST_F(ServerPaneTest, ViewButtonsSwitchTheViewAndKeepTheSelection)
{
    listFolder(QStringLiteral("/pub"));
    selectRow(QStringLiteral("a.txt"));
    const struct {
        const char *key;
        ServerListView::View view;
        QListView::ViewMode mode;
        QListView::Flow flow;
    } cases[] = {
        { "eins", ServerListView::View::LargeIcons, QListView::IconMode, QListView::LeftToRight },
        { "zwei", ServerListView::View::SmallIcons, QListView::ListMode, QListView::LeftToRight },
        { "drei", ServerListView::View::List, QListView::ListMode, QListView::TopToBottom },
    };
    for (const auto &c : cases) {
        button(c.key).trigger();
        EXPECT_EQ(list().view(), c.view) << c.key;
        auto *icons = qobject_cast<QListView *>(list().currentItemView());
        ASSERT_NE(icons, nullptr) << c.key;
        EXPECT_EQ(icons->viewMode(), c.mode) << c.key;
        EXPECT_EQ(icons->flow(), c.flow) << c.key;
        EXPECT_EQ(model().rowName(list().selectedRow()), QStringLiteral("a.txt")) << c.key;
    }
    button("vier").trigger();
    EXPECT_EQ(list().view(), ServerListView::View::Details);
    EXPECT_EQ(list().currentItemView(), list().detailsView());
    EXPECT_EQ(model().rowName(list().selectedRow()), QStringLiteral("a.txt"));
}

TEST_F(ServerPaneTest, ListFollowsThePaneWhenResized)
{
    const auto listRect = [this] { return QRect(list().mapTo(m_pane.get(), QPoint(0, 0)), list().size()); };
    for (const QSize size : { QSize(420, 260), QSize(900, 650), QSize(500, 300) }) {
        m_pane->resize(size);
        QApplication::processEvents();
        const QRect rect = listRect();
        const QRect toolbar(
            m_pane->findChild<QWidget *>(QStringLiteral("tlbServerLinks"))->mapTo(m_pane.get(), QPoint()), QSize());
        EXPECT_GT(rect.top(), toolbar.top());
        EXPECT_LT(size.width() - rect.right(), 30) << size.width();
        EXPECT_LT(size.height() - rect.bottom(), 30) << size.height();
        EXPECT_LT(rect.left(), 30);
    }
}

TEST_F(ServerPaneTest, RightClickOnARowOpensTheCommandMenu)
{
    listFolder(QStringLiteral("/pub"));
    auto *menu = m_pane->findChild<QMenu *>(QStringLiteral("frmPopUpfrmServer"));
    ASSERT_NE(menu, nullptr);
    QStringList names;
    for (QAction *action : menu->actions())
        names.append(action->isSeparator() ? QStringLiteral("-") : action->objectName());
    EXPECT_EQ(names,
        QStringList({ "mnuDownload", "mnuDownloadAls", "-", "mnuOeffnen", "mnuOeffnenMit", "-", "mnuUmbenennen", "-",
            "mnuLoeschen", "-", "mnuNeu", "-", "mnuAktualisieren" }));
    EXPECT_EQ(menu->defaultAction()->objectName(), QStringLiteral("mnuDownload"));
    EXPECT_EQ(menu->defaultAction()->text(), text("FRMPUSERVER_DOWNLOAD"));

    QAbstractItemView *view = list().currentItemView();
    emit view->customContextMenuRequested(view->visualRect(selectRow(QStringLiteral("a.txt"))).center());
    EXPECT_TRUE(menu->isVisible());
    menu->hide();
}

// Servers no real test server imitates: a listing the parser can read only in part, a listing
// that ends the connection.
class ServerPaneListingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
        server.features = "211 no features\r\n";
    }

    void connect()
    {
        auto connection = std::make_unique<FtpConnection>();
        ASSERT_TRUE(connection->connectToHost(
            QStringLiteral("127.0.0.1"), server.port(), QStringLiteral("ann"), QStringLiteral("pw"), true));
        session.setConnection(std::move(connection));
    }

    ScriptedFtpServer server;
    Session session;
    RecordingHistoryLog history;
    ScriptedPrompts prompts;
    RecordingProgress progress;
    const AppServices services { session, history, prompts, progress };
};

TEST_F(ServerPaneListingTest, FolderReadInPartWritesOneRedLine)
{
    server.listLines = "-rw-r--r--   1 ann ann 12 Mar 05  2004 a.txt\r\nfirst garbage\r\nsecond garbage\r\n";
    connect();
    ServerPane pane(services);

    pane.RefreshServerList();
    EXPECT_EQ(rowNames(*pane.model()), (QStringList { QStringLiteral(".."), QStringLiteral("a.txt") }));
    ASSERT_EQ(history.lines().size(), 1);
    EXPECT_EQ(history.lines()[0].text,
        QStringLiteral("The server folder's listing had 2 lines that could not be read, the first: first garbage\r\n"));
    EXPECT_EQ(history.lines()[0].colour, HistoryLog::Colour::Red);
}

// A server that hangs up instead of opening the listing's data connection, as some do after a
// PORT they refuse: the pane shows no folder, and says why.
TEST_F(ServerPaneListingTest, ListingThatEndsTheConnectionWritesItsRedLine)
{
    server.onCommand = [this](const QByteArray &verb, const QByteArray &) {
        if (verb != "LIST")
            return false;
        server.disconnectClient();
        return true;
    };
    connect();
    ServerPane pane(services);

    pane.RefreshServerList();
    EXPECT_FALSE(session.isConnected());
    EXPECT_EQ(rowNames(*pane.model()), QStringList { QStringLiteral("..") });
    ASSERT_EQ(history.lines().size(), 1);
    EXPECT_TRUE(history.lines()[0].text.startsWith(text("FRMSERVER_LISTFAILED")))
        << qPrintable(history.lines()[0].text);
    EXPECT_EQ(history.lines()[0].colour, HistoryLog::Colour::Red);
}

} // namespace
