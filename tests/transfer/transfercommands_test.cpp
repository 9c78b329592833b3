// The transfer commands in the real main window: the button strip, the menus and the panes
// wired to the engines, against a real server.
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
#include "support/englishcatalogue.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

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

} // namespace
