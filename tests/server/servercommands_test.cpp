// The server pane's item commands against a real FTP server: rename, new folder, the one-file
// rule, the connection test of the main menu, open and open with through a private desktop, and
// the delete with its path-box prune.
#include "core/appservices.h"
#include "core/textcatalogue.h"
#include "local/openwithdialog.h"
#include "local/privatedesktop.h"
#include "server/servercommands.h"
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
#include "support/scriptedprompts.h"
#include "support/testtransferhost.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QItemSelectionModel>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <tuple>

namespace {

using Colour = HistoryLog::Colour;
using Kind = ScriptedPrompts::Asked::Kind;

const QString CrLf = QStringLiteral("\r\n");

// One history line: its text without the line end, and its colour.
struct Line {
    QString text;
    Colour colour;
    bool operator==(const Line &other) const { return text == other.text && colour == other.colour; }
};

void PrintTo(const Line &line, std::ostream *out)
{
    *out << '"' << line.text.toStdString() << "\" colour " << std::hex << unsigned(line.colour);
}

Line black(const QString &text)
{
    return { text, Colour::Black };
}
Line green(const QString &text)
{
    return { text, Colour::Green };
}
Line red(const QString &text)
{
    return { text, Colour::Red };
}

class ServerCommandsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        PrivateDesktop::instance();
        // The scratch folder goes below the test-mode cache, never the user's own.
        QStandardPaths::setTestModeEnabled(true);
        ASSERT_TRUE(useEnglishCatalogue());
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_server.start());
        ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/a.txt"), "alpha\n"));
        ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/ lead.txt"), "lead"));
        ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/x.ferrolinkunknown"), QByteArray("\x00\x01", 2)));
        ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/old/f.txt"), "f"));
        ASSERT_TRUE(m_host.ReconnectFtp());
        // The lines of the connect are not the commands'.
        m_history.clear();
        m_pane = std::make_unique<ServerPane>(m_services);
        m_pane->setTransferHost(&m_host);
        m_pane->itemCommands()->setDialogRunner([this](QDialog &dialog) {
            ++m_dialogsShown;
            return m_onDialog ? m_onDialog(dialog) : int(QDialog::Rejected);
        });
        m_pane->resize(640, 400);
        m_pane->show();
        listFolder(QStringLiteral("/pub"));
        m_host.reconnects = 0;
    }

    ServerListModel &model() const { return *m_pane->model(); }
    ServerListView &list() const { return *m_pane->listView(); }
    QComboBox &pathBox() const { return *m_pane->findChild<QComboBox *>(QStringLiteral("cboServer")); }
    QAction &action(const char *name) const
    {
        QAction *found = m_pane->findChild<QAction *>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    QString serverDirectory() const { return GetServerDirectory(m_session.connection()); }

    QStringList rows() const { return rowNames(model()); }
    QStringList pathEntries() const { return itemTexts(pathBox()); }
    QList<Line> lines() const
    {
        QList<Line> result;
        for (const auto &line : m_history.lines()) {
            EXPECT_TRUE(line.text.endsWith(CrLf)) << qPrintable(line.text);
            result.append({ line.text.chopped(2), line.colour });
        }
        return result;
    }
    // The server's reason follows a red line; only how the line begins is the program's.
    QList<Line> linesWithoutReasons(const char *redKey) const
    {
        QList<Line> result = lines();
        for (Line &line : result) {
            if (line.colour == Colour::Red && line.text.startsWith(text(redKey)))
                line.text = text(redKey);
        }
        return result;
    }

    void listFolder(const QString &path)
    {
        ASSERT_TRUE(SetServerDirectory(m_session.connection(), path));
        m_pane->RefreshServerList();
    }
    void select(const QStringList &names)
    {
        list().selectionModel()->clearSelection();
        for (const QString &name : names) {
            const QModelIndex index = model().index(int(rows().indexOf(name)), 0);
            ASSERT_TRUE(index.isValid()) << qPrintable(name);
            list().selectionModel()->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }
    static QString scratchPath(const QString &name)
    {
        return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/tempvantc/") + name;
    }
    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    FtpTestServer m_server;
    Session m_session;
    RecordingHistoryLog m_history;
    ScriptedPrompts m_prompts;
    RecordingProgress m_progress;
    AppServices m_services { m_session, m_history, m_prompts, m_progress };
    TestTransferHost m_host { m_services, m_server };
    std::unique_ptr<ServerPane> m_pane;
    int m_dialogsShown = 0;
    std::function<int(QDialog &)> m_onDialog;
};

struct RenameCase {
    const char *name;
    const char *row;
    std::optional<QString> answer;
    const char *resultKey; // the line after the "renaming" line
    Colour resultColour;
    const char *listedAfter; // the row that must be listed afterwards
    const char *goneAfter; // the row that must not; nullptr when nothing went
};

const RenameCase renameCases[] = {
    { "Renames", "a.txt", QStringLiteral("b.txt"), "FRMPUSERVER_RENAMEOK", Colour::Green, "b.txt", "a.txt" },
    // The row's name exactly as listed; the typed one loses its stray blanks.
    { "RenamesTheExactNameToTheTrimmedAnswer", " lead.txt", QStringLiteral("  led.txt "), "FRMPUSERVER_RENAMEOK",
        Colour::Green, "led.txt", " lead.txt" },
    { "Cancelled", "a.txt", std::nullopt, "FRMPUSERVER_RENAMECANCEL", Colour::Red, "a.txt", nullptr },
    { "EmptyAnswerCancels", "a.txt", QStringLiteral("  "), "FRMPUSERVER_RENAMECANCEL", Colour::Red, "a.txt", nullptr },
    { "RefusedByTheServer", "a.txt", QStringLiteral("no such folder/b.txt"), "FRMPUSERVER_RENAMEFAILED", Colour::Red,
        "a.txt", nullptr },
    { "NoRowSelected", "", QStringLiteral("b.txt"), "FRMPUSERVER_RENAMEFAILED", Colour::Red, "a.txt", nullptr },
};

class RenameTest : public ServerCommandsTest, public ::testing::WithParamInterface<RenameCase> { };

void PrintTo(const RenameCase &c, std::ostream *out)
{
    *out << c.name;
}

TEST_P(RenameTest, RenamesTheSelectedRow)
{
    const RenameCase &c = GetParam();
    const QString row = QString::fromUtf8(c.row);
    select(row.isEmpty() ? QStringList() : QStringList { row });
    m_prompts.answerInput(c.answer);

    action("mnuUmbenennen").trigger();

    ASSERT_EQ(m_prompts.asked().size(), 1);
    const auto &asked = m_prompts.asked()[0];
    EXPECT_EQ(asked.kind, Kind::Input);
    EXPECT_EQ(asked.text, text("FRMPUSERVER_NEWNAME") + u' ' + row + QStringLiteral(" ?"));
    EXPECT_EQ(asked.defaultText, row);
    EXPECT_TRUE(asked.position.has_value());
    EXPECT_EQ(linesWithoutReasons("FRMPUSERVER_RENAMEFAILED"),
        (QList<Line> { black(text("FRMPUSERVER_RENAMEOF") + u' ' + row), { text(c.resultKey), c.resultColour } }));
    EXPECT_TRUE(rows().contains(QString::fromUtf8(c.listedAfter)));
    if (c.goneAfter) {
        EXPECT_FALSE(rows().contains(QString::fromUtf8(c.goneAfter)));
    }
    EXPECT_EQ(rows().size(), 5); // "..", old, the three files
}

INSTANTIATE_TEST_SUITE_P(Cases, RenameTest, ::testing::ValuesIn(renameCases),
    [](const ::testing::TestParamInfo<RenameCase> &info) { return std::string(info.param.name); });

TEST_F(ServerCommandsTest, NewFolderIsCreatedListedOrReportedAndCancelWritesNothing)
{
    const struct {
        std::optional<QString> answer;
        QList<Line> expected;
        const char *listed;
    } cases[] = {
        { QStringLiteral(" fresh "),
            { black(text("FRMPUSERVER_DIRNEW1") + QStringLiteral(" fresh ") + text("FRMPUSERVER_DIRNEW2")),
                green(text("FRMPUSERVER_DIROK")) },
            "fresh" },
        { std::nullopt, {}, nullptr },
        { QString(), {}, nullptr },
        { QStringLiteral("old"),
            { black(text("FRMPUSERVER_DIRNEW1") + QStringLiteral(" old ") + text("FRMPUSERVER_DIRNEW2")),
                red(text("FRMPUSERVER_DIRFAILED")) },
            nullptr },
    };
    for (const auto &c : cases) {
        m_history.clear();
        m_prompts.clearAsked();
        const QStringList before = rows();
        m_prompts.answerInput(c.answer);

        action("mnuNeuVerzeichnis").trigger();

        ASSERT_EQ(m_prompts.asked().size(), 1);
        EXPECT_EQ(m_prompts.asked()[0].text, text("FRMPUSERVER_FOLDNAME"));
        EXPECT_TRUE(m_prompts.asked()[0].defaultText.isEmpty());
        EXPECT_EQ(linesWithoutReasons("FRMPUSERVER_DIRFAILED"), c.expected);
        if (c.listed) {
            EXPECT_TRUE(m_server.exists(QStringLiteral("pub/") + QLatin1String(c.listed)));
            EXPECT_TRUE(rows().contains(QLatin1String(c.listed)));
        } else {
            EXPECT_EQ(rows(), before);
        }
    }
}

// Two selected rows, the ".." row among them or not: the one-item commands only say so, in the
// menus' words or, for the toolbar's open button, in its own.
TEST_F(ServerCommandsTest, TwoSelectedRowsGiveTheOneFileMessageOfTheEntryPoint)
{
    const std::pair<std::function<void()>, const char *> entryPoints[] = {
        { [this] { m_pane->openSelection(); }, "FRMPUSERVER_ONEFILE" },
        { [this] { action("mnuOeffnen").trigger(); }, "FRMPUSERVER_ONEFILE" },
        { [this] { action("open").trigger(); }, "FRMSERVER_ONLYONEFILE" },
        { [this] { m_pane->openSelectionWith(); }, "FRMPUSERVER_ONEFILE" },
        { [this] { action("mnuOeffnenMit").trigger(); }, "FRMPUSERVER_ONEFILE" },
        { [this] { m_pane->renameSelection(); }, "FRMPUSERVER_ONEFILE" },
        { [this] { action("mnuUmbenennen").trigger(); }, "FRMPUSERVER_ONEFILE" },
    };
    for (const QStringList &selection : { QStringList { QStringLiteral("a.txt"), QStringLiteral("x.ferrolinkunknown") },
             QStringList { QStringLiteral(".."), QStringLiteral("a.txt") } }) {
        select(selection);
        for (const auto &[run, key] : entryPoints) {
            m_prompts.clearAsked();
            run();
            ASSERT_EQ(m_prompts.asked().size(), 1) << key;
            EXPECT_EQ(m_prompts.asked()[0].kind, Kind::Message);
            EXPECT_EQ(m_prompts.asked()[0].text, text(key));
            EXPECT_EQ(m_prompts.asked()[0].icon, Prompts::Icon::Information);
        }
    }
    EXPECT_TRUE(m_history.lines().isEmpty());
    EXPECT_EQ(m_dialogsShown, 0);
}

TEST_F(ServerCommandsTest, MainMenuCommandsWithoutConnectionOnlySaySo)
{
    select({ QStringLiteral("a.txt") });
    m_session.closeConnection();
    const std::function<void()> commands[] = {
        [this] { m_pane->openSelection(); },
        [this] { m_pane->openSelectionWith(); },
        [this] { m_pane->renameSelection(); },
        [this] { m_pane->deleteSelection(); },
        [this] { m_pane->newFolder(); },
        [this] { m_pane->refresh(); },
    };
    for (const auto &command : commands) {
        m_prompts.clearAsked();
        command();
        ASSERT_EQ(m_prompts.asked().size(), 1);
        EXPECT_EQ(m_prompts.asked()[0].text, text("FRMSERVER_NOCONNECTION"));
        EXPECT_EQ(m_prompts.asked()[0].icon, Prompts::Icon::Information);
    }
    EXPECT_TRUE(m_history.lines().isEmpty());
    EXPECT_EQ(m_host.reconnects, 0);
    EXPECT_TRUE(m_server.exists(QStringLiteral("pub/a.txt")));
}

// The private desktop's recorder opens text: the copy in the scratch folder reaches it as one
// argument, and the four lines come in their colours, in the menus' or the toolbar's words.
TEST_F(ServerCommandsTest, OpenFetchesAScratchCopyAndStartsTheDefaultApplication)
{
    const PrivateDesktop &desktop = PrivateDesktop::instance();
    ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/with blanks.txt"), "text\n"));
    m_pane->RefreshServerList();
    const QString copy = scratchPath(QStringLiteral("with blanks.txt"));
    const struct {
        const char *action;
        std::array<const char *, 4> keys;
    } variants[] = {
        { "mnuOeffnen", { "FRMPUSERVER_STARTDOWN", "FRMPUSERVER_DOWNOK", "FRMPUSERVER_OPEN", "FRMPUSERVER_OPENOK" } },
        { "open", { "FRMSERVER_STARTDOWN", "FRMSERVER_DOWNOK", "FRMSERVER_OPENFILE", "FRMSERVER_OPENOK" } },
    };
    for (const auto &variant : variants) {
        QFile::remove(copy);
        QFile::remove(desktop.recordFile());
        m_history.clear();
        select({ QStringLiteral("with blanks.txt") });

        action(variant.action).trigger();

        const QString name = QStringLiteral("with blanks.txt");
        EXPECT_EQ(lines(),
            (QList<Line> { black(text(variant.keys[0]) + u' ' + name), green(text(variant.keys[1])),
                black(text(variant.keys[2]) + u' ' + name), green(text(variant.keys[3])) }))
            << variant.action;
        EXPECT_EQ(readFile(copy), "text\n");
        EXPECT_TRUE(desktop.waitForLaunch(copy)) << variant.action;
        EXPECT_TRUE(m_prompts.asked().isEmpty());
    }
}

TEST_F(ServerCommandsTest, OpenWithoutAProgramAsksAndNoKeepsTheCopy)
{
    const QString copy = scratchPath(QStringLiteral("x.ferrolinkunknown"));
    QFile::remove(copy);
    const struct {
        const char *action;
        const char *noApp1;
        const char *noApp2;
        const char *declined;
    } variants[] = {
        { "mnuOeffnen", "FRMPUSERVER_NOAPP1", "FRMPUSERVER_NOAPP2", "FRMPUSERVER_OPENCANCEL" },
        { "open", "FRMSERVER_NOAPP1", "FRMSERVER_NOAPP2", "FRMSERVER_OPENCANCEL" },
    };
    for (const auto &variant : variants) {
        m_prompts.clearAsked();
        select({ QStringLiteral("x.ferrolinkunknown") });
        m_prompts.answerYesNo(false);

        action(variant.action).trigger();

        ASSERT_EQ(m_prompts.asked().size(), 1);
        EXPECT_EQ(m_prompts.asked()[0].kind, Kind::YesNo);
        EXPECT_EQ(m_prompts.asked()[0].text, text(variant.noApp1) + CrLf + text(variant.noApp2));
        ASSERT_FALSE(m_history.lines().isEmpty());
        EXPECT_EQ(lines().constLast(), red(text(variant.declined)));
        EXPECT_EQ(readFile(copy), QByteArray("\x00\x01", 2));
        EXPECT_EQ(m_dialogsShown, 0);
    }

    // Yes shows the chooser for the copy.
    QString chosenPath;
    m_onDialog = [&](QDialog &dialog) {
        chosenPath = qobject_cast<OpenWithDialog *>(&dialog)->path();
        return int(QDialog::Rejected);
    };
    m_prompts.answerYesNo(true);
    action("mnuOeffnen").trigger();
    EXPECT_EQ(m_dialogsShown, 1);
    EXPECT_EQ(chosenPath, copy);
}

TEST_F(ServerCommandsTest, OpenWithFetchesTheCopyAndStartsTheChosenApplication)
{
    const PrivateDesktop &desktop = PrivateDesktop::instance();
    const QString copy = scratchPath(QStringLiteral("x.ferrolinkunknown"));
    QFile::remove(desktop.recordFile());
    m_onDialog = [](QDialog &dialog) {
        auto *chooser = qobject_cast<OpenWithDialog *>(&dialog);
        EXPECT_TRUE(chooser && chooser->selectApplication(PrivateDesktop::applicationId()));
        return int(QDialog::Accepted);
    };
    select({ QStringLiteral("x.ferrolinkunknown") });

    action("mnuOeffnenMit").trigger();

    const QString name = QStringLiteral("x.ferrolinkunknown");
    EXPECT_EQ(lines(),
        (QList<Line> { black(text("FRMPUSERVER_DOWNSTART") + u' ' + name), green(text("FRMPUSERVER_DOWNOK")),
            black(text("FRMPUSERVER_OPENDIA")) }));
    EXPECT_EQ(m_dialogsShown, 1);
    EXPECT_TRUE(desktop.waitForLaunch(copy));
}

// The copy that Open handed to the desktop is watched: a save asks whether it goes back into the
// folder it came from, and only Yes changes the server's file.
TEST_F(ServerCommandsTest, ASavedCopyOfAnOpenedFileGoesBackOnlyOnYes)
{
    const PrivateDesktop &desktop = PrivateDesktop::instance();
    const QString copy = scratchPath(QStringLiteral("a.txt"));
    const struct {
        bool yes;
        QByteArray onServer;
    } answers[] = { { false, "alpha\n" }, { true, "alpha, edited\n" } };
    for (const auto &answer : answers) {
        SCOPED_TRACE(answer.yes ? "yes" : "no");
        ASSERT_TRUE(m_server.writeFile(QStringLiteral("pub/a.txt"), "alpha\n"));
        m_prompts.clearAsked();
        QFile::remove(desktop.recordFile());
        select({ QStringLiteral("a.txt") });
        action("mnuOeffnen").trigger();
        ASSERT_TRUE(desktop.waitForLaunch(copy));
        ASSERT_TRUE(m_prompts.asked().isEmpty());
        m_prompts.answerYesNo(answer.yes);

        QFile file(copy);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("alpha, edited\n");
        file.close();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !m_prompts.asked().isEmpty(); }, 10000));

        EXPECT_EQ(m_prompts.asked().constFirst().kind, Kind::YesNo);
        EXPECT_EQ(m_prompts.asked().constFirst().text,
            text("EDIT_UPLOADBACK").arg(QStringLiteral("a.txt"), QStringLiteral("/pub")));
        // Sent in ASCII type: the server keeps the line ends its own way.
        EXPECT_EQ(m_server.readTextFile(QStringLiteral("pub/a.txt")), answer.onServer);
        EXPECT_EQ(serverDirectory(), QStringLiteral("/pub"));
    }
}

// A copy from an earlier open survives a download that fails; a folder row cannot be fetched.
TEST_F(ServerCommandsTest, FailedDownloadForOpeningKeepsTheEarlierCopy)
{
    const QString copy = scratchPath(QStringLiteral("x.ferrolinkunknown"));
    select({ QStringLiteral("x.ferrolinkunknown") });
    m_onDialog = [](QDialog &) { return int(QDialog::Rejected); };
    action("mnuOeffnenMit").trigger();
    ASSERT_EQ(readFile(copy), QByteArray("\x00\x01", 2));
    ASSERT_TRUE(m_server.removeFile(QStringLiteral("pub/x.ferrolinkunknown")));

    for (const char *row : { "x.ferrolinkunknown", "old", ".." }) {
        m_history.clear();
        select({ QString::fromUtf8(row) });
        action("mnuOeffnenMit").trigger();
        EXPECT_EQ(linesWithoutReasons("FRMPUSERVER_DOWNFAILED"),
            (QList<Line> { black(text("FRMPUSERVER_DOWNSTART") + u' ' + QString::fromUtf8(row)),
                red(text("FRMPUSERVER_DOWNFAILED")) }));
    }
    EXPECT_EQ(readFile(copy), QByteArray("\x00\x01", 2));
}

// Every way to delete asks the Delete key's question first; No deletes nothing and says
// nothing, Yes removes the tree, the path box loses the removed folder, keeps "/", and the list
// shows the folder afterwards.
enum class DeleteEntry { ToolBar, ContextMenu, MainMenu, DeleteKey };

class ServerDeleteTest : public ServerCommandsTest, public testing::WithParamInterface<std::tuple<DeleteEntry, bool>> {
protected:
    void startDelete(DeleteEntry entry)
    {
        switch (entry) {
        case DeleteEntry::ToolBar:
            action("del").trigger();
            break;
        case DeleteEntry::ContextMenu:
            action("mnuLoeschen").trigger();
            break;
        case DeleteEntry::MainMenu:
            m_pane->deleteSelection();
            break;
        case DeleteEntry::DeleteKey:
            QTest::keyClick(list().currentItemView(), Qt::Key_Delete);
            break;
        }
    }
};

TEST_P(ServerDeleteTest, AsksFirstAndOnlyYesRemovesTheTree)
{
    const auto [entry, yes] = GetParam();
    listFolder(QStringLiteral("/pub/old"));
    listFolder(QStringLiteral("/"));
    listFolder(QStringLiteral("/pub"));
    const QStringList before = pathEntries();
    ASSERT_EQ(before, (QStringList { QStringLiteral("/pub"), QStringLiteral("/pub/old"), QStringLiteral("/") }));

    select({ QStringLiteral("old") });
    m_prompts.answerYesNo(yes);
    startDelete(entry);

    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked()[0].kind, Kind::YesNo);
    EXPECT_EQ(m_prompts.asked()[0].text, QStringLiteral("Delete Selection?"));
    EXPECT_EQ(m_server.exists(QStringLiteral("pub/old/f.txt")), !yes);
    EXPECT_EQ(m_server.exists(QStringLiteral("pub/old")), !yes);
    EXPECT_EQ(rows().contains(u"old"), !yes);
    EXPECT_EQ(serverDirectory(), QStringLiteral("/pub"));
    if (yes) {
        EXPECT_EQ(pathEntries(), (QStringList { QStringLiteral("/pub"), QStringLiteral("/") }));
        EXPECT_EQ(pathBox().currentText(), QStringLiteral("/pub"));
        ASSERT_FALSE(lines().isEmpty());
        EXPECT_EQ(lines().first(), black(text("MDEL_DELFILE") + QStringLiteral(" /pub/old/f.txt")));
    } else {
        EXPECT_EQ(pathEntries(), before);
        EXPECT_TRUE(m_history.lines().isEmpty());
    }
}

std::string deleteCaseName(const testing::TestParamInfo<std::tuple<DeleteEntry, bool>> &info)
{
    static const char *const names[] = { "toolbar", "context_menu", "main_menu", "delete_key" };
    return std::string(names[int(std::get<0>(info.param))]) + (std::get<1>(info.param) ? "_yes" : "_no");
}

INSTANTIATE_TEST_SUITE_P(EntryPoints, ServerDeleteTest,
    testing::Combine(
        testing::Values(DeleteEntry::ToolBar, DeleteEntry::ContextMenu, DeleteEntry::MainMenu, DeleteEntry::DeleteKey),
        testing::Bool()),
    deleteCaseName);

} // namespace
