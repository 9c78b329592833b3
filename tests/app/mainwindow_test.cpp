#include "app/historywindow.h"
#include "app/mainwindow.h"
#include "connection/recentservers.h"
#include "core/textcatalogue.h"
#include "support/englishcatalogue.h"
#include "support/scriptedprompts.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTabBar>
#include <QTcpServer>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString placeholder = QStringLiteral("########");

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Closing a main window closes the catalogue, so every test opens it afresh.
        ASSERT_TRUE(useEnglishCatalogue());
    }

    template <typename T = QWidget> static T *child(const QWidget &window, const char *name)
    {
        T *found = window.findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    static void showActive(MainWindow &window)
    {
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    ScriptedPrompts m_prompts;
};

// Both panes take W/2 - 200 twips, the button strip starts at W/2 - 200, the history window runs
// the full width along the bottom, and the panes end where it begins.
TEST_F(MainWindowTest, ChildWindowsFollowTheWindowSize)
{
    MainWindow window(m_prompts);
    showActive(window);
    for (const QSize size : { QSize(), QSize(700, 480), QSize(1400, 960), QSize(900, 600) }) {
        if (size.isValid())
            window.resize(size);
        QApplication::processEvents();
        const int outerWidth = window.frameGeometry().width() * 15;
        const double pane = (outerWidth / 2 - 200) / 15.0;
        auto *local = child(window, "frmLocal");
        auto *buttons = child(window, "frmUploadDownload");
        auto *server = child(window, "frmServer");
        auto *history = child(window, "frmTransferHistory");
        auto *client = child(window, "clientArea");
        SCOPED_TRACE(testing::Message() << "width " << window.width() << " height " << window.height());

        EXPECT_EQ(local->pos(), QPoint(0, 0));
        EXPECT_NEAR(local->width(), pane, 1.0);
        EXPECT_NEAR(server->width(), pane, 1.0);
        EXPECT_NEAR(buttons->x(), pane, 1.0);
        EXPECT_NEAR(buttons->width(), 400 / 15.0, 1.0);
        EXPECT_EQ(buttons->x(), local->geometry().right() + 1);
        EXPECT_EQ(server->x(), buttons->geometry().right() + 1);

        EXPECT_EQ(history->x(), 0);
        EXPECT_EQ(history->width(), window.frameGeometry().width());
        EXPECT_EQ(history->height(), 134); // 2010 twips
        EXPECT_EQ(history->geometry().bottom() + 1, client->height() - 1); // 10 twips above the bottom
        for (const QWidget *pane : { local, buttons, server }) {
            EXPECT_EQ(pane->y(), 0);
            EXPECT_NEAR(pane->geometry().bottom() + 1, history->y(), 1.0) << qPrintable(pane->objectName());
        }
        EXPECT_NEAR(
            local->height(), (window.frameGeometry().height() * 15 - 2010 - window.frameReserveTwips()) / 15.0, 1.0);

        // The strip's toolbars sit one above and one below its middle.
        auto *upload = child(*buttons, "tlbUpload");
        auto *download = child(*buttons, "tlbDownload");
        EXPECT_EQ(upload->geometry().bottom() + 1, buttons->height() / 2);
        EXPECT_EQ(download->y(), buttons->height() / 2 + download->height());
    }
}

// The server's list starts level with the local folder tree, whatever the window's size.
TEST_F(MainWindowTest, TheServerListAndTheLocalTreeStartLevel)
{
    MainWindow window(m_prompts);
    showActive(window);
    for (const QSize size : { QSize(900, 600), QSize(1400, 960) }) {
        window.resize(size);
        QApplication::processEvents();
        const QWidget *tree = child(window, "trwPaths");
        const QWidget *list = child(window, "lsvServer");
        EXPECT_EQ(list->mapTo(&window, QPoint(0, 0)).y(), tree->mapTo(&window, QPoint(0, 0)).y()) << size.width();
    }
}

TEST_F(MainWindowTest, LoadsWithCaptionWelcomeLineAndAutomaticMode)
{
    MainWindow window(m_prompts);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Ferrolink Release 1 Version 3"));
    auto *mode = child<QComboBox>(window, "cboTransferMode");
    ASSERT_EQ(mode->count(), 3);
    EXPECT_EQ(mode->currentIndex(), 2);
    EXPECT_EQ(mode->itemText(2), TextCatalogue::instance().text(QStringLiteral("OPT_AUTO")));
    EXPECT_EQ(window.session().transferType(), FtpConnection::TransferType::Binary);
    EXPECT_EQ(child<QLineEdit>(window, "txtPort")->text(), QStringLiteral("21"));
    EXPECT_EQ(child<QLineEdit>(window, "txtPassword")->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(child<QAction>(window, "mnuVerbindungTransferAUTO")->isChecked());
    EXPECT_TRUE(child<QAction>(window, "mnuVerbindungTransfertypAus")->isChecked());

    const QString log = window.historyWindow()->plainText();
    EXPECT_TRUE(log.startsWith(TextCatalogue::instance().text(QStringLiteral("WELCOME1")) + QLatin1Char('\n')));
    EXPECT_TRUE(log.contains(QLocale().toString(QDate::currentDate(), QLocale::ShortFormat)));
    EXPECT_TRUE(log.endsWith(TextCatalogue::instance().text(QStringLiteral("WELCOME4")) + QLatin1Char('\n')));
}

// Resting the pointer on a toolbar button shows its status tip; the transfer status stays.
TEST_F(MainWindowTest, AStatusTipLeavesTheTransferStatusInView)
{
    MainWindow window(m_prompts);
    showActive(window);
    auto *status = child<QLabel>(window, "lblTransferStatus");
    status->setText(QStringLiteral("big.bin 1 MiB of 3 MiB"));
    window.statusBar()->showMessage(QStringLiteral("Connects to the server"));
    EXPECT_TRUE(status->isVisible());
}

TEST_F(MainWindowTest, FieldsAreEnabledAfterAnyToolbarClick)
{
    MainWindow window(m_prompts);
    const char *fields[] = { "txtAddress", "txtUserID", "txtPassword", "txtPort" };
    for (const char *button : { "connect", "ascii" }) {
        for (const char *field : fields)
            child(window, field)->setEnabled(false);
        // The "ascii" button opens the extension list modally; close it once it is up.
        QTimer::singleShot(0, [] {
            if (QWidget *dialog = QApplication::activeModalWidget())
                dialog->close();
        });
        child<QAction>(window, button)->trigger();
        for (const char *field : fields)
            EXPECT_TRUE(child(window, field)->isEnabled()) << button << " " << field;
    }
}

TEST_F(MainWindowTest, TabMovesThroughTheFieldsAndEnterConnectsOnlyFromThePassword)
{
    MainWindow window(m_prompts);
    showActive(window);
    auto *address = child<QLineEdit>(window, "txtAddress");
    auto *user = child<QLineEdit>(window, "txtUserID");
    auto *password = child<QLineEdit>(window, "txtPassword");
    auto *port = child<QLineEdit>(window, "txtPort");
    const QColor yellow(255, 255, 192);
    const QColor white(255, 255, 255);

    EXPECT_EQ(QApplication::focusWidget(), address);
    user->setText(QStringLiteral("ann"));
    QTest::keyClick(address, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), user);
    QApplication::processEvents();
    EXPECT_EQ(user->selectedText(), QStringLiteral("ann"));
    EXPECT_EQ(user->palette().color(QPalette::Base), yellow);
    EXPECT_EQ(address->palette().color(QPalette::Base), white);
    QTest::keyClick(user, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), password);
    QTest::keyClick(password, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), port);

    // Enter in the address or port field does nothing.
    QTest::keyClick(port, Qt::Key_Return);
    address->setFocus();
    QTest::keyClick(address, Qt::Key_Return);
    EXPECT_TRUE(m_prompts.asked().isEmpty());

    // Enter in the password field runs the quick connect, which wants an address first.
    password->setFocus();
    QTest::keyClick(password, Qt::Key_Return);
    ASSERT_EQ(m_prompts.asked().size(), 1);
    EXPECT_EQ(m_prompts.asked()[0].text, TextCatalogue::instance().text(QStringLiteral("ENTER_HOST")));
    EXPECT_EQ(m_prompts.asked()[0].icon, Prompts::Icon::Information);
}

TEST_F(MainWindowTest, ARunLocksTheConnectionBarAndOffersStop)
{
    MainWindow window(m_prompts);
    auto *address = child(window, "txtAddress");
    auto *connect = child<QAction>(window, "connect");
    auto *menuConnect = child<QAction>(window, "mnuVerbindungVerbinden");
    auto *stop = child<QAction>(window, "stop");
    EXPECT_FALSE(stop->isEnabled());
    {
        Session::Run run(window.session());
        EXPECT_FALSE(address->isEnabled());
        EXPECT_FALSE(child(window, "cboTransferMode")->isEnabled());
        EXPECT_FALSE(connect->isEnabled());
        EXPECT_FALSE(menuConnect->isEnabled());
        EXPECT_FALSE(child<QMenu>(window, "mnuMyServer")->isEnabled());
        EXPECT_TRUE(stop->isEnabled());
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

        // One Stop per run, however often it is clicked.
        stop->trigger();
        stop->trigger();
        EXPECT_TRUE(window.session().isRunCancelled());
        const QString stopped = TextCatalogue::instance().text(QStringLiteral("MDIMAIN_STOPPED")) + QLatin1Char('\n');
        const QString log = window.historyWindow()->plainText();
        EXPECT_TRUE(log.endsWith(stopped));
        EXPECT_EQ(log.count(stopped), 1);
    }
    EXPECT_FALSE(window.session().isRunCancelled());
    EXPECT_TRUE(address->isEnabled());
    EXPECT_TRUE(connect->isEnabled());
    EXPECT_TRUE(menuConnect->isEnabled());
    EXPECT_FALSE(stop->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, ClosingDuringARunWaitsUntilTheRunHasEnded)
{
    MainWindow window(m_prompts);
    showActive(window);
    auto run = std::make_unique<Session::Run>(window.session());
    EXPECT_FALSE(window.close());
    QApplication::processEvents();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(TextCatalogue::instance().isOpen());

    run.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 2000));
    EXPECT_FALSE(TextCatalogue::instance().isOpen());
}

TEST_F(MainWindowTest, ClosingDuringAConnectClosesPromptly)
{
    // Takes the connection and never says a word: the login would wait 20 s for its time-out.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    const QString stopped = TextCatalogue::instance().text(QStringLiteral("MDIMAIN_STOPPED")) + QLatin1Char('\n');
    MainWindow window(m_prompts);
    showActive(window);
    child<QLineEdit>(window, "txtAddress")->setText(QStringLiteral("127.0.0.1"));
    child<QLineEdit>(window, "txtPort")->setText(QString::number(silent.serverPort()));
    QObject::connect(&silent, &QTcpServer::newConnection, &window, [&] { window.close(); });

    QElapsedTimer clock;
    clock.start();
    child<QAction>(window, "connect")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 10000));
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_TRUE(m_prompts.asked().isEmpty());
    // The Stop's line is the attempt's only outcome.
    const QString log = window.historyWindow()->plainText();
    EXPECT_TRUE(log.endsWith(stopped)) << log.toStdString();
    EXPECT_EQ(log.count(QLatin1Char('\n')), 2) << log.toStdString();
}

// Every text the window shows, recursively: captions, menus, tool tips, labels, headers, log.
QStringList visibleTexts(const QWidget &window)
{
    QStringList texts { window.windowTitle() };
    for (const QWidget *widget : window.findChildren<QWidget *>()) {
        const QString where = widget->objectName() + QLatin1Char(':');
        texts << where + widget->toolTip() << where + widget->windowTitle();
        if (auto *label = qobject_cast<const QLabel *>(widget))
            texts << where + label->text();
        if (auto *button = qobject_cast<const QAbstractButton *>(widget))
            texts << where + button->text();
        if (auto *group = qobject_cast<const QGroupBox *>(widget))
            texts << where + group->title();
        if (auto *menu = qobject_cast<const QMenu *>(widget))
            texts << where + menu->title();
        if (auto *combo = qobject_cast<const QComboBox *>(widget))
            for (int i = 0; i < combo->count(); ++i)
                texts << where + combo->itemText(i);
        if (auto *tabs = qobject_cast<const QTabBar *>(widget))
            for (int i = 0; i < tabs->count(); ++i)
                texts << where + tabs->tabText(i) << where + tabs->tabToolTip(i);
        if (auto *header = qobject_cast<const QHeaderView *>(widget); header && header->model())
            for (int i = 0; i < header->count(); ++i)
                texts << where + header->model()->headerData(i, header->orientation()).toString();
        if (auto *edit = qobject_cast<const QTextEdit *>(widget))
            texts << where + edit->toPlainText();
        if (auto *line = qobject_cast<const QLineEdit *>(widget))
            texts << where + line->text() << where + line->placeholderText();
    }
    for (const QAction *action : window.findChildren<QAction *>())
        texts << action->objectName() + QLatin1Char(':') + action->text() << action->toolTip() << action->statusTip();
    return texts;
}

// The servers of the last runs are offered from the start; the connection menu forgets them.
TEST_F(MainWindowTest, TheRecentServersOfTheLastRunsAreOfferedUntilTheMenuClearsThem)
{
    RecentServers lastRuns;
    ASSERT_TRUE(lastRuns.remember({ QStringLiteral("one.example.org"), QStringLiteral("21"), QStringLiteral("anna") }));
    ASSERT_TRUE(lastRuns.remember({ QStringLiteral("two.example.org"), QStringLiteral("21"), QString() }));
    MainWindow window(m_prompts);
    const QAbstractItemModel *offered = child<QLineEdit>(window, "txtAddress")->completer()->model();
    EXPECT_EQ(offered->rowCount(), 2);
    auto *clear = child<QAction>(window, "mnuVerbindungRecentClear");
    EXPECT_EQ(clear->text(), text("RECENT_CLEAR"));
    clear->trigger();
    EXPECT_EQ(offered->rowCount(), 0);
    RecentServers nextStart;
    nextStart.load(*window.historyWindow());
    EXPECT_TRUE(nextStart.servers().isEmpty());
}

// Without a secret service the box cannot be ticked, and its tool tip says why.
TEST_F(MainWindowTest, WithoutASecretServiceRememberPasswordIsOffAndSaysWhy)
{
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    MainWindow window(m_prompts);
    auto *remember = child<QCheckBox>(window, "chkRememberPassword");
    EXPECT_EQ(remember->text(), text("REMEMBER_PASSWORD"));
    ASSERT_TRUE(QTest::qWaitFor([remember] { return !remember->toolTip().isEmpty(); }, 60000));
    EXPECT_FALSE(remember->isEnabled());
    EXPECT_TRUE(remember->toolTip().startsWith(text("KEYRING_UNAVAILABLE")));
}

TEST_F(MainWindowTest, NoTextIsMissingInAnyLanguage)
{
    for (const CatalogueLanguage &language : TextCatalogue::instance().languages()) {
        TextCatalogue::instance().setLanguageTable(language.table);
        MainWindow window(m_prompts);
        showActive(window);
        for (const QString &text : visibleTexts(window))
            EXPECT_FALSE(text.contains(placeholder)) << qPrintable(language.table) << " " << qPrintable(text);
    }
}

} // namespace
