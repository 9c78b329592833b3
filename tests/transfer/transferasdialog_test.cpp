// The download-as and upload-as dialogs in the real main window: what they show, the entry
// points' selection rules, and the panes afterwards.
#include "app/historywindow.h"
#include "app/mainwindow.h"
#include "core/textcatalogue.h"
#include "local/localpane.h"
#include "server/serverlisting.h"
#include "server/serverlistmodel.h"
#include "server/serverlistview.h"
#include "server/serverpane.h"
#include "support/englishcatalogue.h"
#include "support/ftptestserver.h"
#include "support/scriptedprompts.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

class TransferAsDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(useEnglishCatalogue());
        m_window = std::make_unique<MainWindow>(m_prompts);
        m_window->show();
        local().selectFolder(m_local.path());
        ASSERT_TRUE(m_server.start());
    }

    template <typename T = QWidget> T &child(const QObject &parent, const char *name) const
    {
        T *found = parent.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    LocalPane &local() const { return child<LocalPane>(*m_window, "frmLocal"); }
    ServerPane &server() const { return child<ServerPane>(*m_window, "frmServer"); }

    void connectWindow()
    {
        child<QLineEdit>(*m_window, "txtAddress").setText(m_server.host());
        child<QLineEdit>(*m_window, "txtPort").setText(QString::number(m_server.port()));
        child<QLineEdit>(*m_window, "txtUserID").setText(m_server.user());
        child<QLineEdit>(*m_window, "txtPassword").setText(m_server.password());
        child<QAction>(*m_window, "connect").trigger();
        ASSERT_TRUE(m_window->session().isConnected());
    }
    void selectServerRows(const QStringList &names)
    {
        ServerListModel &model = *server().model();
        QItemSelectionModel *selection = server().listView()->selectionModel();
        selection->clear();
        for (int row = 0; row < model.rowCount(); ++row) {
            if (names.contains(model.rowName(row)))
                selection->select(model.index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        ASSERT_EQ(server().selectedItems().size(), names.size());
    }
    void selectLocalRows(const QStringList &names)
    {
        local().RefreshLocal();
        auto &view = child<QAbstractItemView>(local(), "lsvDirFileReport");
        view.selectionModel()->clear();
        for (int row = 0; row < view.model()->rowCount(); ++row) {
            const QModelIndex index = view.model()->index(row, 0);
            if (names.contains(index.data().toString()))
                view.selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
        ASSERT_EQ(local().selectedItems().size(), names.size());
    }
    QStringList localRows() const
    {
        auto &view = child<QAbstractItemView>(local(), "lsvDirFileReport");
        QStringList rows;
        for (int row = 0; row < view.model()->rowCount(); ++row)
            rows.append(view.model()->index(row, 0).data().toString());
        return rows;
    }
    QStringList serverRows() const
    {
        QStringList rows;
        for (int row = 0; row < server().model()->rowCount(); ++row)
            rows.append(server().model()->rowName(row));
        return rows;
    }
    void writeLocal(const QString &name, const QByteArray &data) const
    {
        QFile file(m_local.path() + u'/' + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }
    // Runs the command; answer gets the dialog it opens, if it opens one. True when one opened.
    bool runCommand(const char *action, const std::function<void(QDialog &)> &answer)
    {
        bool opened = false;
        QTimer poll;
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                poll.stop();
                opened = true;
                answer(*dialog);
            }
        });
        poll.start();
        child<QAction>(*m_window, action).trigger();
        return opened;
    }
    static QString labelText(const QDialog &dialog, const char *name)
    {
        const auto *label = dialog.findChild<QLabel *>(QString::fromLatin1(name));
        return label ? label->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
    }
    static void typeAndClick(QDialog &dialog, const QString &name, const char *button)
    {
        dialog.findChild<QLineEdit *>(QStringLiteral("txtNeuerName"))->setText(name);
        dialog.findChild<QPushButton *>(QLatin1String(button))->click();
    }

    FtpTestServer m_server;
    ScriptedPrompts m_prompts;
    QTemporaryDir m_local;
    std::unique_ptr<MainWindow> m_window;
};

TEST_F(TransferAsDialogTest, DownloadAsShowsTheRowAndFetchesItUnderTheTypedName)
{
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("a.txt"), "alpha"));
    connectWindow();
    selectServerRows({ QStringLiteral("a.txt") });
    const ServerEntry &entry = *server().model()->entryAt(server().listView()->selectedRows().constFirst());

    const bool opened = runCommand("mnuMyServerDownloadAls", [&](QDialog &dialog) {
        EXPECT_EQ(dialog.objectName(), u"frmDownloadAls");
        EXPECT_EQ(dialog.windowTitle(), text("FRMDOWNLOADALS_MECAPTION"));
        EXPECT_EQ(labelText(dialog, "lblNewName"), text("FRMDOWNLOADALS_NEWNAME"));
        EXPECT_EQ(labelText(dialog, "lblName"), u"a.txt");
        EXPECT_EQ(labelText(dialog, "lblGroesse"), entry.sizeText);
        EXPECT_EQ(labelText(dialog, "lblGeaendert"), entry.changedText);
        EXPECT_EQ(labelText(dialog, "lblFileType"), entry.typeName);
        // Typing replaces the old name: all of it is selected.
        EXPECT_EQ(dialog.findChild<QLineEdit *>(QStringLiteral("txtNeuerName"))->selectedText(), u"a.txt");
        typeAndClick(dialog, QStringLiteral(" b.txt "), "cmdDownload");
    });

    ASSERT_TRUE(opened);
    QFile arrived(m_local.path() + QStringLiteral("/b.txt"));
    ASSERT_TRUE(arrived.open(QIODevice::ReadOnly));
    EXPECT_EQ(arrived.readAll(), "alpha");
    EXPECT_TRUE(m_window->historyWindow()->plainText().contains(
        text("MDOWN_DOWNSTART") + QStringLiteral(" a.txt als ") + m_local.path() + QStringLiteral("/b.txt")));
    EXPECT_TRUE(localRows().contains(QStringLiteral("b.txt")));
    EXPECT_FALSE(localRows().contains(QStringLiteral("a.txt")));
    EXPECT_FALSE(m_window->session().isBusy());
}

TEST_F(TransferAsDialogTest, UploadAsSendsUnderTheNewNameAndListsTheServerFolder)
{
    writeLocal(QStringLiteral("c.txt"), "charlie");
    connectWindow();
    selectLocalRows({ QStringLiteral("c.txt") });

    const bool opened = runCommand("mnuMyComputerUploadAls", [](QDialog &dialog) {
        EXPECT_EQ(dialog.objectName(), u"frmUploadAls");
        EXPECT_EQ(labelText(dialog, "lblAlterName"), text("FRMUPAS_OLDNAME"));
        EXPECT_EQ(labelText(dialog, "lblName"), u"c.txt");
        typeAndClick(dialog, QStringLiteral("d.txt"), "cmdUpload");
    });

    ASSERT_TRUE(opened);
    EXPECT_EQ(m_server.readFile(QStringLiteral("d.txt")), QByteArray("charlie"));
    EXPECT_TRUE(serverRows().contains(QStringLiteral("d.txt")));
}

// The entry points that only say something, or do nothing, and never open a dialog.
TEST_F(TransferAsDialogTest, SelectionRulesOpenNoDialog)
{
    const struct {
        const char *action;
        bool connected;
        QStringList serverRows;
        QStringList localRows;
        const char *message; // nullptr: nothing at all
    } cases[] = {
        { "mnuMyServerDownloadAls", true, { QStringLiteral("a.txt"), QStringLiteral("c.txt") }, {},
            "FRMPUSERVER_ONEFILE" },
        { "mnuMyServerDownloadAls", true, { QStringLiteral("backup..old") }, {}, nullptr },
        { "mnuMyServerDownloadAls", true, { QStringLiteral("..") }, {}, nullptr },
        { "mnuMyServerDownloadAls", false, {}, {}, "FRMSERVER_NOCONNECTION" },
        { "mnuMyComputerUploadAls", true, {}, { QStringLiteral("a.txt"), QStringLiteral("c.txt") },
            "FRMPULOC_ONEFILE" },
        { "mnuMyComputerUploadAls", false, {}, { QStringLiteral("a.txt") }, "FRMPULOC_NOCONN" },
    };
    for (const char *name : { "a.txt", "c.txt", "backup..old" }) {
        ASSERT_TRUE(m_server.writeFile(QString::fromLatin1(name), "x"));
        writeLocal(QString::fromLatin1(name), "x");
    }
    for (const auto &c : cases) {
        SCOPED_TRACE(c.action + (u' ' + c.serverRows.join(u',') + c.localRows.join(u',')).toStdString());
        if (c.connected && !m_window->session().isConnected())
            connectWindow();
        if (!c.connected)
            m_window->session().closeConnection();
        if (c.connected)
            selectServerRows(c.serverRows);
        selectLocalRows(c.localRows);
        m_prompts.clearAsked();
        const QString logBefore = m_window->historyWindow()->plainText();

        EXPECT_FALSE(runCommand(c.action, [](QDialog &dialog) { dialog.reject(); }));

        if (c.message) {
            ASSERT_EQ(m_prompts.asked().size(), 1);
            EXPECT_EQ(m_prompts.asked().constFirst().text, text(c.message));
            EXPECT_EQ(m_prompts.asked().constFirst().icon, Prompts::Icon::Information);
        } else {
            EXPECT_TRUE(m_prompts.asked().isEmpty());
        }
        EXPECT_EQ(m_window->historyWindow()->plainText(), logBefore);
    }
}

} // namespace
