// The transfer commands in the real main window: the button strip, the menus and the panes
// wired to the engines, against a real server.
#include "app/historywindow.h"
#include "app/mainwindow.h"
#include "local/localpane.h"
#include "server/serverlistmodel.h"
#include "server/serverlistview.h"
#include "server/serverpane.h"
#include "support/ftprelay.h"
#include "support/ftptestserver.h"
#include "support/scriptedprompts.h"

#include "core/textcatalogue.h"
#include "server/serverlisting.h"
#include "session/session.h"
#include "support/englishcatalogue.h"
#include "support/localfiles.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TransferCommandsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
        m_window = std::make_unique<MainWindow>(m_prompts);
        m_window->show();
        local().selectFolder(m_local.path());
    }

    template <typename T = QWidget> T &child(const char *name) const
    {
        T *found = m_window->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    LocalPane &local() const { return child<LocalPane>("frmLocal"); }
    ServerPane &server() const { return child<ServerPane>("frmServer"); }
    // The button strip's buttons; the panes' toolbars have buttons of the same keys.
    QAction &stripButton(const char *key) const
    {
        return *child<QWidget>("frmUploadDownload").findChild<QAction *>(QString::fromLatin1(key));
    }

    void connectWindow()
    {
        child<QLineEdit>("txtAddress").setText(m_server.host());
        child<QLineEdit>("txtPort").setText(QString::number(m_server.port()));
        child<QLineEdit>("txtUserID").setText(m_server.user());
        child<QLineEdit>("txtPassword").setText(m_server.password());
        child<QAction>("connect").trigger();
        ASSERT_TRUE(m_window->session().isConnected());
    }
    void selectServerRow(const QString &name)
    {
        ServerListModel &model = *server().model();
        int row = 0;
        while (row < model.rowCount() && model.rowName(row) != name)
            ++row;
        ASSERT_LT(row, model.rowCount()) << qPrintable(name);
        server().listView()->selectionModel()->select(
            model.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    QByteArray readLocal(const QString &name) const
    {
        QFile file(m_local.path() + u'/' + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    FtpTestServer m_server;
    ScriptedPrompts m_prompts;
    QTemporaryDir m_local;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(TransferCommandsTest, StripDownloadWithoutConnectionOnlySaysSo)
{
    stripButton("del").trigger();
    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked().constFirst().text, text("FRMSERVER_NOCONNECTION"));
}

TEST_F(TransferCommandsTest, StripDownloadFetchesTheSelectionAndStaysInTheShownFolder)
{
    ASSERT_TRUE(m_server.start());
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/a.txt"), "alpha"));
    connectWindow();
    ASSERT_TRUE(SetServerDirectory(m_window->session().connection(), QStringLiteral("/pub")));
    server().RefreshServerList();
    selectServerRow(QStringLiteral("a.txt"));

    stripButton("del").trigger();

    EXPECT_EQ(readLocal(QStringLiteral("a.txt")), "alpha");
    EXPECT_EQ(local().TreeNodePath(), m_local.path() + u'/');
    // The strip asks for a fresh connection afterwards; the server is still where the pane is.
    EXPECT_EQ(GetServerDirectory(m_window->session().connection()), QStringLiteral("/pub"));
    EXPECT_FALSE(m_window->session().isBusy());
}

// The watch finds the connection gone and the user reconnects: the new connection starts in "/",
// and the pane must not go on showing a folder the server is not in.
TEST_F(TransferCommandsTest, AfterTheWatchsReconnectThePaneAndTheServerAgree)
{
    const struct {
        bool folderRemains;
        const char *place; // of the server and the pane afterwards
    } cases[] = { { true, "/pub" }, { false, "/" } };
    m_server.setRelayed(true);
    ASSERT_TRUE(m_server.start());
    // Through the relay only passive data connections work: it cannot rewrite an encrypted PORT.
    child<QCheckBox>("chkPassiveTransfer").click();
    connectWindow();
    for (const auto &c : cases) {
        // The watch asks once; the next case needs it watching again.
        child<QTimer>("timIsConnected").start();
        ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/a.txt"), "alpha"));
        ASSERT_TRUE(SetServerDirectory(m_window->session().connection(), QStringLiteral("/pub")));
        server().RefreshServerList();
        QComboBox &pathBox = *server().findChild<QComboBox *>(QStringLiteral("cboServer"));
        ASSERT_EQ(pathBox.currentText(), QStringLiteral("/pub"));
        if (!c.folderRemains) {
            ASSERT_TRUE(m_server.removeFile(QStringLiteral("pub/a.txt")));
            ASSERT_TRUE(m_server.removeFolder(QStringLiteral("pub")));
        }
        m_prompts.clearAsked();
        m_prompts.answerYesNo(true);

        m_server.relay()->dropAll();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_prompts.asked().isEmpty(); }, 10000));

        ASSERT_TRUE(m_window->session().isConnected());
        EXPECT_EQ(GetServerDirectory(m_window->session().connection()), QLatin1String(c.place));
        EXPECT_EQ(pathBox.currentText(), QLatin1String(c.place));
        const ServerListModel &model = *server().model();
        bool listsTheFile = false;
        for (int row = 0; row < model.rowCount(); ++row)
            listsTheFile = listsTheFile || model.rowName(row) == QLatin1String("a.txt");
        EXPECT_EQ(listsTheFile, c.folderRemains);
    }
}

TEST_F(TransferCommandsTest, StripUploadSendsTheLocalSelectionAndListsTheServerFolder)
{
    ASSERT_TRUE(m_server.start());
    connectWindow();
    QFile file(m_local.path() + QStringLiteral("/b.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("bravo");
    file.close();
    local().RefreshLocal();
    auto *view = local().findChild<QAbstractItemView *>(QStringLiteral("lsvDirFileReport"));
    ASSERT_NE(view, nullptr);
    QAbstractItemModel *model = view->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->index(row, 0).data().toString() == u"b.txt")
            view->selectionModel()->select(
                model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    ASSERT_EQ(local().selectedItems().size(), 1);

    stripButton("upload").trigger();
    QApplication::processEvents();

    EXPECT_EQ(m_server.readFile(QStringLiteral("b.txt")), "bravo");
    QStringList rows;
    for (int row = 0; row < server().model()->rowCount(); ++row)
        rows.append(server().model()->rowName(row));
    EXPECT_TRUE(rows.contains(QStringLiteral("b.txt")));
}

TEST_F(TransferCommandsTest, ClosingDuringADownloadClosesPromptlyAndKeepsTheLocalFile)
{
    m_server.setRelayed(true);
    ASSERT_TRUE(m_server.start());
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("big.bin"), QByteArray(16 * 1024 * 1024, 'b')));
    QFile old(m_local.path() + QStringLiteral("/big.bin"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    // Over TLS the relay reaches only passive data connections: an active one bypasses it.
    if (m_server.isTls())
        child<QCheckBox>("chkPassiveTransfer").setChecked(true);
    connectWindow();
    selectServerRow(QStringLiteral("big.bin"));

    // The window closes while the file's bytes are surely under way.
    QElapsedTimer clock;
    m_server.relay()->setDataHold(1024 * 1024);
    QObject::connect(m_server.relay(), &FtpRelay::dataHeld, m_window.get(), [this, &clock] {
        clock.start();
        m_window->close();
    });
    stripButton("del").trigger();
    // The run has unwound; the deferred close follows from the event loop.
    for (int i = 0; i < 100 && m_window->isVisible(); ++i)
        QTest::qWait(20);

    EXPECT_FALSE(m_window->isVisible());
    EXPECT_LT(clock.elapsed(), 5000) << "an upper bound, not a speed target";
    EXPECT_EQ(readLocal(QStringLiteral("big.bin")), "old");
}

// Drops through the views' own drop handling, with the data a drag of the other pane's rows or the
// desktop's file manager delivers.
class TransferDropTest : public TransferCommandsTest {
protected:
    void SetUp() override
    {
        TransferCommandsTest::SetUp();
        ASSERT_TRUE(m_server.start());
        ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/a.txt"), "alpha"));
        ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/d/b.txt"), "bravo"));
        ASSERT_TRUE(m_server.makeFolder(QStringLiteral("pub/sub")));
        ASSERT_TRUE(QDir(m_local.path()).mkdir(QStringLiteral("in")));
        ASSERT_TRUE(writeFile(m_local.path() + QStringLiteral("/c.txt"), "charlie"));
        local().RefreshLocal();
        connectWindow();
        ASSERT_TRUE(SetServerDirectory(m_window->session().connection(), QStringLiteral("/pub")));
        server().RefreshServerList();
    }

    QAbstractItemView &localList() const { return child<QAbstractItemView>("lsvDirFileReport"); }
    QAbstractItemView &localTree() const { return child<QAbstractItemView>("trwPaths"); }
    QAbstractItemView &serverList() const { return *server().listView()->currentItemView(); }

    // The index of the row named name in view's first column; invalid for an empty name.
    static QModelIndex rowIndex(const QAbstractItemView &view, const QString &name)
    {
        if (name.isEmpty())
            return {};
        const QModelIndexList found = view.model()->match(view.model()->index(0, 0), Qt::DisplayRole, name, 1,
            Qt::MatchExactly | Qt::MatchCaseSensitive | Qt::MatchRecursive);
        EXPECT_FALSE(found.isEmpty()) << qPrintable(name);
        return found.value(0);
    }
    // What a drag of the named rows of view carries: the model's own drag data.
    static std::unique_ptr<QMimeData> dragOf(const QAbstractItemView &view, const QStringList &names)
    {
        QModelIndexList indexes;
        for (const QString &name : names)
            indexes.append(rowIndex(view, name));
        return std::unique_ptr<QMimeData>(view.model()->mimeData(indexes));
    }
    // Drags data over the row at (invalid: below every row) and drops it there, in the order the
    // desktop sends the events, and lets the run the drop starts end; whether the view took the
    // drop (a drop reaches only a view that took the drag's entry).
    bool drop(QAbstractItemView &view, const QMimeData &data, const QModelIndex &at)
    {
        const QRect viewport = view.viewport()->rect();
        const QPoint point = at.isValid() ? view.visualRect(at).center() : viewport.bottomLeft() + QPoint(4, -4);
        EXPECT_TRUE(viewport.contains(point));
        QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &enter);
        QDragMoveEvent move(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view.viewport(), &move);
        QDropEvent event(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        event.setDropAction(Qt::CopyAction);
        QCoreApplication::sendEvent(view.viewport(), &event);
        QCoreApplication::processEvents();
        return event.isAccepted();
    }
    QString shownServerFolder() const
    {
        return server().findChild<QComboBox *>(QStringLiteral("cboServer"))->currentText();
    }
};

TEST_F(TransferDropTest, ServerRowsDropInTheLocalFolderUnderThePointer)
{
    const struct {
        const char *target; // "list" or "tree"
        const char *row; // dropped on; empty: below the rows
        const char *into; // the local folder, relative to the shown one
    } cases[] = { { "list", "", "" }, { "list", "in", "in/" }, { "tree", "in", "in/" } };
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.target) + " " + c.row);
        local().selectFolder(m_local.path());
        const QString into = m_local.path() + u'/' + QLatin1String(c.into);
        QFile::remove(into + QStringLiteral("a.txt"));
        QDir(into + u'd').removeRecursively();
        const auto data = dragOf(serverList(), { QStringLiteral("a.txt"), QStringLiteral("d") });
        ASSERT_TRUE(data);
        QAbstractItemView &view = QLatin1String(c.target) == u"tree" ? localTree() : localList();
        if (&view == &localTree())
            local().selectFolder(m_local.path() + QStringLiteral("/in"));

        EXPECT_TRUE(drop(view, *data, rowIndex(view, QString::fromLatin1(c.row))));

        EXPECT_EQ(contents(into + QStringLiteral("a.txt")), "alpha");
        EXPECT_EQ(contents(into + QStringLiteral("d/b.txt")), "bravo");
        EXPECT_EQ(GetServerDirectory(m_window->session().connection()), QStringLiteral("/pub"));
        EXPECT_TRUE(m_prompts.asked().isEmpty());
    }
}

TEST_F(TransferDropTest, LocalRowsAndDesktopFilesDropInTheServerFolderUnderThePointer)
{
    QTemporaryDir desktop;
    ASSERT_TRUE(writeFile(desktop.path() + QStringLiteral("/c.txt"), "from the desktop"));
    std::unique_ptr<QMimeData> fromDesktop(new QMimeData);
    fromDesktop->setUrls({ QUrl::fromLocalFile(desktop.path() + QStringLiteral("/c.txt")) });
    const struct {
        const char *source;
        const QMimeData *data;
        QByteArray bytes;
    } sources[] = { { "local pane", nullptr, "charlie" }, { "file manager", fromDesktop.get(), "from the desktop" } };
    for (const auto &source : sources) {
        for (const char *row : { "", "sub" }) {
            SCOPED_TRACE(std::string(source.source) + " on '" + row + "'");
            const QString into = QStringLiteral("pub/") + (*row ? QStringLiteral("sub/") : QString());
            m_server.removeFile(into + QStringLiteral("c.txt"));
            server().RefreshServerList();
            const auto own = dragOf(localList(), { QStringLiteral("c.txt") });
            ASSERT_TRUE(own);

            EXPECT_TRUE(drop(
                serverList(), source.data ? *source.data : *own, rowIndex(serverList(), QString::fromLatin1(row))));

            EXPECT_EQ(m_server.readFile(into + QStringLiteral("c.txt")), source.bytes);
            EXPECT_EQ(GetServerDirectory(m_window->session().connection()), QStringLiteral("/pub"));
            EXPECT_EQ(shownServerFolder(), QStringLiteral("/pub"));
            EXPECT_TRUE(m_prompts.asked().isEmpty());
        }
    }
}

TEST_F(TransferDropTest, DropWhileARunIsUnderWayIsRefusedWithTheBusyMessage)
{
    const auto serverRows = dragOf(serverList(), { QStringLiteral("a.txt") });
    const auto localRows = dragOf(localList(), { QStringLiteral("c.txt") });
    {
        Session::Run run(m_window->session());
        drop(localList(), *serverRows, {});
        drop(serverList(), *localRows, {});
    }
    ASSERT_EQ(m_prompts.asked().size(), 2);
    for (const auto &asked : m_prompts.asked())
        EXPECT_EQ(asked.text, text("FTP_BUSY"));
    EXPECT_FALSE(QFile::exists(m_local.path() + QStringLiteral("/a.txt")));
    EXPECT_FALSE(m_server.exists(QStringLiteral("pub/c.txt")));
}

TEST_F(TransferDropTest, DropOntoThePaneTheRowsCameFromDoesNothing)
{
    const QString before = m_window->historyWindow()->plainText();
    const auto serverRows = dragOf(serverList(), { QStringLiteral("a.txt"), QStringLiteral("d") });
    const auto localRows = dragOf(localList(), { QStringLiteral("c.txt"), QStringLiteral("in") });

    EXPECT_FALSE(drop(serverList(), *serverRows, rowIndex(serverList(), QStringLiteral("sub"))));
    EXPECT_FALSE(drop(serverList(), *serverRows, {}));
    EXPECT_FALSE(drop(localList(), *localRows, rowIndex(localList(), QStringLiteral("in"))));
    EXPECT_FALSE(drop(localTree(), *localRows, rowIndex(localTree(), QStringLiteral("in"))));

    EXPECT_EQ(m_window->historyWindow()->plainText(), before);
    EXPECT_TRUE(m_prompts.asked().isEmpty());
    EXPECT_FALSE(m_server.exists(QStringLiteral("pub/sub/a.txt")));
    EXPECT_FALSE(QFile::exists(m_local.path() + QStringLiteral("/in/c.txt")));
}

} // namespace
